// The component's single BComDlg, in place from the moment the component is
// loaded until it is unloaded.  Only rotamcmd.dll registers it; programs that
// link the windows in for their own tests show the dialog themselves.
#include "dialogs_win32.h"

namespace rotam::command::win32 {
namespace {

struct Registration {
    Registration() { set_list_dialog(&drawing_list_dialog()); }
    ~Registration() {
        if (list_dialog() == &drawing_list_dialog())
            set_list_dialog(nullptr);
    }
} g_registration;

}  // namespace
}  // namespace rotam::command::win32
