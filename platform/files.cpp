#include "platform/files.h"
#include "platform/files_detail.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>

namespace tobrel::platform {

std::filesystem::path toFsPath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string fromFsPath(const std::filesystem::path& path) {
    auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string describeError(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return "ファイルまたはフォルダが見つかりません";
    case EACCES:
    case EPERM:
        return "アクセスが拒否されました";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "ディスクの空き容量が足りません";
    case EROFS:
        return "読み取り専用の場所です";
    case EISDIR:
        return "フォルダです";
    case ENOTDIR:
        return "パスの途中がフォルダではありません";
    case EEXIST:
        return "同じ名前のファイルがあります";
    case ENAMETOOLONG:
        return "パスが長すぎます";
    case ENOTSUP:
        return "通常のファイルではありません";
    case EIO:
        return "入出力エラーです";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    default:
        return std::string("エラー (") + std::strerror(errorNumber) + ")";
    }
}

namespace {

// Numbers from a random start, so that two copies of the program (or a
// leftover of an earlier run) seldom meet at the same name.
std::string numberedTemporaryName(const std::string& target, int) {
    static std::atomic<std::uint32_t> next{std::random_device{}()};
    return target + ".tmp" + std::to_string(next.fetch_add(1) % 100000000);
}

} // namespace

std::string (*detail::temporaryName)(const std::string& target,
                                     int attempt) = numberedTemporaryName;

std::string detail::followLinks(const std::string& path) {
    std::filesystem::path current = toFsPath(path);
    for (int hop = 0; hop < 40; ++hop) { // the kernel's own limit on nested links
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error))) {
            break;
        }
        auto next = std::filesystem::read_symlink(current, error);
        if (error) {
            break;
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return fromFsPath(current);
}

bool replaceFileAtomically(const std::string& path, std::string_view content, int* errorNumber) {
    AtomicOutputFile output;
    const bool done = output.open(path) == AtomicOutputFile::OpenResult::Opened &&
                      output.write(content.data(), content.size()) && output.commit();
    if (!done && errorNumber) {
        *errorNumber = output.errorNumber();
    }
    return done;
}

std::optional<std::string> readWholeFile(const std::string& path, int* errorNumber) {
    InputFile file;
    if (!file.open(path)) {
        if (errorNumber) {
            *errorNumber = file.errorNumber();
        }
        return std::nullopt;
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        long long n = file.read(buffer, sizeof buffer);
        if (n < 0) {
            if (errorNumber) {
                *errorNumber = file.errorNumber();
            }
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    return content;
}

// The same on every system; opening, writing and committing are the system's.
AtomicOutputFile::~AtomicOutputFile() {
    discard();
}

bool AtomicOutputFile::fail(int error) {
    error_ = error;
    discard();
    return false;
}

bool createFolders(const std::string& path, int* errorNumber) {
    std::error_code error;
    std::filesystem::create_directories(toFsPath(path), error);
    if (!error && isOpenableFolder(path)) {
        return true;
    }
    if (errorNumber) {
        const auto condition = error.default_error_condition();
        *errorNumber = !error                                            ? ENOTDIR
                       : condition.category() == std::generic_category() ? condition.value()
                                                                         : EIO;
    }
    return false;
}

} // namespace tobrel::platform
