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

TEST_F(Placement, SmallFormAtPointerInModeZero) {
    screen.px = 100;
    screen.py = 200;
    EXPECT_EQ(place({1000, 500}, 0), std::make_pair(1500.0, 3000.0));
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

TEST_F(Placement, NearBottomRightPushesLeftAndUp) {
    screen.px = 1270;
    screen.py = 1030;
    EXPECT_EQ(place({3000, 1500}, 0), std::make_pair(19200.0 - 3000, 15525.0 - 1500));
    // Exactly fitting stays.
    screen.px = 1080;
    screen.py = 935;
    EXPECT_EQ(place({3000, 1500}, 0), std::make_pair(16200.0, 14025.0));
}

TEST_F(Placement, LargerThanTheScreenEndsFlushWithRightAndBottom) {
    screen.px = 0;
    screen.py = 0;
    // The left and top clamps run first, so the right and bottom ones win.
    EXPECT_EQ(place({20000, 16000}, 4), std::make_pair(19200.0 - 20000, 15525.0 - 16000));
    screen.px = 1279;
    screen.py = 1034;
    EXPECT_EQ(place({20000, 16000}, 0), std::make_pair(-800.0, -475.0));
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

TEST_F(Placement, HalvesAreNotRounded) {
    screen.px = 100;
    screen.py = 100;
    EXPECT_EQ(place({1001, 301}, 4), std::make_pair(1500 - 500.5, 1500 - 150.5));
}

}  // namespace
}  // namespace rotam
