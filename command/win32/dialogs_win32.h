// The drawing list command's real windows: the drawing list dialog BComDlg,
// the help window HelpDlg, the platform's open and save dialogs and message
// boxes.  Everything goes through the wide-character functions, so the
// Japanese texts show whatever the ANSI code page.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "list_dialog_logic.h"
#include "user_command.h"

namespace rotam::command::win32 {

// The module these windows live in (rotamcmd.dll, or a test program that
// links them in) and its folder, without a separator at the end.
HINSTANCE module_instance();
std::u16string module_folder();

// The text for a function that wants it ended by NUL: only a string's own
// buffer is sure to be, a view's may run on into whatever follows it.
inline const wchar_t *wide(const std::u16string &text) {
    return reinterpret_cast<const wchar_t *>(text.c_str());
}
const wchar_t *wide(std::u16string_view text) = delete;

// Twips of the primary display, both ways.
struct TwipsScale {
    double x = 15;
    double y = 15;
    static TwipsScale current();
    int px_x(double twips) const;
    int px_y(double twips) const;
};

// A dialog box with no controls of its own: the windows make their controls
// at pixel positions worked out from twips.
std::unique_ptr<WORD[]> empty_dialog_template(DWORD style);

// Fits a window's outer size around a client area in pixels.
void set_client_size(HWND window, int width, int height);

// A window's outer size, and moving its top-left corner, in twips.
FormSize window_size_twips(HWND window, const TwipsScale &scale);
void move_window_twips(HWND window, const TwipsScale &scale, double left, double top);

// The dialogs' font: MS P Gothic, regular, Japanese character set, at a size
// in points for the screen's resolution.  The caller deletes it.
HFONT create_dialog_font(double points);

// One control of a dialog, placed in twips.
struct ControlLayout {
    int id;
    const wchar_t *kind;
    const wchar_t *caption;
    DWORD style;
    DWORD ex_style;
    double left, top, width, height;  // twips
};

// Makes the control at its place in pixels, in the dialog's font.
HWND create_control(HWND dialog, const ControlLayout &c, const TwipsScale &scale, HFONT font);

// Open and save dialogs and message boxes, owned by one window.
class CommonDialogs final : public FileDialogs, public MessageBoxes {
public:
    void set_owner(HWND owner) { owner_ = owner; }

    std::optional<std::u16string> show_open(const FileDialogSettings &settings) override;
    std::optional<std::u16string> show_save(const FileDialogSettings &settings) override;
    void show(std::u16string_view text, std::u16string_view title, MessageIcon icon) override;
    bool ask_yes_no(std::u16string_view text, std::u16string_view title) override;

    // Characters the open dialog's answer may take before it has to grow.
    static void set_initial_open_buffer(std::size_t chars);

private:
    HWND owner_ = nullptr;
};

class HelpDialog final : public HelpWindow {
public:
    void set_owner(HWND owner) { owner_ = owner; }
    // Raises 5 when the window cannot be made, or what went wrong inside it.
    void show_modal() override;
    HWND window() const { return window_; }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void init(HWND window);
    void layout();

    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    HWND comment_ = nullptr;
    HWND close_ = nullptr;
    HFONT font_ = nullptr;
    TwipsScale scale_;
    std::exception_ptr failure_;
};

// BComDlg.  Control ids, in the tab order of the window.
enum ListDialogControl : int {
    kIdSave = 1001,   // cmdsave, the default button
    kIdCancel = IDCANCEL,  // Cancel, the cancel button
    kIdHelp = 1003,
    kIdList = 1004,
    kIdClear = 1005,
    kIdSelect = 1006,
};

class DrawingListDialog final : public ListDialog, private FormWindow, private ListBoxView {
public:
    DrawingListDialog();
    ~DrawingListDialog() override;

    void show_modal() override;
    void unload() override;
    std::int16_t bret() const override;

    HWND window() const { return window_; }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void init(HWND window);
    void command(int id, int code);
    void end_modal();

    // FormWindow
    FormSize outer_size() const override;
    void move_to(double left, double top) override;
    void hide() override;
    // ListBoxView
    void add_rows(std::span<const std::u16string> rows) override;
    void clear() override;
    std::optional<std::size_t> selected() const override;
    std::u16string text(std::size_t row) const override;
    void remove(std::size_t row) override;

    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HFONT font_ = nullptr;
    TwipsScale scale_;
    bool ending_ = false;
    CommonDialogs common_;
    HelpDialog help_;
    std::unique_ptr<ListFiles> files_;
    std::unique_ptr<ListDialogLogic> logic_;
    std::int16_t bret_ = 0;
    // An error that no action trapped: it ends the modal showing and goes on
    // from show_modal to the command's own trap.
    std::exception_ptr failure_;
};

// The single shared BComDlg of the component.
DrawingListDialog &drawing_list_dialog();

}  // namespace rotam::command::win32
