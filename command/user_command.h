// The drawing list command: what it does between the host's ZynInitCommand
// and the end of the run.  The template reaches it only as its OptionCommand
// (option_command()); the start and end routines are the template's.
#pragma once

#include <cstdint>

#include "option_command.h"

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

// The template's run, by the names the command has always used.
using rotam::CommandControl;
using rotam::EndCommand;
using rotam::StartCommand;

void ShowListDialog();

void OnGCINEnd();
void OnSelectEnd(std::int16_t &sw, std::int32_t &nSelect);
void OnTransDrag();
void OnFromDrawingEnd(std::int16_t &sw);

}  // namespace command
}  // namespace rotam
