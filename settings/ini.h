#pragma once
// The program's settings file: one INI file, beside the executable or in the
// user's configuration folder (locateIniFile, settings/paths.h), read key by
// key while the main window loads and written key by key while it unloads.

#include "platform/profile_file.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tobrel::settings {

// The settings file for an executable: its folder, then its file name without
// the extension in upper case, then ".INI" ("/opt/x/tobrel" gives
// "/opt/x/TOBREL.INI"). The folder keeps its case, since this file system
// tells cases apart. Empty when the path names no file (empty, or ending in a
// separator), so that no settings file lands in some working folder.
std::string computeIniPath(std::string_view executablePath);

// The settings file path of this run (module-level, empty until set). The main
// window's load sets it first, from locateIniFile (settings/paths.h). With
// createFolder, writes first create the file's folder when it is missing.
const std::string& iniPath();
void setIniPath(std::string path, bool createFolder = false);

// Receive buffer of the value reader: at most 249 bytes of a value arrive.
inline constexpr std::size_t kIniBufferSize = 250;

// The value of key in section as UTF-8 text. Empty when the file, section or
// key is missing, the value is empty, or the value is the text "Error". A
// value longer than 249 bytes arrives as its first 249 bytes; a double-byte
// character cut in half there becomes U+FFFD. Never reports anything.
std::string readIni(std::string_view section, std::string_view key);

// Stores value under key in section, creating file, section and key as needed;
// an empty value is stored as `KEY=`, never as a deletion. Characters that code
// page 932 cannot hold, and line breaks, are stored as '?' so that the key is
// still written. The file is replaced atomically. Callers ignore the result (a
// failed write is silent); it is there for tests.
bool writeIni(std::string_view section, std::string_view key, std::string_view value);

// The unload step's writes, with the same effect as the same writeIni calls
// one after another, but the file is read once and replaced once. Nothing is
// written unless commit() is called.
class IniWriteBatch {
public:
    // Reads the file at iniPath() as it is now.
    IniWriteBatch();
    explicit IniWriteBatch(std::string path);

    bool write(std::string_view section, std::string_view key, std::string_view value);
    // Replaces the file when anything changed; false when that failed.
    bool commit();

private:
    platform::ProfileWriteBatch batch_;
    std::string folderToCreate_;
};

} // namespace tobrel::settings
