#pragma once
// Helpers for the window tests: prompts answered by the test, and a settings
// file in a private folder.

#include "app/TabStrip.h"
#include "app/UserPrompts.h"
#include "app/frmMain.h"
#include "platform/files.h"
#include "settings/ini.h"
#include "tests/app/TestMain.h"
#include "tests/support/registry_env.h"
#include "tests/support/temp_dir.h"

#include <QString>
#include <QTabBar>
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tobrel::testing {

// Answers every dialog and message box of the program for a test.
class ScriptedPrompts final : public app::UserPrompts {
public:
    struct Message {
        app::MessageIcon icon;
        QString title;
        QString text;
    };

    ScriptedPrompts() { install(this); }
    ~ScriptedPrompts() override { install(nullptr); }

    std::vector<Message> messages;
    std::vector<app::OpenFileRequest> fileRequests;
    // One answer per file dialog: a path, or nothing for Cancel.
    std::deque<std::optional<QString>> fileAnswers;
    // Runs when a message box is shown (e.g. to look at the window meanwhile).
    std::function<void(const Message&)> onMessage;

    void showMessage(QWidget*, app::MessageIcon icon, const QString& title,
                     const QString& text) override {
        messages.push_back({icon, title, text});
        if (onMessage) {
            onMessage(messages.back());
        }
    }

    std::optional<QString> chooseOpenFile(QWidget*, const app::OpenFileRequest& request) override {
        fileRequests.push_back(request);
        if (fileAnswers.empty()) {
            qWarning("file dialog shown without a scripted answer: cancelling");
            return std::nullopt;
        }
        const bool chosen = fileAnswers.front().has_value();
        const QString path = chosen ? *fileAnswers.front() : QString();
        fileAnswers.pop_front();
        return chosen ? std::optional<QString>(path) : std::nullopt;
    }

    // Save dialogs take their answers from fileAnswers too.
    std::optional<QString> chooseSaveFile(QWidget* parent,
                                          const app::OpenFileRequest& request) override {
        return chooseOpenFile(parent, request);
    }

    std::vector<QString> questions;
    std::deque<bool> yesNoAnswers; // No when none is left
    bool askYesNo(QWidget*, const QString&, const QString& text) override {
        questions.push_back(text);
        const bool yes = !yesNoAnswers.empty() && yesNoAnswers.front();
        if (!yesNoAnswers.empty()) {
            yesNoAnswers.pop_front();
        }
        return yes;
    }
};

// A settings file in a private folder, used as this run's iniPath.
class TempSettings {
public:
    TempSettings() : path_(dir_.file("TOBREL.INI")) { settings::setIniPath(path_); }
    ~TempSettings() { settings::setIniPath(std::string()); }

    const std::string& path() const { return path_; }
    const TempDir& dir() const { return dir_; }
    QString folder() const { return QString::fromStdString(platform::fromFsPath(dir_.path())); }
    void write(const std::string& bytes) const { writeBytes(path_, bytes); }
    std::string read() const { return readBytes(path_); }

private:
    TempDir dir_;
    std::string path_;
};

// The main window on one panel's tab, with its own settings file, its own
// registry file (TOBREL_REGISTRY) and scripted prompts; closed at the end.
struct MainWindowOnTab {
    MainWindowOnTab(int tab, const std::string& registryName)
        : tab_(tab), registryFile(files.file(registryName)) {}
    ~MainWindowOnTab() {
        if (window) {
            window->close();
        }
    }

    void open() {
        window = std::make_unique<app::frmMain>();
        window->load();
        window->show();
        window->mainTabs()->tabBar()->setCurrentIndex(tab_);
    }

private:
    int tab_;

public:
    TempSettings ini;
    TempDir files;
    std::string registryFile;
    ScopedEnv registry{"TOBREL_REGISTRY", registryFile};
    ScriptedPrompts prompts;
    std::unique_ptr<app::frmMain> window;
};

inline QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace tobrel::testing
