#include "platform/files.h"
#include "platform/program_icons.h"

#include <algorithm>
#include <windows.h>

namespace tobrel::platform {

ProgramIcons readProgramIcons(const std::string& path) {
    HANDLE file = CreateFileW(toFsPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    ProgramIcons icons;
    LARGE_INTEGER size{};
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) {
        icons = readProgramIcons(
            static_cast<std::uint64_t>(size.QuadPart),
            [file](std::uint64_t offset, std::size_t count, std::string& out) {
                out.resize(count);
                std::size_t done = 0;
                while (done < count) {
                    OVERLAPPED at{};
                    const std::uint64_t position = offset + done;
                    at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
                    at.OffsetHigh = static_cast<DWORD>(position >> 32);
                    const DWORD chunk =
                        static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
                    DWORD got = 0;
                    if (!ReadFile(file, out.data() + done, chunk, &got, &at) || got == 0) {
                        return false; // the file shrank meanwhile, or cannot be read
                    }
                    done += got;
                }
                return true;
            });
    }
    CloseHandle(file);
    return icons;
}

} // namespace tobrel::platform
