#include "platform/encoding.h"
#include "platform/process_start.h"

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <optional>
#include <string>

namespace tobrel::platform {
namespace {

std::wstring wide(const std::string& utf8) {
    const auto text = utf8ToUtf16(utf8);
    return text ? std::wstring(text->begin(), text->end()) : std::wstring();
}

// The text in the process's ANSI code page, when it holds every character;
// ShellExecuteA's strings are read in that code page.
std::optional<std::string> ansi(const std::string& utf8) {
    if (utf8.empty()) {
        return std::string();
    }
    const std::wstring text = wide(utf8);
    if (text.empty()) {
        return std::nullopt;
    }
    BOOL lossy = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                            static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        bytes.data(), length, nullptr, &lossy);
    return bytes;
}

// ShellExecuteA as the launcher and the About window call it. A path the ANSI
// code page cannot hold would reach the shell as question marks: such a path
// goes through the wide function instead, with the same arguments.
bool shellExecute(HWND owner, const std::string& target, const std::string& folder, int show) {
    const auto ansiTarget = ansi(target);
    const auto ansiFolder = ansi(folder);
    HINSTANCE result;
    if (ansiTarget && ansiFolder) {
        result = ShellExecuteA(owner, "open", ansiTarget->c_str(), nullptr,
                               ansiFolder->empty() ? nullptr : ansiFolder->c_str(), show);
    } else {
        const std::wstring wideTarget = wide(target);
        const std::wstring wideFolder = wide(folder);
        result = ShellExecuteW(owner, L"open", wideTarget.c_str(), nullptr,
                               wideFolder.empty() ? nullptr : wideFolder.c_str(), show);
    }
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace

bool shellOpen(const std::string& target, const std::string& folder) {
    return shellExecute(nullptr, target, folder, SW_SHOWNORMAL);
}

bool startCommandLine(const std::string& commandLine) {
    std::wstring line = wide(commandLine);
    if (line.empty()) {
        return false;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // CreateProcessW may write into the command line: it gets its own copy.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool openAddress(const std::string& address) {
    return shellExecute(GetDesktopWindow(), address, std::string(), SW_SHOW);
}

} // namespace tobrel::platform
