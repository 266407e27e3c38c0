#include "app/UserPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tobrel::app {
namespace {

// Proposes the request's file name, runs the dialog and gives the chosen file.
std::optional<QString> runFileDialog(QFileDialog& dialog, const OpenFileRequest& request) {
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

class QtPrompts final : public UserPrompts {
public:
    void showMessage(QWidget* parent, MessageIcon icon, const QString& title,
                     const QString& text) override {
        QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning
                                                     : QMessageBox::Information,
                        title, text, QMessageBox::Ok, parent);
        box.exec();
    }

    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    std::optional<QString> chooseOpenFile(QWidget* parent,
                                          const OpenFileRequest& request) override {
        QFileDialog dialog(parent, request.title, request.initialDirectory, request.nameFilter);
        dialog.setFileMode((request.flags & OpenFileRequest::kFlagFileMustExist)
                               ? QFileDialog::ExistingFile
                               : QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setOption(QFileDialog::ReadOnly,
                         (request.flags & OpenFileRequest::kFlagReadOnly) != 0);
        // The description already names its patterns: "bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MCD)".
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        return runFileDialog(dialog, request);
    }

    std::optional<QString> chooseSaveFile(QWidget* parent,
                                          const OpenFileRequest& request) override {
        QFileDialog dialog(parent, request.title, request.initialDirectory, request.nameFilter);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        return runFileDialog(dialog, request);
    }
};

QtPrompts& realPrompts() {
    static QtPrompts prompts;
    return prompts;
}

UserPrompts* g_installed = nullptr;

} // namespace

std::optional<QString> UserPrompts::chooseSaveFile(QWidget*, const OpenFileRequest&) {
    return std::nullopt;
}

bool UserPrompts::askYesNo(QWidget*, const QString&, const QString&) {
    return false;
}

UserPrompts& UserPrompts::current() {
    return g_installed ? *g_installed : realPrompts();
}

void UserPrompts::install(UserPrompts* prompts) {
    g_installed = prompts;
}

void showErrorMessage(QWidget* parent, const QString& text) {
    UserPrompts::current().showMessage(parent, MessageIcon::Warning, QStringLiteral("ｴﾗｰ"), text);
}

} // namespace tobrel::app
