// Window-side costs, each against a baseline measured in the same run:
// - showing the main window (load step, no settings file; and started on the
//   controller tab) against showing a bare QMainWindow holding one QTabWidget;
// - converting 1,000 selected files through the conversion panel (Convert
//   press with its repaints between files) against the core job alone;
// - extracting a 64 MiB code list through the code list panel (which lets the
//   window repaint while it runs) against the core filter alone.
// Counters named "vs_*" are the ratios. Runs on the offscreen platform.

#include "app/CodeListPanel.h"
#include "app/ConvertPanel.h"
#include "app/DriveList.h"
#include "app/FileList.h"
#include "app/FolderList.h"
#include "app/UserPrompts.h"
#include "app/frmMain.h"
#include "cards/card_format.h"
#include "cards/conversion.h"
#include "codelist/codelist.h"
#include "settings/ini.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

namespace {

namespace fs = std::filesystem;
using namespace tobrel;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Message boxes are answered at once, so that no run waits for a person.
class SilentPrompts final : public app::UserPrompts {
public:
    void showMessage(QWidget*, app::MessageIcon, const QString&, const QString&) override {}
    std::optional<QString> chooseOpenFile(QWidget*, const app::OpenFileRequest&) override {
        return std::nullopt;
    }
};

fs::path makeScratch(const char* name) {
    auto path =
        fs::temp_directory_path() / (std::string(name) + std::to_string(std::random_device{}()));
    fs::create_directories(path);
    return path;
}

// A main window with a settings file of its own, shown offscreen.
struct BenchWindow {
    fs::path scratch = makeScratch("tobrel-bench-ini");
    std::unique_ptr<app::frmMain> window;

    BenchWindow() {
        settings::setIniPath((scratch / "TOBREL.INI").string());
        window = std::make_unique<app::frmMain>();
        window->load();
        window->show();
    }
    ~BenchWindow() {
        window->close();
        window.reset();
        settings::setIniPath({});
        fs::remove_all(scratch);
    }
};

// --- Showing the main window --------------------------------------------------

double g_bareWindowSeconds = 0;

std::unique_ptr<QMainWindow> showBareTabWindow() {
    auto window = std::make_unique<QMainWindow>();
    auto* tabs = new QTabWidget(window.get());
    for (const char* caption : {"変換", "ﾒﾓﾘｰｶｰﾄﾞ設定", "VGSｷｰ設定", "ﾗﾝﾁｬ", "ｺｰﾄﾞﾘｽﾄ抽出"}) {
        tabs->addTab(new QWidget, QString::fromUtf8(caption));
    }
    window->setCentralWidget(tabs);
    window->show();
    QCoreApplication::processEvents();
    return window;
}

void BM_ShowBareTabWindow(benchmark::State& state) {
    showBareTabWindow(); // the first window of a process pays for fonts and styles
    double total = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto window = showBareTabWindow();
        total += seconds(start); // closing is not part of showing, here as below
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    g_bareWindowSeconds = total / static_cast<double>(state.iterations());
}

// Shows the main window with the given settings file (none when empty).
void showMainWindowTimed(benchmark::State& state, const std::string& settingsText) {
    auto scratch = makeScratch("tobrel-bench-ini");
    const fs::path iniFile = scratch / "TOBREL.INI";
    settings::setIniPath(iniFile.string());
    {
        app::frmMain warmUp; // loads what only the first main window of a process needs
        warmUp.load();
    }
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(iniFile);
        if (!settingsText.empty()) {
            std::ofstream(iniFile, std::ios::binary) << settingsText;
        }
        state.ResumeTiming();
        auto start = Clock::now();
        {
            app::frmMain window;
            window.load();
            window.show();
            QCoreApplication::processEvents();
            total += seconds(start);
            state.PauseTiming();
            window.close();
            state.ResumeTiming();
        }
    }
    if (g_bareWindowSeconds > 0) {
        state.counters["vs_bare_window"] =
            total / static_cast<double>(state.iterations()) / g_bareWindowSeconds;
    }
    settings::setIniPath({});
    fs::remove_all(scratch);
}

void BM_ShowMainWindow(benchmark::State& state) {
    showMainWindowTimed(state, "");
}

// Started on the controller tab, which builds its 56 selectors as it shows.
void BM_ShowMainWindowOnControllerTab(benchmark::State& state) {
    showMainWindowTimed(state, "[FORM]\r\nLASTTAB=2\r\n");
}

// --- Converting through the panel ---------------------------------------------

constexpr int kCards = 1000;
double g_coreJobSeconds = 0;

struct CardFolder {
    fs::path root = makeScratch("tobrel-bench-cards");
    std::vector<std::string> sources;
    CardFolder() {
        std::string body(cards::kCardBodySize, '\0');
        body[0] = 'M';
        body[1] = 'C';
        for (int i = 0; i < kCards; ++i) {
            auto path = root / ("C" + std::to_string(1000 + i) + ".MCD");
            std::ofstream(path, std::ios::binary)
                .write(body.data(), static_cast<std::streamsize>(body.size()));
            sources.push_back(path.string());
        }
    }
    ~CardFolder() { fs::remove_all(root); }
    void clearOutputs() const {
        for (const auto& entry : fs::directory_iterator(root)) {
            if (entry.path().extension() != ".MCD") {
                fs::remove(entry.path());
            }
        }
    }
};

CardFolder& cardFolder() {
    static CardFolder folder;
    return folder;
}

void BM_CoreConversionJob(benchmark::State& state) {
    auto& folder = cardFolder();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        folder.clearOutputs();
        state.ResumeTiming();
        auto start = Clock::now();
        cards::runConversionJob(folder.sources, cards::directions[3],
                                [](const std::string& line) { benchmark::DoNotOptimize(line); });
        total += seconds(start);
    }
    g_coreJobSeconds = total / static_cast<double>(state.iterations());
}

void BM_PanelConversion(benchmark::State& state) {
    auto& folder = cardFolder();
    BenchWindow bench;
    app::frmMain& window = *bench.window;
    window.convertPanel()->applyLastDir(QString::fromStdString(folder.root.string()));
    window.convertPanel()->applyConvType(3);
    auto* files = window.findChild<app::FileList*>("filIn");
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        folder.clearOutputs();
        window.convertPanel()->optSel_Click(3);
        files->selectAll();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        auto start = Clock::now();
        window.convertPanel()->cmdConv_Click();
        total += seconds(start);
    }
    if (g_coreJobSeconds > 0) {
        state.counters["vs_core_job"] =
            total / static_cast<double>(state.iterations()) / g_coreJobSeconds;
    }
}

// --- Extracting through the panel ---------------------------------------------

double g_coreFilterSeconds = 0;

struct CodeList {
    fs::path root = makeScratch("tobrel-bench-codelist");
    std::string path = (root / "codelist.inf").string();
    CodeList() {
        std::ofstream out(path, std::ios::binary);
        const std::string japanese = "#SLPS-01234 \x83\x51\x81\x5B\x83\x80\r\n"
                                     "\x83\x52\x81\x5B\x83\x68 1\r\n80012345 0001\r\n.end\r\n";
        const std::string other = "#SLUS-00001 Game\r\nInfinite\r\n80054321 0063\r\n;note\r\n";
        std::size_t written = 0;
        while (written < (std::size_t{64} << 20)) {
            out << japanese << other;
            written += japanese.size() + other.size();
        }
    }
    ~CodeList() { fs::remove_all(root); }
};

CodeList& codeList() {
    static CodeList list;
    return list;
}

void BM_CoreCodeListFilter(benchmark::State& state) {
    const std::string path = codeList().path; // generated before the clock runs
    codelist::extractJapaneseSections(path);  // and read once, so both runs find it cached
    double total = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto result = codelist::extractJapaneseSections(path);
        total += seconds(start);
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
        }
    }
    g_coreFilterSeconds = total / static_cast<double>(state.iterations());
}

void BM_PanelCodeListExtraction(benchmark::State& state) {
    BenchWindow bench;
    app::frmMain& window = *bench.window;
    window.findChild<QLineEdit*>("txtCodeList")->setText(QString::fromStdString(codeList().path));
    double total = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        window.codeListPanel()->cmdDrip_Click();
        total += seconds(start);
    }
    if (g_coreFilterSeconds > 0) {
        state.counters["vs_core_filter"] =
            total / static_cast<double>(state.iterations()) / g_coreFilterSeconds;
    }
}

BENCHMARK(BM_ShowBareTabWindow)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_ShowMainWindow)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_ShowMainWindowOnControllerTab)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_CoreConversionJob)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PanelConversion)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CoreCodeListFilter)->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(BM_PanelCodeListExtraction)->Unit(benchmark::kMillisecond)->Iterations(8);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    SilentPrompts prompts;
    app::UserPrompts::install(&prompts);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    app::UserPrompts::install(nullptr);
    return 0;
}
