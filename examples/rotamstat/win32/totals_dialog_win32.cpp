// The totals dialog: a static text and an OK button, modal, without an owner
// window, placed beside the mouse pointer with the template's placement
// helpers.  The template's end routine unloads it, also while it is open
// (the host's urgent exit).
#include <windows.h>

#include <cstdint>
#include <vector>

#include "drawing_stats.h"
#include "placement.h"

namespace rotamstat::win32 {
namespace {

constexpr WORD kTextId = 100;
constexpr wchar_t kCaption[] = L"rotamstat";

// An in-memory dialog template: no resource script to keep beside the code.
class Template {
public:
    Template(short cx, short cy) {
        put(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0);
        count_at_ = words_.size();
        words_.push_back(0);  // item count
        words_.insert(words_.end(), {0, 0, static_cast<WORD>(cx), static_cast<WORD>(cy)});
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard class
        text(kCaption);
        words_.push_back(8);
        text(L"MS Shell Dlg");
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const wchar_t *title) {
        while (words_.size() % 2)  // DWORD alignment
            words_.push_back(0);
        put(style | WS_CHILD | WS_VISIBLE, 0);
        words_.insert(words_.end(), {static_cast<WORD>(x), static_cast<WORD>(y), static_cast<WORD>(cx),
                                     static_cast<WORD>(cy), id, 0xFFFF, atom});
        text(title);
        words_.push_back(0);  // no creation data
        ++words_[count_at_];
    }
    const DLGTEMPLATE *get() const { return reinterpret_cast<const DLGTEMPLATE *>(words_.data()); }

private:
    void put(DWORD style, DWORD ex_style) {
        words_.push_back(LOWORD(style));
        words_.push_back(HIWORD(style));
        words_.push_back(LOWORD(ex_style));
        words_.push_back(HIWORD(ex_style));
    }
    void text(const wchar_t *s) {
        do
            words_.push_back(static_cast<WORD>(*s));
        while (*s++);
    }
    std::vector<WORD> words_;
    std::size_t count_at_ = 0;
};

class TotalsDialog final : public TotalsView {
public:
    void show_modal(const String &text) override {
        text_.assign(text.begin(), text.end());
        Template t(200, 190);
        t.item(SS_LEFT | SS_NOPREFIX, 7, 7, 186, 155, kTextId, 0x0082, L"");
        t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 75, 169, 50, 14, IDOK, 0x0080, L"OK");
        DialogBoxIndirectParamW(module(), t.get(), nullptr, &TotalsDialog::proc,
                                reinterpret_cast<LPARAM>(this));
        window_ = nullptr;
    }
    void unload() override {
        if (window_)
            EndDialog(window_, IDCANCEL);
    }

private:
    static HINSTANCE module() {
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&TotalsDialog::proc), &self);
        return self;
    }
    // Beside the pointer, kept on the screen, in the size the template gave.
    static void place(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        rotam::ScreenInfo &screen = rotam::screen_info();
        const double tx = screen.twips_per_pixel_x(), ty = screen.twips_per_pixel_y();
        const rotam::FormSize form{(r.right - r.left) * tx, (r.bottom - r.top) * ty};
        double x = 0, y = 0;
        rotam::PlaceFormNearCursor(form, x, y, rotam::kPlaceTopLeft);
        SetWindowPos(window, nullptr, static_cast<int>(x / tx), static_cast<int>(y / ty), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    static INT_PTR CALLBACK proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        switch (message) {
        case WM_INITDIALOG: {
            auto *self = reinterpret_cast<TotalsDialog *>(lparam);
            self->window_ = window;
            SetDlgItemTextW(window, kTextId, self->text_.c_str());
            place(window);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
                EndDialog(window, LOWORD(wparam));
                return TRUE;
            }
            break;
        }
        return FALSE;
    }

    std::wstring text_;
    HWND window_ = nullptr;
};

TotalsDialog &the_dialog() {
    static TotalsDialog dialog;
    return dialog;
}

// In place from the moment the component is loaded.
struct Registration {
    Registration() { set_totals_view(&the_dialog()); }
    ~Registration() { set_totals_view(nullptr); }
} g_registration;

}  // namespace
}  // namespace rotamstat::win32
