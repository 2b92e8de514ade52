// Without a window system there is no pointer to ask for: the pointer counts
// as unknown (placed at the origin) on a 1280 by 1024 screen at 96 dots per
// inch, the display the Windows tests run on.
#include "placement.h"

namespace rotam {
namespace {

class HeadlessScreen final : public ScreenInfo {
public:
    bool cursor_pixels(std::int32_t &, std::int32_t &) override { return false; }
    std::int32_t full_screen_width() override { return 1280; }
    std::int32_t full_screen_height() override { return 1024; }
    double twips_per_pixel_x() override { return 15; }
    double twips_per_pixel_y() override { return 15; }
};

}  // namespace

ScreenInfo &platform_screen_info() {
    static HeadlessScreen screen;
    return screen;
}

}  // namespace rotam
