#include "window_driver_win32.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace rotam::testing::win {
namespace {

struct Search {
    const std::wstring *caption;
    const std::function<bool(HWND)> *also;
    HWND found = nullptr;
};

DWORD g_process = 0;

BOOL CALLBACK match(HWND window, LPARAM data) {
    auto &search = *reinterpret_cast<Search *>(data);
    if (g_process) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != g_process)
            return TRUE;
    }
    wchar_t kind[32]{};
    GetClassNameW(window, kind, 32);
    if (std::wstring(kind) != L"#32770" || !IsWindowVisible(window))
        return TRUE;
    if (text_of(window) != *search.caption)
        return TRUE;
    if (*search.also && !(*search.also)(window))
        return TRUE;
    search.found = window;
    return FALSE;
}

// PNG with stored (uncompressed) deflate blocks: enough for test pictures.
std::uint32_t crc32(const std::uint8_t *p, std::size_t n, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put32(std::vector<std::uint8_t> &out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void chunk(std::vector<std::uint8_t> &out, const char *type, const std::vector<std::uint8_t> &data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put32(out, crc32(body.data(), body.size()));
}

std::vector<std::uint8_t> png(int width, int height, const std::vector<std::uint8_t> &rgb_rows) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    put32(header, static_cast<std::uint32_t>(width));
    put32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    chunk(out, "IHDR", header);

    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : rgb_rows) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t pos = 0; pos < rgb_rows.size() || pos == 0;) {
        const std::size_t n = std::min<std::size_t>(65535, rgb_rows.size() - pos);
        const bool last = pos + n >= rgb_rows.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n));
        z.push_back(static_cast<std::uint8_t>(~n >> 8));
        z.insert(z.end(), rgb_rows.begin() + static_cast<std::ptrdiff_t>(pos),
                 rgb_rows.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
        if (last)
            break;
    }
    put32(z, (b << 16) | a);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    return out;
}

}  // namespace

void watch_process(DWORD process) { g_process = process; }

std::wstring text_of(HWND window) {
    const int n = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), n + 1)));
    return text;
}

std::wstring message_text(HWND message_box) { return text_of(GetDlgItem(message_box, 0xFFFF)); }

bool is_message_box(HWND window) { return GetDlgItem(window, 0xFFFF) != nullptr; }
bool is_file_dialog(HWND window) { return GetDlgItem(window, 0x47C) != nullptr; }

bool wait_until(const std::function<bool()> &check, DWORD timeout) {
    const ULONGLONG end = GetTickCount64() + timeout;
    for (;;) {
        if (check())
            return true;
        if (GetTickCount64() > end)
            return false;
        Sleep(20);
    }
}

HWND wait_dialog(const std::wstring &caption, const std::function<bool(HWND)> &also, DWORD timeout) {
    HWND found = nullptr;
    wait_until(
        [&] {
            Search search{&caption, &also};
            EnumWindows(&match, reinterpret_cast<LPARAM>(&search));
            found = search.found;
            return found != nullptr;
        },
        timeout);
    return found;
}

HWND wait_message_box(const std::wstring &caption, DWORD timeout) {
    return wait_dialog(caption, &is_message_box, timeout);
}

HWND wait_file_dialog(const std::wstring &caption, DWORD timeout) {
    // The dialog fills its controls after it shows; wait for the Open or
    // Save button too.
    return wait_dialog(
        caption, [](HWND w) { return is_file_dialog(w) && IsWindowEnabled(GetDlgItem(w, IDOK)); },
        timeout);
}

bool wait_gone(HWND window, DWORD timeout) {
    return wait_until([window] { return !IsWindow(window); }, timeout);
}

void click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool dismiss(HWND box, int button, std::wstring *text) {
    if (!box)
        return false;
    if (text)
        *text = message_text(box);
    click(box, button);
    return wait_gone(box);
}

void press(HWND window, UINT key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    // The focus only when it is in this window: another window of the
    // thread may still be on its way out.
    HWND target = window;
    if (info.hwndFocus && (info.hwndFocus == window || IsChild(window, info.hwndFocus)))
        target = info.hwndFocus;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

void close_box(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void answer_file_dialog(HWND file_dialog, const std::wstring &name) {
    HWND box = GetDlgItem(file_dialog, 0x47C);
    HWND combo = FindWindowExW(box, nullptr, L"ComboBox", nullptr);
    HWND edit = FindWindowExW(combo ? combo : box, nullptr, L"Edit", nullptr);
    SendMessageW(edit ? edit : box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    click(file_dialog, IDOK);
}

std::vector<std::wstring> list_rows(HWND list_box) {
    std::vector<std::wstring> rows;
    const LRESULT count = SendMessageW(list_box, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT n = SendMessageW(list_box, LB_GETTEXTLEN, i, 0);
        std::wstring row(static_cast<std::size_t>(n) + 1, L'\0');
        const LRESULT got = SendMessageW(list_box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()));
        row.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        rows.push_back(row);
    }
    return rows;
}

RECT child_rect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&r), 2);
    return r;
}

SIZE client_size(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

bool save_png(HWND window, const std::wstring &path) {
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    std::vector<std::uint8_t> rows;
    rows.reserve(static_cast<std::size_t>(h) * (w * 3 + 1));
    const auto *px = static_cast<const std::uint8_t *>(bits);
    for (int y = 0; y < h; ++y) {
        rows.push_back(0);
        for (int x = 0; x < w; ++x) {
            const std::uint8_t *p = px + (static_cast<std::size_t>(y) * w + x) * 4;
            rows.insert(rows.end(), {p[2], p[1], p[0]});
        }
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const std::vector<std::uint8_t> file = png(w, h, rows);
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char *>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

}  // namespace rotam::testing::win
