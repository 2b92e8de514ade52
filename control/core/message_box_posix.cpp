// Without a window system nobody can answer a box: the question counts as
// seen and confirmed with its first button (OK, or Yes of Yes/No).
#include "service.h"

namespace rotam {
namespace {

class HeadlessBox final : public MessageBoxUi {
public:
    int show(const std::u16string &, const std::u16string &, std::uint32_t style) override {
        return (style & 0xF) == kMbYesNo ? kIdYes : kIdOk;
    }
};

}  // namespace

MessageBoxUi &platform_message_box() {
    static HeadlessBox box;
    return box;
}

}  // namespace rotam
