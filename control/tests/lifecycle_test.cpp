// The control's lifecycle methods as a host sees them: what they copy, what
// they raise and in which order, what they leave alone.
#include <gtest/gtest.h>

#include <climits>
#include <numeric>

#include "fake_host.h"
#include "fake_command.h"

namespace rotam::testing {
namespace {

constexpr std::int32_t kExitCommand = 1, kGetZynVersion = 224, kGetActiveZoririTitle = 255,
                       kGetRestGCIN = 264;

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        HostVersion().clear();
        install_command(&dialog);
    }
    void TearDown() override {
        EXPECT_EQ(CommandControl(), nullptr);
        install_command(nullptr);
        HostVersion().clear();
    }
    InputState &state() { return owner.control.state(); }

    FakeCommand dialog;
    FakeOwner owner;
    FakeHost &host = owner.host_events;
    Control &control = owner.control;
};

// The 17 cursor-input arguments of ZynGCINEnd and ZynTransDrag, each with a
// value of its own.
struct CursorInput {
    Long mcx = 11, mcy = 12, mcxUp = 13, mcyUp = 14;
    Double gcx = 1.5, gcy = 2.5, gcxUp = 3.5, gcyUp = 4.5;
    Double dcx = -1.25, dcy = -2.25, dcxUp = -3.25, dcyUp = -4.25;
    Long sw = 3, nFlags = 8, nFlagsUp = 9, key = 0x41;
    String str = u"入力 text";

    bool operator==(const CursorInput &) const = default;
};

// The properties those arguments land in, in interface order.
const std::vector<std::string> kCopied = {"mcx", "mcy", "mcxUp", "mcyUp", "dcx", "dcy",
                                          "dcxUp", "dcyUp", "gcx", "gcy", "gcxUp", "gcyUp",
                                          "sw", "nFlags", "nFlagsUp", "key", "str"};

void gcin_end(Control &c, CursorInput &in) {
    c.ZynGCINEnd(in.mcx, in.mcy, in.mcxUp, in.mcyUp, in.gcx, in.gcy, in.gcxUp, in.gcyUp, in.dcx,
                 in.dcy, in.dcxUp, in.dcyUp, in.sw, in.nFlags, in.nFlagsUp, in.key, in.str);
}

void trans_drag(Control &c, CursorInput &in) {
    c.ZynTransDrag(in.mcx, in.mcy, in.mcxUp, in.mcyUp, in.gcx, in.gcy, in.gcxUp, in.gcyUp, in.dcx,
                   in.dcy, in.dcxUp, in.dcyUp, in.sw, in.nFlags, in.nFlagsUp, in.key, in.str);
}

void expect_copied(const InputState &s, const CursorInput &in) {
    EXPECT_EQ(s.mcx, in.mcx);
    EXPECT_EQ(s.mcy, in.mcy);
    EXPECT_EQ(s.mcxUp, in.mcxUp);
    EXPECT_EQ(s.mcyUp, in.mcyUp);
    EXPECT_EQ(s.gcx, in.gcx);
    EXPECT_EQ(s.gcy, in.gcy);
    EXPECT_EQ(s.gcxUp, in.gcxUp);
    EXPECT_EQ(s.gcyUp, in.gcyUp);
    EXPECT_EQ(s.dcx, in.dcx);
    EXPECT_EQ(s.dcy, in.dcy);
    EXPECT_EQ(s.dcxUp, in.dcxUp);
    EXPECT_EQ(s.dcyUp, in.dcyUp);
    EXPECT_EQ(s.sw, in.sw);
    EXPECT_EQ(s.nFlags, in.nFlags);
    EXPECT_EQ(s.nFlagsUp, in.nFlagsUp);
    EXPECT_EQ(s.key, in.key);
    EXPECT_EQ(s.str, in.str);
}

// Gives the 16 properties the host fills during ZynGCINEnd values of their own.
void preset_event_filled(InputState &s) {
    double v = 100;
    for (double *p : {&s.vcx, &s.vcy, &s.vcxUp, &s.vcyUp, &s.dcz, &s.dczUp, &s.gcz, &s.gczUp,
                      &s.scx, &s.scy, &s.scz, &s.scxUp, &s.scyUp, &s.sczUp})
        *p = v++;
    s.ZoririDocName = u"doc";
    s.ZoririViewName = u"view";
}

TEST_F(Lifecycle, InitCommandAsksVersionRunsDialogAndEndsOnce) {
    host.answer_version(u"2, 0, 3, 4");
    bool shown_during_run = false;
    dialog.while_open = [&](int) {
        shown_during_run = CommandControl() == &control && owner.refs() == 2;
        EXPECT_EQ(host.dispids(), std::vector<std::int32_t>{kGetZynVersion});
    };
    control.ZynInitCommand();

    EXPECT_TRUE(shown_during_run);
    EXPECT_EQ(HostVersion(), u"2, 0, 3, 4");
    ASSERT_EQ(host.dispids(), (std::vector<std::int32_t>{kGetZynVersion, kExitCommand}));
    EXPECT_EQ(host.events()[0].sent, std::vector<ArgValue>{std::u16string()});
    EXPECT_EQ(dialog.shows(), 1);
    EXPECT_FALSE(dialog.loaded());
    EXPECT_EQ(owner.refs(), 1);

    owner.release();
    EXPECT_TRUE(owner.torn_down());
    EXPECT_EQ(host.dispids(),
              (std::vector<std::int32_t>{kGetZynVersion, kExitCommand, kExitCommand}));
}

TEST_F(Lifecycle, HostVersionOutlivesTheControlAndIsSentBack) {
    host.answer_version(u"2, 0, 3, 4");
    control.ZynInitCommand();
    owner.release();

    // A later control of the same loaded component: the host now answers
    // nothing, so the version found earlier stays.
    FakeOwner second;
    second.control.ZynInitCommand();
    ASSERT_GE(second.host_events.events().size(), 1u);
    EXPECT_EQ(second.host_events.events()[0].sent, std::vector<ArgValue>{u"2, 0, 3, 4"});
    EXPECT_EQ(HostVersion(), u"2, 0, 3, 4");

    // A host that empties the text is believed.
    FakeOwner third;
    third.host_events.answer_version(u"");
    third.control.ZynInitCommand();
    EXPECT_EQ(HostVersion(), u"");
}

TEST_F(Lifecycle, FailedVersionEventFailsInitCommandBeforeTheRun) {
    host.on(kGetZynVersion, [](HostCall &) { throw RuntimeError(5, "Invalid procedure call"); });
    try {
        control.ZynInitCommand();
        FAIL() << "ZynInitCommand succeeded";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.number(), 5);
    }
    EXPECT_EQ(dialog.shows(), 0);
    EXPECT_EQ(host.count(kExitCommand), 0u);
    EXPECT_EQ(owner.refs(), 1);
}

TEST_F(Lifecycle, GCINEndWithSilentHostCopiesArgumentsOnly) {
    preset_event_filled(state());
    const InputState before = state();
    CursorInput in;
    const CursorInput original = in;
    gcin_end(control, in);

    EXPECT_EQ(in, original);
    expect_copied(state(), in);
    EXPECT_EQ(changed_properties(before, state()), kCopied);

    ASSERT_EQ(host.dispids(), (std::vector<std::int32_t>{kGetActiveZoririTitle, kGetRestGCIN}));
    const std::vector<ArgValue> &title = host.events()[0].sent;
    ASSERT_EQ(title.size(), 3u);
    EXPECT_EQ(std::get<std::u16string>(title[0]), u"doc");
    EXPECT_EQ(std::get<std::u16string>(title[1]), u"view");
    EXPECT_EQ(std::get<std::int16_t>(title[2]), 0);
    EXPECT_EQ(host.events()[0].types,
              (std::vector<ArgType>{ArgType::Str, ArgType::Str, ArgType::I2}));
    std::vector<double> rest, preset(14);
    for (const ArgValue &v : host.events()[1].sent)
        rest.push_back(std::get<double>(v));
    std::iota(preset.begin(), preset.end(), 100.0);
    EXPECT_EQ(rest, preset);
}

TEST_F(Lifecycle, GCINEndTakesTheHostsAnswersIntoTheRightProperties) {
    host.on(kGetActiveZoririTitle, [](HostCall &c) {
        c.str(0) = u"図面1.QVZ";
        c.str(1) = u"ビュー1";
        c.i2(2) = 1;
    });
    host.on(kGetRestGCIN, [](HostCall &c) {
        for (std::size_t i = 0; i < c.count(); ++i)
            c.r8(i) = 0.5 + double(i);
    });
    CursorInput in;
    gcin_end(control, in);

    const InputState &s = state();
    EXPECT_EQ(s.ZoririDocName, u"図面1.QVZ");
    EXPECT_EQ(s.ZoririViewName, u"ビュー1");
    const double filled[] = {s.vcx, s.vcy, s.vcxUp, s.vcyUp, s.dcz, s.dczUp, s.gcz,
                             s.gczUp, s.scx, s.scy, s.scz, s.scxUp, s.scyUp, s.sczUp};
    for (std::size_t i = 0; i < 14; ++i)
        EXPECT_EQ(filled[i], 0.5 + double(i)) << "argument " << i;
    expect_copied(s, in);

    // The flag the host set is not kept: the next input sends 0 again.
    gcin_end(control, in);
    EXPECT_EQ(host.events()[2].sent[2], ArgValue(std::int16_t(0)));
}

TEST_F(Lifecycle, GCINEndFailingInAnEventKeepsWhatWasCopied) {
    host.on(kGetActiveZoririTitle, [](HostCall &) { throw RuntimeError(13, "Type mismatch"); });
    CursorInput in;
    EXPECT_THROW(gcin_end(control, in), RuntimeError);
    expect_copied(state(), in);
    EXPECT_EQ(host.count(kGetRestGCIN), 0u);
}

TEST_F(Lifecycle, TransDragCopiesTheSameArgumentsAndRaisesNothing) {
    preset_event_filled(state());
    const InputState before = state();
    CursorInput in;
    trans_drag(control, in);

    expect_copied(state(), in);
    EXPECT_EQ(changed_properties(before, state()), kCopied);
    EXPECT_TRUE(host.events().empty());
}

TEST_F(Lifecycle, FromDrawingEndTakesOnlySwitchesThatFitSixteenBits) {
    Long p[6] = {1, 2, 3, 4, 5, 6};
    Double g[6] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
    auto call = [&](Long sw) {
        control.ZynFromDrawingEnd(sw, p[0], p[1], p[2], p[3], p[4], p[5], g[0], g[1], g[2], g[3],
                                  g[4], g[5]);
        return sw;
    };
    EXPECT_EQ(call(32767), 32767);
    EXPECT_EQ(call(-32768), -32768);

    for (Long sw : {32768, -32769, INT_MAX}) {
        for (Long &v : p)
            v += 10;
        for (Double &v : g)
            v += 1;
        Long host_sw = sw;
        try {
            control.ZynFromDrawingEnd(host_sw, p[0], p[1], p[2], p[3], p[4], p[5], g[0], g[1],
                                      g[2], g[3], g[4], g[5]);
            ADD_FAILURE() << "no overflow for " << sw;
        } catch (const RuntimeError &e) {
            EXPECT_EQ(e.number(), 6);
            EXPECT_STREQ(e.what(), "Overflow");
        }
        EXPECT_EQ(host_sw, sw);
        const InputState &s = state();
        EXPECT_EQ((std::vector<Long>{s.FDmcx0, s.FDmcy0, s.FDmcx1, s.FDmcy1, s.FDmcx2, s.FDmcy2}),
                  std::vector<Long>(p, p + 6));
        EXPECT_EQ(
            (std::vector<Double>{s.FDgcx0, s.FDgcy0, s.FDgcx1, s.FDgcy1, s.FDgcx2, s.FDgcy2}),
            std::vector<Double>(g, g + 6));
    }
    EXPECT_TRUE(host.events().empty());
}

TEST_F(Lifecycle, MouseAndKeyMethodsOnlyClearCont) {
    for (Long in : {1, -1, INT_MIN, INT_MAX}) {
        Long flags = 7, x = 20, y = 30, cont = in;
        control.ZynOnMouse(flags, x, y, cont);
        EXPECT_EQ(cont, 0);
        EXPECT_EQ((std::vector<Long>{flags, x, y}), (std::vector<Long>{7, 20, 30}));

        std::int16_t delta = -120;
        cont = in;
        control.ZynOnMouseWheel(flags, delta, x, y, cont);
        EXPECT_EQ(cont, 0);
        EXPECT_EQ(delta, -120);

        Long ch = 'A', rep = 2;
        cont = in;
        control.ZynOnKey(ch, rep, flags, cont);
        EXPECT_EQ(cont, 0);
        EXPECT_EQ((std::vector<Long>{ch, rep, flags}), (std::vector<Long>{'A', 2, 7}));
    }
    EXPECT_TRUE(changed_properties(InputState{}, state()).empty());
    EXPECT_TRUE(host.events().empty());
}

TEST_F(Lifecycle, EscapeRestartAndSelectEndChangeNothing) {
    preset_event_filled(state());
    state().sw = 2;
    const InputState before = state();
    Long mode = 3, nSelect = 17;
    std::int16_t sw = -1;
    control.ZynEscape();
    control.ZynRestartCommand(mode);
    control.ZynSelectEnd(sw, nSelect);
    EXPECT_EQ((std::vector<Long>{mode, sw, nSelect}), (std::vector<Long>{3, -1, 17}));
    EXPECT_TRUE(changed_properties(before, state()).empty());
    EXPECT_TRUE(host.events().empty());
}

TEST_F(Lifecycle, TeardownAnnouncesTheEndEvenWithoutARunAndNeverThrows) {
    control.teardown();
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>{kExitCommand});

    host.on(kExitCommand, [](HostCall &) { throw RuntimeError(440, "Automation error"); });
    EXPECT_NO_THROW(control.teardown());
    host.on(kExitCommand, [](HostCall &) { throw std::bad_alloc(); });
    EXPECT_NO_THROW(control.teardown());
    EXPECT_EQ(host.count(kExitCommand), 3u);
}

}  // namespace
}  // namespace rotam::testing
