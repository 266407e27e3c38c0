#pragma once
// The user's own folders as the XDG base directory rules name them, and the
// folder tests the settings file location needs.

#include <string>

namespace tobrel::platform {

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config; empty when
// neither is known. A trailing "/" is removed.
std::string userConfigHome();

// True when this process may create and rename files in the folder (it is a
// folder, writable and searchable for the effective user).
bool folderIsWritable(const std::string& folder);

// True when both paths name the same existing folder, also through symbolic
// links ("/bin" and "/usr/bin" on a merged-/usr system).
bool sameFolder(const std::string& first, const std::string& second);

// Creates the folder and any missing parents, those it creates readable only
// by the user. True when the folder exists afterwards.
bool createPrivateFolders(const std::string& folder);

} // namespace tobrel::platform
