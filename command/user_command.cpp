// The drawing list command's run and the input handlers the control calls.
// The whole command happens inside the dialog, so the run is: show the dialog
// until it is closed; the template's end routine then tells the host the
// command has ended.
#include "user_command.h"

#include "control.h"
#include "runtime_error.h"

namespace rotam::command {
namespace {

ListDialog *g_list_dialog = nullptr;

constexpr std::int16_t kTrue = -1;

ListDialog &the_list_dialog() {
    if (!g_list_dialog)
        throw RuntimeError(91, "Object variable or With block variable not set");
    return *g_list_dialog;
}

class DrawingList final : public OptionCommand {
public:
    void run(Control &) override { ShowListDialog(); }
    void unload() override {
        if (g_list_dialog)
            g_list_dialog->unload();
    }
    void on_select_end(std::int16_t &sw, std::int32_t &nSelect) override { OnSelectEnd(sw, nSelect); }
    void on_gcin_end() override { OnGCINEnd(); }
    void on_trans_drag() override { OnTransDrag(); }
    void on_from_drawing_end(std::int16_t &sw) override { OnFromDrawingEnd(sw); }
};

}  // namespace

void set_list_dialog(ListDialog *dialog) { g_list_dialog = dialog; }
ListDialog *list_dialog() { return g_list_dialog; }

void ShowListDialog() {
    Control *const run = CommandControl();
    ListDialog &dialog = the_list_dialog();
    bool again = false;
    do {
        dialog.show_modal();
        again = dialog.bret() == kTrue;
        // An urgent exit while the dialog was open has already ended the run
        // and unloaded the dialog: it is not shown again, and the template's
        // end after the loop finds no run.
    } while (again && CommandControl() == run);
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

namespace rotam {

OptionCommand &option_command() {
    static command::DrawingList drawing_list;
    return drawing_list;
}

}  // namespace rotam
