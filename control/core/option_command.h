// What the template asks of the command it carries, and the run it gives it.
//
// A component is the template plus exactly one command.  The command library
// defines option_command(); the control calls nothing else of it.  The start
// routine (ZynInitCommand), the end routine and CommandControl belong to the
// template, so every command starts and ends the same way.
#pragma once

#include <cstdint>

namespace rotam {

class Control;

class OptionCommand {
public:
    virtual ~OptionCommand() = default;
    // The whole command: returns when it is done, and the start routine
    // then ends the run.  May throw; the start routine traps everything and
    // ends the run all the same.
    virtual void run(Control &control) = 0;
    // Closes the command's windows; called by every end routine, with or
    // without a run, so possibly more than once.
    virtual void unload() {}
    // The host's notifications of finished input, while a run may be open.
    virtual void on_select_end(std::int16_t & /*sw*/, std::int32_t & /*nSelect*/) {}
    virtual void on_gcin_end() {}
    virtual void on_trans_drag() {}
    virtual void on_from_drawing_end(std::int16_t & /*sw*/) {}
};

// Defined once per component, by its command library.
OptionCommand &option_command();

// CommandControl: the running control, or nullptr.  Holding it keeps the
// control alive (Control::add_ref / release).
Control *CommandControl();

// The start routine: makes control the running one and runs the command.
void StartCommand(Control &control);

// The end routine: unloads the command's windows, tells the host the command
// has ended and lets go of the control.  A command may call it itself.
void EndCommand();

}  // namespace rotam
