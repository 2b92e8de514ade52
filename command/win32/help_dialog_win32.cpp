// HelpDlg: a resizable window with the help text and a close button that is
// both the default and the cancel button.
#include <cmath>

#include "dialogs_win32.h"
#include "help_text.h"
#include "placement.h"

namespace rotam::command::win32 {
namespace {

constexpr int kIdClose = IDCANCEL;  // Enter, Escape and the button alike
constexpr int kIdComment = 2001;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                         WS_MAXIMIZEBOX | DS_MODALFRAME;

}  // namespace

void HelpDialog::show_modal() {
    const auto layout = empty_dialog_template(kStyle);
    DialogBoxIndirectParamW(module_instance(), reinterpret_cast<const DLGTEMPLATE *>(layout.get()),
                            owner_, &HelpDialog::procedure, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    comment_ = nullptr;
    close_ = nullptr;
    if (font_) {
        DeleteObject(font_);
        font_ = nullptr;
    }
}

INT_PTR CALLBACK HelpDialog::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto *self = reinterpret_cast<HelpDialog *>(GetWindowLongPtrW(window, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        self = reinterpret_cast<HelpDialog *>(lparam);
        SetWindowLongPtrW(window, DWLP_USER, lparam);
        self->init(window);
        return FALSE;  // the focus is set
    case WM_SIZE:
        if (self)
            self->layout();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == kIdClose) {
            EndDialog(window, 0);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

void HelpDialog::init(HWND window) {
    window_ = window;
    scale_ = TwipsScale::current();
    SetWindowTextW(window, L"ｵﾌﾟｼｮﾝｺﾏﾝﾄﾞ ﾍﾙﾌﾟ");

    // 9.75 points, regular, Japanese character set.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    font_ = CreateFontW(-static_cast<int>(std::lround(9.75 * dpi / 72.0)), 0, 0, 0, FW_NORMAL, FALSE,
                        FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック");

    // Made in tab order: the button first.
    const HelpControl close = kHelpClose;
    const HelpControl comment = kHelpComment;
    close_ = CreateWindowExW(0, L"BUTTON", L"閉じる", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                             scale_.px_x(close.left), scale_.px_y(close.top),
                             scale_.px_x(close.width), scale_.px_y(close.height), window,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdClose)),
                             module_instance(), nullptr);
    comment_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                                   ES_AUTOVSCROLL | ES_READONLY,
                               scale_.px_x(comment.left), scale_.px_y(comment.top),
                               scale_.px_x(comment.width), scale_.px_y(comment.height), window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdComment)),
                               module_instance(), nullptr);
    SendMessageW(close_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(comment_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    const std::u16string text = help_text();
    SetWindowTextW(comment_, wide(text));
    SendMessageW(window, DM_SETDEFID, kIdClose, 0);

    // The designed size, then the top-left corner at the pointer.
    set_client_size(window, scale_.px_x(kHelpClient.width), scale_.px_y(kHelpClient.height));
    layout();
    RECT outer{};
    GetWindowRect(window, &outer);
    double left = 0, top = 0;
    PlaceFormNearCursor({(outer.right - outer.left) * scale_.x, (outer.bottom - outer.top) * scale_.y},
                        left, top, kPlaceTopLeft);
    SetWindowPos(window, nullptr, scale_.px_x(left), scale_.px_y(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetFocus(close_);
}

void HelpDialog::layout() {
    if (!window_ || !comment_ || !close_)
        return;
    RECT client{};
    GetClientRect(window_, &client);
    const HelpClient area{0, 0, client.right * scale_.x, client.bottom * scale_.y};

    RECT box{};
    GetWindowRect(comment_, &box);
    HelpControl comment{0, 0, (box.right - box.left) * scale_.x, (box.bottom - box.top) * scale_.y};
    HelpControl close = kHelpClose;
    layout_help(area, close, comment);
    MoveWindow(close_, scale_.px_x(close.left), scale_.px_y(close.top), scale_.px_x(close.width),
               scale_.px_y(close.height), TRUE);
    MoveWindow(comment_, scale_.px_x(comment.left), scale_.px_y(comment.top),
               scale_.px_x(comment.width), scale_.px_y(comment.height), TRUE);
}

}  // namespace rotam::command::win32
