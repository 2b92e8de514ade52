// The run every command gets: start, trap, end.
#include "option_command.h"

#include "control.h"
#include "record.h"

namespace rotam {
namespace {

Control *g_command_control = nullptr;

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

}  // namespace

Control *CommandControl() { return g_command_control; }

void StartCommand(Control &control) {
    // A run the host starts from within this control's own end notice is a
    // new run, with an end notice of its own.
    control.set_ending_run(false);
    set_command_control(&control);
    try {
        option_command().run(control);
        EndCommand();
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
    option_command().unload();
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

}  // namespace rotam
