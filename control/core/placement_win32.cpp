// The primary display as the window system reports it.  Twips per pixel come
// from the display's logical resolution, read each time so that a change of
// the display settings is seen by the next dialog.
#include <windows.h>

#include "placement.h"

namespace rotam {
namespace {

double twips_per_pixel(int axis) {
    double result = 15;  // 96 dots per inch
    if (HDC dc = GetDC(nullptr)) {
        const int dpi = GetDeviceCaps(dc, axis);
        if (dpi > 0)
            result = 1440.0 / dpi;
        ReleaseDC(nullptr, dc);
    }
    return result;
}

class DisplayScreen final : public ScreenInfo {
public:
    bool cursor_pixels(std::int32_t &x, std::int32_t &y) override {
        POINT p{};
        if (!GetCursorPos(&p))
            return false;
        x = p.x;
        y = p.y;
        return true;
    }
    std::int32_t full_screen_width() override { return GetSystemMetrics(SM_CXFULLSCREEN); }
    std::int32_t full_screen_height() override { return GetSystemMetrics(SM_CYFULLSCREEN); }
    double twips_per_pixel_x() override { return twips_per_pixel(LOGPIXELSX); }
    double twips_per_pixel_y() override { return twips_per_pixel(LOGPIXELSY); }
};

}  // namespace

ScreenInfo &platform_screen_info() {
    static DisplayScreen screen;
    return screen;
}

}  // namespace rotam
