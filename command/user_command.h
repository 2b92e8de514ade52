// The command module: what the drawing list command does between the host's
// ZynInitCommand and the end of the run.  The control's core reaches the
// command only through these entry points.
#pragma once

#include <cstdint>

namespace rotam {

class Control;

namespace command {

// The outer contract of the drawing list dialog BComDlg, all the command flow
// relies on.  The platform supplies the real window (command/win32); tests
// supply fakes.
class ListDialog {
public:
    virtual ~ListDialog() = default;
    // Loads the dialog if needed (bret false on load) and shows it modally,
    // with no owner window, until it is hidden or unloaded.  May throw
    // RuntimeError.
    virtual void show_modal() = 0;
    // Closes and frees the window if it is loaded; nothing otherwise.
    virtual void unload() = 0;
    virtual std::int16_t bret() const = 0;
};

// The single shared BComDlg instance.  Set once by the platform layer (or a
// test); the command uses whatever is set when it runs.
void set_list_dialog(ListDialog *dialog);
ListDialog *list_dialog();

// CommandControl: the running control, or nullptr.  Holding it keeps the
// control alive (Control::add_ref / release).
Control *CommandControl();

void StartCommand(Control &control);
void ShowListDialog();
void EndCommand();

void OnGCINEnd();
void OnSelectEnd(std::int16_t &sw, std::int32_t &nSelect);
void OnTransDrag();
void OnFromDrawingEnd(std::int16_t &sw);

}  // namespace command
}  // namespace rotam
