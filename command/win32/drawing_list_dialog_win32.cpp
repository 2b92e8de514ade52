// BComDlg, the drawing list dialog, as a modal Win32 dialog.  Its controls are
// made at their twip positions turned into pixels of the display; what the
// buttons do is ListDialogLogic.
#include <utility>

#include "dialogs_win32.h"

namespace rotam::command::win32 {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// In tab order: cmdsave, Cancel, Help, List1, cmdcls, cmdshow.
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
const ControlLayout kControls[] = {
    {kIdSave, L"BUTTON", L"保存", kButton | BS_DEFPUSHBUTTON, 0, 4875, 2625, 1215, 315},
    {kIdCancel, L"BUTTON", L"ｷｬﾝｾﾙ", kButton | BS_PUSHBUTTON, 0, 6075, 2625, 1215, 315},
    {kIdHelp, L"BUTTON", L"ﾍﾙﾌﾟ", kButton | BS_PUSHBUTTON, 0, 60, 2625, 1215, 315},
    {kIdList, L"LISTBOX", L"",
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
     WS_EX_CLIENTEDGE, 60, 30, 7185, 2580},
    {kIdClear, L"BUTTON", L"クリア", kButton | BS_PUSHBUTTON, 0, 3675, 2625, 1215, 315},
    {kIdSelect, L"BUTTON", L"図面選択", kButton | BS_PUSHBUTTON, 0, 2475, 2625, 1215, 315},
};

constexpr double kClientWidth = 7320;
constexpr double kClientHeight = 2955;

}  // namespace

DrawingListDialog &drawing_list_dialog() {
    static DrawingListDialog dialog;
    return dialog;
}

DrawingListDialog::DrawingListDialog() = default;
DrawingListDialog::~DrawingListDialog() = default;

std::int16_t DrawingListDialog::bret() const { return bret_; }

void DrawingListDialog::show_modal() {
    if (window_)
        return;  // already showing: a nested call waits for nothing
    failure_ = nullptr;
    ending_ = false;
    const auto layout = empty_dialog_template(kStyle);
    const INT_PTR result =
        DialogBoxIndirectParamW(module_instance(), reinterpret_cast<const DLGTEMPLATE *>(layout.get()),
                                nullptr, &DrawingListDialog::procedure, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    list_ = nullptr;
    logic_.reset();
    files_.reset();
    if (font_) {
        DeleteObject(font_);
        font_ = nullptr;
    }
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    if (result == -1)
        throw RuntimeError(5, "Invalid procedure call or argument");
}

void DrawingListDialog::unload() { end_modal(); }

void DrawingListDialog::end_modal() {
    if (window_ && !ending_) {
        ending_ = true;
        EndDialog(window_, 0);
    }
}

INT_PTR CALLBACK DrawingListDialog::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto *self = reinterpret_cast<DrawingListDialog *>(GetWindowLongPtrW(window, DWLP_USER));
    // Nothing may leave a window procedure: an error no action trapped ends
    // the dialog and goes on from show_modal.
    try {
        switch (message) {
        case WM_INITDIALOG:
            self = reinterpret_cast<DrawingListDialog *>(lparam);
            SetWindowLongPtrW(window, DWLP_USER, lparam);
            self->init(window);
            return FALSE;  // the focus is set
        case WM_COMMAND:
            // Nothing more once the dialog is on its way out.
            if (self && self->logic_ && !self->ending_)
                self->command(LOWORD(wparam), HIWORD(wparam));
            return TRUE;
        case WM_CLOSE:
            // The close box unloads the dialog with no handler of its own:
            // not the Cancel button's work.
            if (self)
                self->end_modal();
            return TRUE;
        default:
            break;
        }
    } catch (...) {
        if (self) {
            if (!self->failure_)
                self->failure_ = std::current_exception();
            self->end_modal();
        }
        return TRUE;
    }
    return FALSE;
}

void DrawingListDialog::init(HWND window) {
    window_ = window;
    scale_ = TwipsScale::current();
    SetWindowTextW(window, L"ロタムリスト作成 Ver1.0");

    font_ = create_dialog_font(9);

    set_client_size(window, scale_.px_x(kClientWidth), scale_.px_y(kClientHeight));
    for (const ControlLayout &c : kControls)
        create_control(window, c, scale_, font_);
    list_ = GetDlgItem(window, kIdList);
    SendMessageW(window, DM_SETDEFID, kIdSave, 0);

    common_.set_owner(window);
    help_.set_owner(window);
    files_ = std::make_unique<ListFiles>(module_folder(), platform_file_system(), platform_code_page());
    logic_ = std::make_unique<ListDialogLogic>(
        *files_, ListDialogParts{*this, *this, common_, common_, help_});
    logic_->load();
    bret_ = logic_->bret();
    SetFocus(GetDlgItem(window, kIdSave));
}

void DrawingListDialog::command(int id, int code) {
    if (id == kIdList) {
        if (code == LBN_DBLCLK)
            logic_->remove_selected();
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case kIdSelect:
        logic_->select();
        break;
    case kIdSave:
        logic_->save();
        break;
    case kIdClear:
        logic_->clear();
        break;
    case kIdHelp:
        logic_->help();
        break;
    case kIdCancel:
        logic_->cancel();
        bret_ = logic_->bret();
        break;
    default:
        break;
    }
}

FormSize DrawingListDialog::outer_size() const { return window_size_twips(window_, scale_); }

void DrawingListDialog::move_to(double left, double top) {
    move_window_twips(window_, scale_, left, top);
}

void DrawingListDialog::hide() { end_modal(); }

void DrawingListDialog::add_rows(std::span<const std::u16string> rows) {
    const bool many = rows.size() > 16;
    if (many) {
        SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
        std::size_t chars = 0;
        for (const std::u16string &row : rows)
            chars += row.size() + 1;
        SendMessageW(list_, LB_INITSTORAGE, rows.size(), chars * sizeof(wchar_t));
    }
    for (const std::u16string &row : rows)
        SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(row)));
    if (many) {
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
}

void DrawingListDialog::clear() { SendMessageW(list_, LB_RESETCONTENT, 0, 0); }

std::optional<std::size_t> DrawingListDialog::selected() const {
    const LRESULT row = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR)
        return std::nullopt;
    return static_cast<std::size_t>(row);
}

std::u16string DrawingListDialog::text(std::size_t row) const {
    const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, row, 0);
    if (length == LB_ERR)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(list_, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return {text.begin(), text.end()};
}

void DrawingListDialog::remove(std::size_t row) { SendMessageW(list_, LB_DELETESTRING, row, 0); }

}  // namespace rotam::command::win32
