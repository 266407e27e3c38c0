// Extraction of the Japanese sections of a generated 64 MiB code list against
// reading the same file and writing its bytes to another file, in the same run.
// The counter "vs_copy" is the ratio to that copy baseline (target: at most
// 1.5); "vs_core" compares the run with a window-style yield hook to the plain
// filter. Two lists: a usual mix (about a third Japanese sections) and one made
// only of Japanese sections, where every byte is written again.

#include "codelist/codelist.h"
#include "platform/files.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
using namespace tobrel;

constexpr std::size_t kListSize = std::size_t{64} << 20;

// One section: header, a Shift-JIS title per code, code lines, ".end".
std::string makeList(bool onlyJapanese) {
    static const char* const japanese[] = {"#SLPS-", "#SCPS-", "#SLPM-"};
    static const char* const foreign[] = {"#SLUS-", "#SCES-", "#SLES-", "#SCUS-", "#SLPM"};
    std::mt19937 random(7);
    std::string list = ";[pec]Codelist generated for the benchmark\r\n";
    list.reserve(kListSize + 4096);
    char number[32];
    while (list.size() < kListSize) {
        const bool isJapanese = onlyJapanese || random() % 3 == 0;
        list += isJapanese ? japanese[random() % 3] : foreign[random() % 5];
        std::snprintf(number, sizeof number, "%05u", static_cast<unsigned>(random() % 100000));
        list += number;
        list += " \x83Q\x81[\x83\x80\x82\xCC\x96\xBC\x91O GAME\r\n"; // "ゲームの名前"
        const int codes = 2 + static_cast<int>(random() % 12);
        for (int i = 0; i < codes; ++i) {
            if (i % 3 == 0) {
                list += "\x96\xB3\x93G MUTEKI\r\n"; // "無敵"
            }
            std::snprintf(number, sizeof number, "%08X %04X\r\n", static_cast<unsigned>(random()),
                          static_cast<unsigned>(random() & 0xFFFF));
            list += number;
        }
        if (random() % 4 == 0) {
            list += "; note\r\n";
        }
        list += ".end\r\n\r\n";
    }
    return list;
}

struct Workspace {
    fs::path root;
    std::string mixedList;
    std::string japaneseList;

    Workspace() {
        root = fs::temp_directory_path() /
               ("tobrel-bench-codelist-" + std::to_string(std::random_device{}()));
        fs::create_directories(root / "mixed");
        fs::create_directories(root / "japanese");
        mixedList = platform::fromFsPath(root / "mixed" / "codelist.inf");
        japaneseList = platform::fromFsPath(root / "japanese" / "codelist.inf");
        for (const auto& [path, onlyJapanese] :
             {std::pair{mixedList, false}, std::pair{japaneseList, true}}) {
            const auto content = makeList(onlyJapanese);
            std::ofstream(platform::toFsPath(path), std::ios::binary)
                .write(content.data(), static_cast<std::streamsize>(content.size()));
        }
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    // Every run starts with no output, so that none pays for removing an old one.
    void clearOutputs() const {
        std::error_code ec;
        for (const char* folder : {"mixed", "japanese"}) {
            fs::remove(root / folder / "codelist_japan.inf", ec);
            fs::remove(root / folder / "copy.inf", ec);
        }
    }
};

Workspace& workspace() {
    static Workspace ws;
    return ws;
}

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The same reads and writes as the filter makes, without looking at the bytes.
void copyFile(const std::string& from, const std::string& to) {
    platform::InputFile input;
    platform::NewOutputFile output;
    if (!input.open(from) || output.create(to) != platform::NewOutputFile::CreateResult::Created) {
        throw std::runtime_error("cannot copy " + from);
    }
    std::vector<char> buffer(codelist::kReadBlockSize);
    for (;;) {
        const long long got = input.read(buffer.data(), buffer.size());
        if (got < 0 || (got > 0 && !output.write(buffer.data(), static_cast<std::size_t>(got)))) {
            throw std::runtime_error("cannot copy " + from);
        }
        if (got == 0) {
            break;
        }
    }
    if (!output.commit()) {
        throw std::runtime_error("cannot copy " + from);
    }
}

double g_copySeconds = 0;
double g_coreSeconds = 0;

void BM_ReadWriteBaseline(benchmark::State& state) {
    auto& ws = workspace();
    const auto target = platform::fromFsPath(ws.root / "mixed" / "copy.inf");
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ws.clearOutputs();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        copyFile(ws.mixedList, target);
        total += seconds(start);
    }
    g_copySeconds = total / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kListSize));
}

double runExtraction(benchmark::State& state, const std::string& list,
                     const codelist::YieldHook& yield) {
    auto& ws = workspace();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ws.clearOutputs();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const auto result = codelist::extractJapaneseSections(list, yield);
        total += seconds(start);
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
            return 0;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kListSize));
    const double perRun = total / static_cast<double>(state.iterations());
    if (g_copySeconds > 0) {
        state.counters["vs_copy"] = perRun / g_copySeconds;
    }
    return perRun;
}

void BM_ExtractMixedList(benchmark::State& state) {
    g_coreSeconds = runExtraction(state, workspace().mixedList, {});
}

void BM_ExtractOnlyJapaneseList(benchmark::State& state) {
    runExtraction(state, workspace().japaneseList, {});
}

// As the panel runs it: a hook that would process the window's events, at the
// default pace (the work done in it is the window's, not the filter's).
void BM_ExtractMixedListWithYieldHook(benchmark::State& state) {
    long long calls = 0;
    const double perRun = runExtraction(state, workspace().mixedList, [&] { ++calls; });
    if (g_coreSeconds > 0) {
        state.counters["vs_core"] = perRun / g_coreSeconds;
    }
    state.counters["yields_per_run"] =
        static_cast<double>(calls) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_ReadWriteBaseline)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_ExtractMixedList)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_ExtractOnlyJapaneseList)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_ExtractMixedListWithYieldHook)->Unit(benchmark::kMillisecond)->Iterations(6);

} // namespace

BENCHMARK_MAIN();
