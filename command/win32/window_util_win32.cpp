// What the command's windows share: the module they belong to, twips and
// pixels, and dialog boxes built in code.
#include <cmath>
#include <cstring>

#include "dialogs_win32.h"
#include "placement.h"

namespace rotam::command::win32 {

HINSTANCE module_instance() {
    HMODULE module = nullptr;
    // Any address inside this module names it, whether the code lives in
    // rotamcmd.dll or in a program that links it in.
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&module_instance), &module);
    return module;
}

std::u16string module_folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module_instance(), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    // The folder without its last separator, also for a module at the root
    // of a drive: "C:\rotamcmd.dll" lies in "C:".
    const std::size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash);
    return {reinterpret_cast<const char16_t *>(path.data()), path.size()};
}

TwipsScale TwipsScale::current() {
    ScreenInfo &screen = screen_info();
    return {screen.twips_per_pixel_x(), screen.twips_per_pixel_y()};
}

int TwipsScale::px_x(double twips) const { return static_cast<int>(std::lround(twips / x)); }
int TwipsScale::px_y(double twips) const { return static_cast<int>(std::lround(twips / y)); }

std::unique_ptr<WORD[]> empty_dialog_template(DWORD style) {
    // DLGTEMPLATE, then no menu, the standard class and an empty title.
    constexpr std::size_t words = sizeof(DLGTEMPLATE) / sizeof(WORD) + 3;
    auto memory = std::make_unique<WORD[]>(words + 1);
    DLGTEMPLATE header{};
    header.style = style;
    header.cx = 100;
    header.cy = 50;
    std::memcpy(memory.get(), &header, sizeof header);
    return memory;
}

void set_client_size(HWND window, int width, int height) {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

FormSize window_size_twips(HWND window, const TwipsScale &scale) {
    RECT outer{};
    GetWindowRect(window, &outer);
    return {(outer.right - outer.left) * scale.x, (outer.bottom - outer.top) * scale.y};
}

void move_window_twips(HWND window, const TwipsScale &scale, double left, double top) {
    SetWindowPos(window, nullptr, scale.px_x(left), scale.px_y(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT create_dialog_font(double points) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return CreateFontW(-static_cast<int>(std::lround(points * dpi / 72.0)), 0, 0, 0, FW_NORMAL, FALSE,
                       FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック");
}

HWND create_control(HWND dialog, const ControlLayout &c, const TwipsScale &scale, HFONT font) {
    HWND control = CreateWindowExW(c.ex_style, c.kind, c.caption, c.style, scale.px_x(c.left),
                                   scale.px_y(c.top), scale.px_x(c.width), scale.px_y(c.height), dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                   module_instance(), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

}  // namespace rotam::command::win32
