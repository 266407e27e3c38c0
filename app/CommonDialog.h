#pragma once
// dlgCmmn: the main window's one open-file dialog, shared by the panels. Its
// settings and its last result stay in the object between uses, so a caller
// that does not set a field sees what the previous caller left there.

#include "app/UserPrompts.h"

#include <QString>
#include <string>

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
    // out: the chosen file's full path without spaces around it, in the file
    // system's own bytes, which fileName (Qt's text) cannot always hold.
    std::string localPath;
    int flags = kDefaultFlags;

    // Shows the dialog modally. True with fileName and fileTitle set when a file
    // was chosen; false when cancelled, with lastError() giving kCancelErrorCode.
    bool showOpen();
    int lastError() const { return lastError_; }

    // The file a path names, in the file system's own bytes: the path itself
    // when something exists there; else each name Qt decoded lossily matched
    // against its folder's entries, or the path's code page 932 bytes (a path
    // kept in the settings file); else the path as it is.
    static std::string localBytesOf(const QString& path);

    // The filter in Qt's form: "description (patterns)".
    static QString toQtNameFilter(const QString& filter);

private:
    QWidget* owner_;
    int lastError_ = 0;
};

} // namespace tobrel::app
