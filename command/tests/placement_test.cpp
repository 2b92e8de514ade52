#include "placement.h"

#include <climits>
#include <cmath>

#include <gtest/gtest.h>

namespace rotam {
namespace {

class FakeScreen final : public ScreenInfo {
public:
    bool ok = true;
    std::int32_t px = 0, py = 0;
    std::int32_t cx = 1280, cy = 1035;
    double tx = 15, ty = 15;

    bool cursor_pixels(std::int32_t &x, std::int32_t &y) override {
        if (!ok)
            return false;
        x = px;
        y = py;
        return true;
    }
    std::int32_t full_screen_width() override { return cx; }
    std::int32_t full_screen_height() override { return cy; }
    double twips_per_pixel_x() override { return tx; }
    double twips_per_pixel_y() override { return ty; }
};

class Placement : public ::testing::Test {
protected:
    void SetUp() override { set_screen_info(&screen); }
    void TearDown() override { set_screen_info(nullptr); }

    // Screen 19200 x 15525 twips at 15 twips per pixel.
    std::pair<double, double> place(FormSize form, int mode) {
        double x = -1, y = -1;
        PlaceFormNearCursor(form, x, y, mode);
        return {x, y};
    }

    FakeScreen screen;
};

TEST_F(Placement, CursorTwipsUsesEachAxisFactor) {
    screen.px = 100;
    screen.py = 200;
    screen.tx = 12;
    screen.ty = 15;
    double x = -1, y = -1;
    EXPECT_NE(GetCursorTwips(x, y), 0);
    EXPECT_EQ(x, 1200);
    EXPECT_EQ(y, 3000);
}

TEST_F(Placement, CursorTwipsFailureCountsAsOrigin) {
    screen.ok = false;
    screen.px = 100;
    double x = -1, y = -1;
    EXPECT_EQ(GetCursorTwips(x, y), 0);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST_F(Placement, EveryModeAlignsThePointer) {
    screen.px = 600;  // 9000 twips
    screen.py = 500;  // 7500 twips
    const FormSize form{3000, 1200};
    const double xs[] = {9000, 7500, 6000};
    const double ys[] = {7500, 6900, 6300};
    for (int mode = 0; mode <= 8; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(place(form, mode), std::make_pair(xs[mode % 3], ys[mode / 3]));
    }
}

TEST_F(Placement, ModesOutOfRangeKeepThePointerForThatPart) {
    screen.px = 600;
    screen.py = 500;
    const FormSize form{3000, 1200};
    EXPECT_EQ(place(form, -1), std::make_pair(9000.0, 7500.0));
    EXPECT_EQ(place(form, -5), std::make_pair(9000.0, 7500.0));
    EXPECT_EQ(place(form, 9), std::make_pair(9000.0, 7500.0));
    // 10: centred across (remainder 1), quotient 3 keeps the pointer's y.
    EXPECT_EQ(place(form, 10), std::make_pair(7500.0, 7500.0));
    EXPECT_EQ(place(form, 17), std::make_pair(6000.0, 7500.0));
    EXPECT_EQ(place(form, INT_MIN), std::make_pair(9000.0, 7500.0));
    EXPECT_EQ(place(form, INT_MAX), std::make_pair(7500.0, 7500.0));
}

TEST_F(Placement, TopLeftCornerCentredClampsToExactZero) {
    const auto [x, y] = place({7440, 3360}, 1);
    EXPECT_EQ(x, 0);
    EXPECT_FALSE(std::signbit(x));
    EXPECT_EQ(y, 0);
    // Pulled above and left of the screen, too.
    screen.px = 10;
    screen.py = 5;
    const auto [x2, y2] = place({600, 600}, 8);
    EXPECT_EQ(x2, 0);
    EXPECT_FALSE(std::signbit(x2));
    EXPECT_EQ(y2, 0);
    EXPECT_FALSE(std::signbit(y2));
}

// The pointer's pixel position, the form and the mode against where the form
// lands on the 19200 x 15525 twip screen.
TEST_F(Placement, PointerPositionsAgainstTheScreenEdges) {
    struct Case {
        const char *what;
        std::int32_t px, py;
        FormSize form;
        int mode;
        double x, y;
    };
    for (const Case &c : {
             Case{"a small form at the pointer", 100, 200, {1000, 500}, 0, 1500, 3000},
             Case{"near the bottom right: pushed left and up", 1270, 1030, {3000, 1500}, 0, 19200.0 - 3000,
                  15525.0 - 1500},
             Case{"exactly fitting stays", 1080, 935, {3000, 1500}, 0, 16200, 14025},
             // The left and top clamps run first, so the right and bottom ones win.
             Case{"larger than the screen: flush right and bottom", 0, 0, {20000, 16000}, 4, 19200.0 - 20000,
                  15525.0 - 16000},
             Case{"larger than the screen, pointer at the far corner", 1279, 1034, {20000, 16000}, 0, -800, -475},
             Case{"halves are not rounded", 100, 100, {1001, 301}, 4, 1500 - 500.5, 1500 - 150.5}}) {
        SCOPED_TRACE(c.what);
        screen.px = c.px;
        screen.py = c.py;
        EXPECT_EQ(place(c.form, c.mode), std::make_pair(c.x, c.y));
    }
}

TEST_F(Placement, ScreenAreaUsesTheFactorsToo) {
    screen.tx = 12;
    screen.ty = 10;
    screen.cx = 100;  // 1200 twips
    screen.cy = 50;   // 500 twips
    screen.px = 95;
    screen.py = 45;
    EXPECT_EQ(place({300, 100}, 0), std::make_pair(900.0, 400.0));
}

}  // namespace
}  // namespace rotam
