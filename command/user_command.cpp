// The drawing list command's run: start, dialog loop, end, and the input
// handlers the control calls.  The whole command happens inside the dialog,
// so the run is: show the dialog until it is closed, then tell the host the
// command has ended.
#include "user_command.h"

#include "control.h"
#include "record.h"
#include "runtime_error.h"

namespace rotam::command {
namespace {

ListDialog *g_list_dialog = nullptr;
Control *g_command_control = nullptr;

constexpr std::int16_t kTrue = -1;

// CommandControl holds a reference to the control, so replacing it takes the
// new reference before letting the old one go.  The release may tear the
// control down, which is why CommandControl no longer names it by then.
void set_command_control(Control *control) {
    if (control)
        control->add_ref();
    Control *old = g_command_control;
    g_command_control = control;
    if (old)
        old->release();
}

ListDialog &the_list_dialog() {
    if (!g_list_dialog)
        throw RuntimeError(91, "Object variable or With block variable not set");
    return *g_list_dialog;
}

}  // namespace

void set_list_dialog(ListDialog *dialog) { g_list_dialog = dialog; }
ListDialog *list_dialog() { return g_list_dialog; }
Control *CommandControl() { return g_command_control; }

void StartCommand(Control &control) {
    // A run the host starts from within this control's own end notice is a
    // new run, with an end notice of its own.
    control.set_ending_run(false);
    set_command_control(&control);
    try {
        ShowListDialog();
        return;
    } catch (...) {
        // Whatever went wrong, the run ends as if the dialog had been closed,
        // without a word to the user.
    }
    // If an urgent exit ended the run before the failure, this end finds no
    // run and does nothing.
    try {
        EndCommand();
    } catch (...) {
        // The failure goes to the host, but the run is over all the same:
        // holding on to the control would keep it alive for good.
        set_command_control(nullptr);
        throw;
    }
}

void ShowListDialog() {
    Control *const run = CommandControl();
    ListDialog &dialog = the_list_dialog();
    bool again = false;
    do {
        dialog.show_modal();
        again = dialog.bret() == kTrue;
        // An urgent exit while the dialog was open has already ended the run
        // and unloaded the dialog: it is not shown again, and the end below
        // finds no run.
    } while (again && CommandControl() == run);
    EndCommand();
}

// With no run (the loop's own end after an urgent exit, or a stray call) the
// dialog is still unloaded but there is no one to tell.  A host that answers
// the end notice by asking for an urgent exit gets no second notice: the run
// is already ending.  If the notice fails, the run stays open so that the
// start routine's trap can end it once more.
//
// The host may start another control's run from within the notice; that run
// takes CommandControl, and may still hold it when the notice returns, so
// only this control's own hold is let go.  Taking CommandControl drops the
// command's reference to this control, hence the reference of our own for
// the length of the notice.
void EndCommand() {
    if (g_list_dialog)
        g_list_dialog->unload();
    Control *control = CommandControl();
    if (!control || control->ending_run())
        return;
    struct Announcing {
        Control &control;
        explicit Announcing(Control &c) : control(c) {
            control.add_ref();
            control.set_ending_run(true);
        }
        ~Announcing() {
            control.set_ending_run(false);
            control.release();
        }
    } announcing(*control);
    control->ZynExitCommand();
    if (CommandControl() == control) {
        set_command_control(nullptr);
        DropCurrentRecord();
    }
}

// The drawing list command asks the host for no graphic input; these are the
// places where a command of this kind would react to it.  OnGCINEnd would
// dispatch on the switch of the finished input, CommandControl()->state().sw
// (1, 2, or anything else, which also brings a key code in state().key).
void OnGCINEnd() {}

void OnSelectEnd(std::int16_t &, std::int32_t &) {}

void OnTransDrag() {}

void OnFromDrawingEnd(std::int16_t &) {}

}  // namespace rotam::command
