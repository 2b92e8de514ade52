// Placing a command's dialog next to the mouse pointer, kept on the screen.
// Every dialog of the command calls PlaceFormNearCursor from its load handler
// and then moves itself to the answer, keeping its size.
//
// All positions and sizes are twips (1/1440 inch).  The window system's pixel
// values reach the arithmetic through ScreenInfo, so the arithmetic is the
// same on every platform and can be tried with any pointer and screen.
#pragma once

#include <cstdint>

namespace rotam {

class ScreenInfo {
public:
    virtual ~ScreenInfo() = default;
    // The pointer in screen pixels; false (and the point untouched) when the
    // window system cannot tell.
    virtual bool cursor_pixels(std::int32_t &x, std::int32_t &y) = 0;
    // Client area of a full-screen window on the primary display, pixels.
    virtual std::int32_t full_screen_width() = 0;
    virtual std::int32_t full_screen_height() = 0;
    virtual double twips_per_pixel_x() = 0;
    virtual double twips_per_pixel_y() = 0;
};

// The platform's screen (placement_win32.cpp / placement_posix.cpp), unless a
// test put its own in place; nullptr restores the platform's.
ScreenInfo &screen_info();
void set_screen_info(ScreenInfo *screen);
// Defined by the platform file.
ScreenInfo &platform_screen_info();

// The outer size of a form, twips.
struct FormSize {
    double width = 0;
    double height = 0;
};

// Placement modes: mode % 3 picks the form's edge or centre that the pointer
// is at horizontally (left, centre, right), mode / 3 vertically (top,
// centre, bottom).  Outside 0 to 8 the out-of-range part keeps the pointer's
// coordinate.
inline constexpr int kPlaceTopLeft = 0;
inline constexpr int kPlaceTopCentre = 1;

// Returns the window system's success value (non-zero on success); on failure
// the pointer counts as being at (0, 0).
std::int32_t GetCursorTwips(double &x, double &y);

// x and y receive the form's new left and top; the form itself is not moved.
void PlaceFormNearCursor(const FormSize &form, double &x, double &y, int mode);

// The arithmetic alone, for a pointer at (px, py) on a screen area sw by sh.
// The clamps run left, right, top, bottom, so a form larger than the screen
// area ends flush with its right or bottom edge.
void place_near_point(const FormSize &form, double px, double py, double sw, double sh,
                      int mode, double &x, double &y);

}  // namespace rotam
