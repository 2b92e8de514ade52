// The platform's message box, modal to the whole thread (no owner window):
// the host's window is not ours to name.
#include <windows.h>

#include "service.h"

namespace rotam {
namespace {

class PlatformBox final : public MessageBoxUi {
public:
    int show(const std::u16string &text, const std::u16string &title, std::uint32_t style) override {
        return MessageBoxW(nullptr, reinterpret_cast<const wchar_t *>(text.c_str()),
                           reinterpret_cast<const wchar_t *>(title.c_str()), style | MB_TASKMODAL);
    }
};

}  // namespace

MessageBoxUi &platform_message_box() {
    static PlatformBox box;
    return box;
}

}  // namespace rotam
