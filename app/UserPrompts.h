#pragma once
// The one seam through which panels show modal dialogs and message boxes, so
// that tests can answer them without a person.

#include <QString>
#include <optional>

class QWidget;

namespace tobrel::app {

enum class MessageIcon { Warning, Information };

// What a caller asks of an open-file dialog.
struct OpenFileRequest {
    // The flags of the Windows open-file dialog that the program uses.
    static constexpr int kFlagReadOnly = 0x1; // offers a read-only check box
    static constexpr int kFlagPathMustExist = 0x800;
    static constexpr int kFlagFileMustExist = 0x1000;
    static constexpr int kDefaultFlags = 6145; // all three above

    QString title;
    // Qt form, e.g. "bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MCD) (*.MCD)"; the dialog shows only
    // the description before the last parentheses.
    QString nameFilter;
    QString initialDirectory; // local path
    QString fileName;         // proposed name, may be empty
    int flags = 0;            // the kFlag… values above
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A modal message box with an OK button.
    virtual void showMessage(QWidget* parent, MessageIcon icon, const QString& title,
                             const QString& text) = 0;
    // A modal open-file dialog for an existing file; nothing when cancelled.
    virtual std::optional<QString> chooseOpenFile(QWidget* parent,
                                                  const OpenFileRequest& request) = 0;

    // A modal question with Yes and No buttons; true for Yes. Prompts that
    // do not answer questions say No.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) {
        (void)parent;
        (void)title;
        (void)text;
        return false;
    }

    // The prompts in use; real dialogs unless a test installed its own.
    static UserPrompts& current();
    // Installs prompts (not owned); nullptr restores the real dialogs.
    static void install(UserPrompts* prompts);
};

// Shows an "ｴﾗｰ" box with the warning icon, as every input error does.
void showErrorMessage(QWidget* parent, const QString& text);

} // namespace tobrel::app
