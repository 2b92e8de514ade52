// How a run of the drawing list command ends, in every way it can: what the
// host hears, whether its call fails, and that the command lets go of the
// control.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fake_host.h"
#include "fake_list_dialog.h"

namespace rotam::testing {
namespace {

constexpr std::int32_t kExitCommand = 1;

class CommandFlow : public ::testing::Test {
protected:
    void SetUp() override {
        HostVersion().clear();
        command::set_list_dialog(&dialog);
        host.answer_version(u"2, 0, 3, 4");
    }
    void TearDown() override {
        EXPECT_EQ(command::CommandControl(), nullptr);
        command::set_list_dialog(nullptr);
    }
    // After the run: the command holds no reference and the host heard the
    // end exactly `notices` times.
    void expect_ended(std::size_t notices) {
        EXPECT_EQ(command::CommandControl(), nullptr);
        EXPECT_EQ(owner.refs(), 1);
        EXPECT_FALSE(dialog.loaded());
        EXPECT_EQ(host.count(kExitCommand), notices);
    }

    FakeListDialog dialog;
    FakeOwner owner;
    FakeHost &host = owner.host_events;
    Control &control = owner.control;
};

TEST_F(CommandFlow, DialogIsShownAgainOnlyWhileBretIsTrue) {
    dialog.brets = {-1, -1, 0};
    control.ZynInitCommand();
    EXPECT_EQ(dialog.shows(), 3);
    expect_ended(1);

    // Any true-ish value other than -1 ends the run as well.
    FakeOwner other;
    FakeListDialog once;
    once.brets = {1};
    command::set_list_dialog(&once);
    other.control.ZynInitCommand();
    EXPECT_EQ(once.shows(), 1);
    EXPECT_EQ(other.host_events.count(kExitCommand), 1u);
}

TEST_F(CommandFlow, ErrorsDuringTheRunAreTrappedAndEndIt) {
    dialog.while_open = [](int) { throw RuntimeError(7, "Out of memory"); };
    EXPECT_NO_THROW(control.ZynInitCommand());
    expect_ended(1);

    // Not only the component's own errors: anything thrown ends the run.
    dialog.while_open = [](int) { throw std::runtime_error("list box"); };
    EXPECT_NO_THROW(control.ZynInitCommand());
    expect_ended(2);

    // Nor does it matter on which showing it happens.
    dialog.brets = {-1, -1};
    dialog.while_open = [](int n) {
        if (n == 1)
            throw RuntimeError(5, "Invalid procedure call");
    };
    EXPECT_NO_THROW(control.ZynInitCommand());
    expect_ended(3);
}

TEST_F(CommandFlow, MissingDialogEndsTheRunQuietly) {
    command::set_list_dialog(nullptr);
    EXPECT_NO_THROW(control.ZynInitCommand());
    EXPECT_EQ(command::CommandControl(), nullptr);
    EXPECT_EQ(host.count(kExitCommand), 1u);
}

TEST_F(CommandFlow, EndWithTheDialogAlreadyUnloadedStillAnnouncesIt) {
    dialog.while_open = [&](int) { dialog.unload(); };
    control.ZynInitCommand();
    expect_ended(1);
}

TEST_F(CommandFlow, FailedEndNoticeIsRetriedOnceThenReachesTheHost) {
    int failures_left = 1;
    host.on(kExitCommand, [&](HostCall &) {
        if (failures_left-- > 0)
            throw RuntimeError(440, "Automation error");
    });
    EXPECT_NO_THROW(control.ZynInitCommand());
    expect_ended(2);

    // Failing twice: the trap's own end is not trapped, but the command
    // still lets go of the control, so teardown happens.
    failures_left = 2;
    try {
        control.ZynInitCommand();
        FAIL() << "ZynInitCommand succeeded";
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.number(), 440);
    }
    expect_ended(4);
    host.on(kExitCommand, nullptr);
    owner.release();
    EXPECT_TRUE(owner.torn_down());
    EXPECT_EQ(host.count(kExitCommand), 5u);
}

TEST_F(CommandFlow, UrgentExitDuringTheDialogEndsTheRunOnce) {
    dialog.brets = {-1};  // would ask for another showing
    dialog.while_open = [&](int) {
        control.ZynUrgentExit();
        // The host hears of the end before its call returns.
        EXPECT_EQ(host.count(kExitCommand), 1u);
        EXPECT_EQ(command::CommandControl(), nullptr);
        EXPECT_FALSE(dialog.open());
    };
    EXPECT_NO_THROW(control.ZynInitCommand());
    EXPECT_EQ(dialog.shows(), 1);
    expect_ended(1);

    owner.release();
    EXPECT_EQ(host.count(kExitCommand), 2u);
}

TEST_F(CommandFlow, ErrorAfterAnUrgentExitEndsNothingMore) {
    dialog.while_open = [&](int) {
        control.ZynUrgentExit();
        throw RuntimeError(5, "Invalid procedure call");
    };
    EXPECT_NO_THROW(control.ZynInitCommand());
    expect_ended(1);
}

TEST_F(CommandFlow, UrgentExitWithoutARunDoesNothing) {
    EXPECT_NO_THROW(control.ZynUrgentExit());
    EXPECT_TRUE(host.events().empty());
    EXPECT_EQ(dialog.unloads(), 0);

    control.ZynInitCommand();
    host.clear();
    EXPECT_NO_THROW(control.ZynUrgentExit());
    EXPECT_TRUE(host.events().empty());

    owner.release();
    EXPECT_EQ(host.count(kExitCommand), 1u);
}

TEST_F(CommandFlow, UrgentExitOfAnotherControlLeavesTheRunAlone) {
    FakeOwner other;
    dialog.while_open = [&](int) {
        other.control.ZynUrgentExit();
        EXPECT_EQ(command::CommandControl(), &control);
        EXPECT_TRUE(dialog.open());
    };
    control.ZynInitCommand();
    EXPECT_TRUE(other.host_events.events().empty());
    expect_ended(1);
}

TEST_F(CommandFlow, UrgentExitAnsweringTheEndNoticeBringsNoSecondNotice) {
    host.on(kExitCommand, [&](HostCall &) { control.ZynUrgentExit(); });
    control.ZynInitCommand();
    expect_ended(1);
}

TEST_F(CommandFlow, HostReleasingDuringTheEndNoticeTearsDownAfterTheRun) {
    bool command_held_it = false;
    host.on(kExitCommand, [&](HostCall &) {
        if (!owner.torn_down() && owner.refs() >= 2) {
            command_held_it = true;
            owner.release();  // the host lets go while the command still holds on
        }
        // At teardown the run is already over.
        if (owner.refs() == 0) {
            EXPECT_EQ(command::CommandControl(), nullptr);
        }
    });
    control.ZynInitCommand();
    EXPECT_TRUE(command_held_it);
    EXPECT_TRUE(owner.torn_down());
    EXPECT_EQ(host.count(kExitCommand), 2u);
    EXPECT_EQ(owner.refs(), 0);
}

// A host may answer the end notice of control A by creating control B and
// running it.  B's run is a run of its own: it has its own end notice, and
// CommandControl names the current run at every step, whatever the host does
// meanwhile.
TEST_F(CommandFlow, ARunStartedFromAnEndNoticeHasItsOwnEnd) {
    using Act = std::function<void(Control &a, Control &b, int n)>;
    struct Row {
        const char *name;
        Act in_b_dialog, in_b_notice;  // n: the showing, the notice (from 0)
        bool host_releases_a = false;  // inside A's notice, before B's run
        std::vector<std::string> steps;  // where, and whose run is current
        std::size_t a_notices, b_notices;
    };
    const Act none;
    const std::vector<std::string> plain = {"B dialog: B", "B notice: B", "after B: none", "A ended: none"};
    const Row rows[] = {
        {"nothing more", none, none, false, plain, 1, 1},
        {"urgent exit of A during B's dialog", [](Control &a, Control &, int) { a.ZynUrgentExit(); }, none,
         false, plain, 1, 1},
        {"urgent exit of B during its dialog", [](Control &, Control &b, int) { b.ZynUrgentExit(); }, none,
         false, {"B notice: B", "B dialog: none", "after B: none", "A ended: none"}, 1, 1},
        {"urgent exits of both in B's notice", none,
         [](Control &a, Control &b, int) {
             b.ZynUrgentExit();
             a.ZynUrgentExit();
         },
         false, plain, 1, 1},
        {"error in B's dialog", [](Control &, Control &, int) { throw RuntimeError(5, "Invalid procedure call"); },
         none, false, {"B notice: B", "after B: none", "A ended: none"}, 1, 1},
        {"B's notice fails once", none,
         [](Control &, Control &, int n) {
             if (n == 0)
                 throw RuntimeError(440, "Automation error");
         },
         false, {"B dialog: B", "B notice: B", "after B: none", "A ended: none"}, 1, 2},
        // A's teardown notice comes once A's own notice is over.
        {"host lets go of A first", none, none, true, plain, 2, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        FakeListDialog shared;
        command::set_list_dialog(&shared);
        FakeOwner a, b;
        std::vector<std::string> steps;
        auto step = [&](const char *where) {
            const Control *current = command::CommandControl();
            steps.push_back(std::string(where) + ": " +
                            (current == &a.control ? "A" : current == &b.control ? "B" : current ? "?" : "none"));
        };
        int a_heard = 0, b_heard = 0;
        a.host_events.on(kExitCommand, [&](HostCall &) {
            if (a_heard++ > 0)
                return;
            EXPECT_EQ(command::CommandControl(), &a.control);
            if (row.host_releases_a)
                a.release();
            b.control.ZynInitCommand();
            step("after B");
        });
        b.host_events.on(kExitCommand, [&](HostCall &) {
            const int n = b_heard++;
            if (b.torn_down() || b.refs() == 0)
                return;
            if (row.in_b_notice)
                row.in_b_notice(a.control, b.control, n);
            step("B notice");
        });
        shared.while_open = [&](int n) {
            if (n == 0)
                return;  // A's dialog: closes at once
            if (row.in_b_dialog)
                row.in_b_dialog(a.control, b.control, n);
            step("B dialog");
        };
        EXPECT_NO_THROW(a.control.ZynInitCommand());
        step("A ended");
        EXPECT_EQ(steps, row.steps);
        EXPECT_EQ(a.host_events.count(kExitCommand), row.a_notices);
        EXPECT_EQ(b.host_events.count(kExitCommand), row.b_notices);
        EXPECT_EQ(a.refs(), row.host_releases_a ? 0 : 1);
        EXPECT_EQ(b.refs(), 1);
        EXPECT_EQ(shared.shows(), 2);
        EXPECT_FALSE(shared.loaded());
        b.release();
        EXPECT_EQ(b.host_events.count(kExitCommand), row.b_notices + 1) << "B's teardown";
        if (!row.host_releases_a)
            a.release();
    }
    command::set_list_dialog(&dialog);
}

TEST_F(CommandFlow, InputHandlersLeaveStateAndArgumentsAlone) {
    // Inside a run and outside it: the handlers neither change anything nor
    // fail the host's call.
    for (bool in_run : {true, false}) {
        host.clear();
        auto exercise = [&] {
            InputState &s = control.state();
            s.sw = 7;
            s.key = 0x1B;
            const InputState before = s;
            std::int16_t sw = 2;
            Long nSelect = 5;
            command::OnGCINEnd();
            command::OnSelectEnd(sw, nSelect);
            command::OnTransDrag();
            command::OnFromDrawingEnd(sw);
            EXPECT_EQ(sw, 2);
            EXPECT_EQ(nSelect, 5);
            EXPECT_TRUE(changed_properties(before, s).empty());
        };
        if (in_run) {
            dialog.while_open = [&](int) { exercise(); };
            control.ZynInitCommand();
        } else {
            EXPECT_NO_THROW(exercise());
        }
    }
}

}  // namespace
}  // namespace rotam::testing
