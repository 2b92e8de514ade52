#include "placement.h"

namespace rotam {
namespace {

ScreenInfo *g_screen = nullptr;

}  // namespace

ScreenInfo &screen_info() { return g_screen ? *g_screen : platform_screen_info(); }
void set_screen_info(ScreenInfo *screen) { g_screen = screen; }

std::int32_t GetCursorTwips(double &x, double &y) {
    ScreenInfo &screen = screen_info();
    std::int32_t px = 0;
    std::int32_t py = 0;
    const bool ok = screen.cursor_pixels(px, py);
    if (!ok) {
        px = 0;
        py = 0;
    }
    x = px * screen.twips_per_pixel_x();
    y = py * screen.twips_per_pixel_y();
    return ok ? 1 : 0;
}

void place_near_point(const FormSize &form, double px, double py, double sw, double sh,
                      int mode, double &x, double &y) {
    const double w = form.width;
    const double h = form.height;
    x = px;
    y = py;
    // The remainder keeps the sign of the mode and the quotient rounds down,
    // so any mode outside 0 to 8 leaves the part that is out of range alone.
    const int across = mode % 3;
    int down = mode / 3;
    if (across < 0)
        --down;
    if (across == 1)
        x -= w / 2;
    else if (across == 2)
        x -= w;
    if (down == 1)
        y -= h / 2;
    else if (down == 2)
        y -= h;
    if (x < 0)
        x = 0;
    if (x + w > sw)
        x = sw - w;
    if (y < 0)
        y = 0;
    if (y + h > sh)
        y = sh - h;
}

void PlaceFormNearCursor(const FormSize &form, double &x, double &y, int mode) {
    ScreenInfo &screen = screen_info();
    const double sw = screen.full_screen_width() * screen.twips_per_pixel_x();
    const double sh = screen.full_screen_height() * screen.twips_per_pixel_y();
    double px = 0;
    double py = 0;
    GetCursorTwips(px, py);
    place_near_point(form, px, py, sw, sh, mode, x, y);
}

}  // namespace rotam
