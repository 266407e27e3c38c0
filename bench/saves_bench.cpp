// Card containers and save operations against plain file work on the same
// bytes in the same run. Reading and writing a card in each container
// ("vs_copy") is measured against reading the file and writing its bytes
// unchanged; an import, delete or undelete ("vs_durable") against a durable
// copy of the card file (write, flush, rename: replaceFileAtomically).

#include "cards/card_container.h"
#include "cards/card_format.h"
#include "cards/save_manager.h"
#include "platform/files.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

namespace fs = std::filesystem;
using namespace tobrel;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 200; // files read and written per iteration

struct Workspace {
    fs::path root;
    std::vector<std::uint8_t> card;

    Workspace() {
        root = fs::temp_directory_path() /
               ("tobrel-bench-saves-" + std::to_string(std::random_device{}()));
        fs::create_directories(root);
        // A formatted card with a pattern in its blocks.
        card.assign(cards::kCardBodySize, 0);
        for (std::size_t i = cards::kBlockSize; i < card.size(); ++i) {
            card[i] = static_cast<std::uint8_t>(i * 13);
        }
        card[0] = 'M';
        card[1] = 'C';
        card[127] = 'M' ^ 'C';
        for (int n = 1; n <= cards::kSaveBlockCount; ++n) {
            auto* entry = card.data() + cards::kFrameSize * static_cast<std::size_t>(n);
            std::fill(entry, entry + cards::kFrameSize, 0);
            entry[0] = 0xA0;
            entry[8] = entry[9] = 0xFF;
            entry[127] = 0xA0;
        }
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string write(cards::CardContainer container) const {
        const auto bytes = *cards::serializeCardFile(cards::makeCardFile(card, container));
        const auto path =
            (root / ("card." + std::string(cards::containerExtension(container)))).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
};

Workspace& workspace() {
    static Workspace ws;
    return ws;
}

void writePlain(const std::string& path, const void* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

double seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Read the file and write its bytes elsewhere.
void plainCopy(const std::string& source) {
    const auto bytes = platform::readWholeFile(source);
    writePlain(source + ".copy", bytes->data(), bytes->size());
}

// Read the card in its container and write it back elsewhere.
void containerCopy(const std::string& source) {
    const auto read = cards::readCardFile(source, false);
    const auto bytes = cards::serializeCardFile(read.file);
    writePlain(source + ".out", bytes->data(), bytes->size());
}

void BM_ReadWriteContainer(benchmark::State& state) {
    const auto container = static_cast<cards::CardContainer>(state.range(0));
    const std::string path = workspace().write(container);
    double copy = 0;
    double own = 0;
    plainCopy(path); // both output files exist before the timing starts
    containerCopy(path);
    for (auto _ : state) {
        // Alternating file by file, so that both meet the same state of the machine.
        for (int i = 0; i < kRounds; ++i) {
            auto start = Clock::now();
            plainCopy(path);
            copy += seconds(start);
            start = Clock::now();
            containerCopy(path);
            own += seconds(start);
        }
    }
    state.SetLabel(std::string(cards::containerExtension(container)));
    state.counters["vs_copy"] = own / copy;
}

// One save operation on the card file against a durable copy of it.
void BM_SaveOperation(benchmark::State& state) {
    const int operation = static_cast<int>(state.range(0)); // 0 import, 1 delete, 2 undelete
    const std::string path = workspace().write(cards::CardContainer::Raw);
    const auto bytes = *platform::readWholeFile(path);
    cards::SaveData save{"BISLPS-00001BENCH",
                         std::vector<std::uint8_t>(3 * cards::kBlockSize, 0x5A)};
    save.blocks[0] = 'S';
    save.blocks[1] = 'C';
    save.blocks[2] = 0x11;
    save.blocks[3] = 3;
    double durable = 0;
    double own = 0;
    for (auto _ : state) {
        // Each round makes a durable copy, then imports, deletes and undeletes;
        // only the chosen step counts.
        for (int i = 0; i < kRounds / 4; ++i) {
            auto start = Clock::now();
            platform::replaceFileAtomically(path, bytes);
            durable += seconds(start);
            start = Clock::now();
            const auto imported = cards::importSaveFile(path, save);
            own += operation == 0 ? seconds(start) : 0;
            start = Clock::now();
            const auto deleted = cards::deleteSaveFile(path, imported.block);
            own += operation == 1 ? seconds(start) : 0;
            start = Clock::now();
            const auto undeleted = cards::undeleteSaveFile(path, imported.block);
            own += operation == 2 ? seconds(start) : 0;
            cards::deleteSaveFile(path, imported.block); // room for the next round
            if (!imported.ok || !deleted.ok || !undeleted.ok) {
                state.SkipWithError("a save operation failed");
                return;
            }
        }
    }
    static constexpr const char* names[] = {"import", "delete", "undelete"};
    state.SetLabel(names[operation]);
    state.counters["vs_durable"] = own / durable;
}

BENCHMARK(BM_ReadWriteContainer)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveOperation)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
