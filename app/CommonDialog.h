#pragma once
// dlgCmmn: the main window's one open-file dialog, shared by the panels. Its
// settings and its last result stay in the object between uses, so a caller
// that does not set a field sees what the previous caller left there.

#include "app/UserPrompts.h"

#include <QString>

class QWidget;

namespace tobrel::app {

class CommonDialog {
public:
    static constexpr int kFlagReadOnly = OpenFileRequest::kFlagReadOnly;
    static constexpr int kFlagPathMustExist = OpenFileRequest::kFlagPathMustExist;
    static constexpr int kFlagFileMustExist = OpenFileRequest::kFlagFileMustExist;
    static constexpr int kDefaultFlags = OpenFileRequest::kDefaultFlags;
    static constexpr int kCancelErrorCode = 32755;

    explicit CommonDialog(QWidget* owner) : owner_(owner) {}

    QString dialogTitle;
    QString filter; // "description|pattern;pattern", one entry
    QString initDir;
    QString fileName;  // in: the proposed name; out: the chosen file's full path
    QString fileTitle; // out: the chosen file's name without its folder
    int flags = kDefaultFlags;

    // Shows the dialog modally. True with fileName and fileTitle set when a file
    // was chosen; false when cancelled, with lastError() giving kCancelErrorCode.
    bool showOpen();
    int lastError() const { return lastError_; }

    // The filter in Qt's form: "description (patterns)".
    static QString toQtNameFilter(const QString& filter);

private:
    QWidget* owner_;
    int lastError_ = 0;
};

} // namespace tobrel::app
