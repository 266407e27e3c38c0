// What Windows itself says about the windows on the desktop, for the real-run
// check of tobrel.exe under Wine (tests/windows/real_run.sh). No accessibility
// interface: only window functions any program may call.
//   window_probe windows        one line per visible top-level window:
//                               title|class|left,top,right,bottom|client x,y,w,h|iconic
//   window_probe version FILE   the file version of a program's version resource
//   window_probe shot FILE.bmp  the whole screen as a 24-bit BMP
//   window_probe changed A.bmp B.bmp TOP
//                               the box (left,top,right,bottom) of the pixels
//                               that differ between two shots at or below row
//                               TOP, or "none"
//   window_probe close TITLE    asks the visible window with that title to close
//                               as its close box would (WM_CLOSE)
#include <windows.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length,
                        nullptr, nullptr);
    return out;
}

// An argument as Windows passed it (the ANSI code page).
std::wstring wide(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), length);
    out.resize(out.size() - 1); // the terminating zero
    return out;
}

BOOL CALLBACK listWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t title[512] = {};
    wchar_t className[256] = {};
    GetWindowTextW(window, title, 512);
    GetClassNameW(window, className, 256);
    RECT frame{};
    GetWindowRect(window, &frame);
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("%s|%s|%ld,%ld,%ld,%ld|%ld,%ld,%ld,%ld|%d\n", utf8(title).c_str(),
                utf8(className).c_str(), frame.left, frame.top, frame.right, frame.bottom, origin.x,
                origin.y, client.right, client.bottom, IsIconic(window) ? 1 : 0);
    return TRUE;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels; // bottom-up rows of 3 bytes, padded to 4
    int stride() const { return (width * 3 + 3) & ~3; }
};

bool saveBmp(const char* path, const Picture& picture) {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + picture.pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(picture.pixels.data()),
              static_cast<std::streamsize>(picture.pixels.size()));
    return static_cast<bool>(out);
}

bool loadBmp(const char* path, Picture& picture) {
    std::ifstream in(path, std::ios::binary);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    in.read(reinterpret_cast<char*>(&file), sizeof file);
    in.read(reinterpret_cast<char*>(&info), sizeof info);
    if (!in || file.bfType != 0x4D42 || info.biBitCount != 24 || info.biHeight <= 0) {
        return false;
    }
    picture.width = info.biWidth;
    picture.height = info.biHeight;
    picture.pixels.resize(static_cast<std::size_t>(picture.stride()) * picture.height);
    in.seekg(file.bfOffBits);
    in.read(reinterpret_cast<char*>(picture.pixels.data()),
            static_cast<std::streamsize>(picture.pixels.size()));
    return static_cast<bool>(in);
}

int shot(const char* path) {
    Picture picture;
    picture.width = GetSystemMetrics(SM_CXSCREEN);
    picture.height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, picture.width, picture.height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    picture.pixels.resize(static_cast<std::size_t>(picture.stride()) * picture.height);
    const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(picture.height),
                               picture.pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != picture.height || !saveBmp(path, picture)) {
        std::fprintf(stderr, "window_probe: could not save %s\n", path);
        return 1;
    }
    return 0;
}

int changed(const char* first, const char* second, int top) {
    Picture a;
    Picture b;
    if (!loadBmp(first, a) || !loadBmp(second, b) || a.width != b.width || a.height != b.height) {
        std::fprintf(stderr, "window_probe: two shots of the same screen expected\n");
        return 1;
    }
    int left = a.width, right = -1, upper = a.height, lower = -1;
    for (int y = top; y < a.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(a.height - 1 - y) * a.stride();
        for (int x = 0; x < a.width; ++x) {
            const std::size_t at = row + static_cast<std::size_t>(x) * 3;
            if (a.pixels[at] != b.pixels[at] || a.pixels[at + 1] != b.pixels[at + 1] ||
                a.pixels[at + 2] != b.pixels[at + 2]) {
                left = std::min(left, x);
                right = std::max(right, x);
                upper = std::min(upper, y);
                lower = std::max(lower, y);
            }
        }
    }
    if (right < 0) {
        std::printf("none\n");
    } else {
        std::printf("%d,%d,%d,%d\n", left, upper, right, lower);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "windows" && argc == 2) {
        EnumWindows(listWindow, 0);
        return 0;
    }
    if (command == "version" && argc == 3) {
        // The program's fixed version resource, as Explorer's property page shows it.
        const std::wstring file = wide(argv[2]);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
        std::vector<unsigned char> data(size);
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, data.data()) ||
            !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
            length < sizeof(VS_FIXEDFILEINFO)) {
            return 1;
        }
        std::printf("%d.%d.%d.%d\n", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                    HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
        return 0;
    }
    if (command == "shot" && argc == 3) {
        return shot(argv[2]);
    }
    if (command == "close" && argc == 3) {
        const std::wstring title = wide(argv[2]);
        // The visible one: a program may keep hidden windows of the same title.
        struct Search {
            std::wstring title;
            HWND found = nullptr;
        } search{title, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* wanted = reinterpret_cast<Search*>(data);
                wchar_t text[512] = {};
                GetWindowTextW(window, text, 512);
                if (IsWindowVisible(window) && wanted->title == text) {
                    wanted->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found && PostMessageW(search.found, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (command == "changed" && argc == 5) {
        return changed(argv[2], argv[3], std::atoi(argv[4]));
    }
    std::fprintf(stderr, "usage: window_probe windows | shot FILE.bmp | changed A.bmp B.bmp TOP"
                         " | close TITLE | version FILE\n");
    return 2;
}
