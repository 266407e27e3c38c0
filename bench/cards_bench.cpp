// Conversion of 1,000 card files in each kind against copying the same files
// with std::filesystem::copy_file, and the listing and the check of one full card.
// The ratio counters ("vs_copy") compare with the copy baseline of the same run.

#include "cards/card_check.h"
#include "cards/card_format.h"
#include "cards/card_saves.h"
#include "cards/conversion.h"
#include "platform/files.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

namespace fs = std::filesystem;
using namespace tobrel;

constexpr int kFiles = 1000;

struct Workspace {
    fs::path root;
    std::vector<std::string> vgsSources;
    std::vector<std::string> cardSources;

    Workspace() {
        root =
            fs::temp_directory_path() / ("tobrel-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(root / "src");
        std::string body(cards::kCardBodySize, '\0');
        for (std::size_t i = 0; i < body.size(); ++i) {
            body[i] = static_cast<char>(i * 13);
        }
        std::string vgs(reinterpret_cast<const char*>(cards::vgsHeader.data()), 64);
        vgs += body;
        for (int i = 0; i < kFiles; ++i) {
            auto vgsPath = root / "src" / ("G" + std::to_string(i) + ".MEM");
            auto cardPath = root / "src" / ("G" + std::to_string(i) + ".MCD");
            std::ofstream(vgsPath, std::ios::binary)
                .write(vgs.data(), static_cast<std::streamsize>(vgs.size()));
            std::ofstream(cardPath, std::ios::binary)
                .write(body.data(), static_cast<std::streamsize>(body.size()));
            vgsSources.push_back(vgsPath.string());
            cardSources.push_back(cardPath.string());
        }
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    // Removes every output so each iteration writes plain names again.
    void clearOutputs() const {
        for (const auto& entry : fs::directory_iterator(root / "src")) {
            auto ext = entry.path().extension().string();
            auto name = entry.path().filename().string();
            bool source = (ext == ".MEM" || ext == ".MCD") && name.find('_') == std::string::npos &&
                          name.find("copy") == std::string::npos;
            if (!source) {
                fs::remove(entry.path());
            }
        }
    }
};

Workspace& workspace() {
    static Workspace ws;
    return ws;
}

double g_copySeconds = 0; // baseline of this run, per batch of 1,000 files

double copyBatch() {
    auto& ws = workspace();
    auto start = std::chrono::steady_clock::now();
    for (const auto& source : ws.cardSources) {
        fs::copy_file(source, source + ".copy", fs::copy_options::overwrite_existing);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_CopyFileBaseline(benchmark::State& state) {
    auto& ws = workspace();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ws.clearOutputs();
        state.ResumeTiming();
        total += copyBatch();
    }
    g_copySeconds = total / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * kFiles);
}

void runKind(benchmark::State& state, cards::ConvKind kind, const std::vector<std::string>& sources,
             std::string_view extension) {
    auto& ws = workspace();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ws.clearOutputs();
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        cards::ConversionJob job; // one job over the whole selection, as the panel runs it
        for (const auto& source : sources) {
            auto result = job.convert(source, kind, extension);
            benchmark::DoNotOptimize(result);
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
    if (g_copySeconds > 0) {
        state.counters["vs_copy"] = total / static_cast<double>(state.iterations()) / g_copySeconds;
    }
}

void BM_ConvertStripVgsHeader(benchmark::State& state) {
    runKind(state, cards::ConvKind::StripVgsHeader, workspace().vgsSources, "MCR");
}
void BM_ConvertAddVgsHeader(benchmark::State& state) {
    runKind(state, cards::ConvKind::AddVgsHeader, workspace().cardSources, "MEM");
}
void BM_ConvertCopyBody(benchmark::State& state) {
    runKind(state, cards::ConvKind::CopyBody, workspace().cardSources, "MCR");
}

// A full, sound card: fifteen one-block saves.
fs::path writeFullCard() {
    auto path = workspace().root / "full.MCD";
    std::string body(cards::kCardBodySize, '\0');
    body[0] = 'M';
    body[1] = 'C';
    body[127] = 'M' ^ 'C';
    for (int n = 1; n <= 15; ++n) {
        auto* entry = body.data() + 128 * n;
        // In use and the first block, 8,192 bytes long, no next block; byte 127 the XOR.
        std::memcpy(entry, "\x51\0\0\0\0\x20\0\0\xFF\xFF", 10);
        entry[127] = static_cast<char>(0x51 ^ 0x20);
        auto* block = body.data() + 8192 * n;
        std::memcpy(block, "SC\x11\x01", 4);
        std::memcpy(block + 4, "\x83\x51\x81\x5B\x83\x80 SAVE", 11);
    }
    std::ofstream(path, std::ios::binary)
        .write(body.data(), static_cast<std::streamsize>(body.size()));
    return path;
}

void BM_ListSavesOfFullCard(benchmark::State& state) {
    const auto path = writeFullCard();
    for (auto _ : state) {
        auto saves = cards::listCardSaves(path.string(), false);
        benchmark::DoNotOptimize(saves);
    }
}

void BM_CheckFullCard(benchmark::State& state) {
    const auto path = writeFullCard();
    for (auto _ : state) {
        auto check = cards::checkCardFile(path.string(), false);
        benchmark::DoNotOptimize(check);
    }
}

BENCHMARK(BM_CopyFileBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ConvertStripVgsHeader)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ConvertAddVgsHeader)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ConvertCopyBody)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ListSavesOfFullCard)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckFullCard)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
