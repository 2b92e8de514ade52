// HelpDlg: a resizable window with the help text and a close button that is
// both the default and the cancel button.

#include <utility>

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
    failure_ = nullptr;
    const auto layout = empty_dialog_template(kStyle);
    // A window that closed gives 1; 0 and -1 are a window that could not be
    // made (a bad owner, no memory, no desktop).
    const INT_PTR result =
        DialogBoxIndirectParamW(module_instance(), reinterpret_cast<const DLGTEMPLATE *>(layout.get()),
                                owner_, &HelpDialog::procedure, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    comment_ = nullptr;
    close_ = nullptr;
    if (font_) {
        DeleteObject(font_);
        font_ = nullptr;
    }
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    if (result <= 0)
        throw RuntimeError(5, "Invalid procedure call or argument");
}

INT_PTR CALLBACK HelpDialog::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto *self = reinterpret_cast<HelpDialog *>(GetWindowLongPtrW(window, DWLP_USER));
    // Nothing may leave a window procedure: an error closes the window and
    // goes on from show_modal.
    try {
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
                EndDialog(window, 1);
                return TRUE;
            }
            break;
        default:
            break;
        }
    } catch (...) {
        if (self && !self->failure_)
            self->failure_ = std::current_exception();
        EndDialog(window, 1);
        return TRUE;
    }
    return FALSE;
}

void HelpDialog::init(HWND window) {
    window_ = window;
    scale_ = TwipsScale::current();
    SetWindowTextW(window, L"ｵﾌﾟｼｮﾝｺﾏﾝﾄﾞ ﾍﾙﾌﾟ");

    font_ = create_dialog_font(9.75);

    // Made in tab order: the button first.
    const HelpControl close = kHelpClose;
    const HelpControl comment = kHelpComment;
    close_ = create_control(window,
                            {kIdClose, L"BUTTON", L"閉じる",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, close.left,
                             close.top, close.width, close.height},
                            scale_, font_);
    comment_ = create_control(window,
                              {kIdComment, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                                   ES_AUTOVSCROLL | ES_READONLY,
                               WS_EX_CLIENTEDGE, comment.left, comment.top, comment.width,
                               comment.height},
                              scale_, font_);
    const std::u16string text = help_text();
    SetWindowTextW(comment_, wide(text));
    SendMessageW(window, DM_SETDEFID, kIdClose, 0);

    // The designed size, then the top-left corner at the pointer.
    set_client_size(window, scale_.px_x(kHelpClient.width), scale_.px_y(kHelpClient.height));
    layout();
    double left = 0, top = 0;
    PlaceFormNearCursor(window_size_twips(window, scale_), left, top, kPlaceTopLeft);
    move_window_twips(window, scale_, left, top);
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
