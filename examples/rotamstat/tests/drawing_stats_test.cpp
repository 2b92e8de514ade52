// rotamstat against a scripted drawing: what it totals, what it asks the host,
// and that every way through the run ends it once.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "drawing_stats.h"
#include "events_generated.h"
#include "fake_host.h"
#include "option_command.h"
#include "record.h"

namespace rotamstat {
namespace {

using namespace rotam;
using rotam::testing::ArgValue;
using rotam::testing::FakeHost;
using rotam::testing::FakeMessageBox;
using rotam::testing::FakeOwner;
using rotam::testing::HostCall;
namespace id = rotam::events::dispid;

struct Rec {
    Long kind, layer, ndata = 0;
};

// A drawing the host serves: records by number, layer names, settings.
struct Drawing {
    std::map<Long, Rec> records;
    Long end = 0;
    Long current_layer = 0;
    double plot_scale = 1;
    std::map<Long, String> layers;

    void serve(FakeHost &host) const {
        host.on(id::ZynGetiendp, [this](HostCall &c) { c.i4(0) = end; });
        host.on(id::ZynGetCLayer, [this](HostCall &c) { c.i4(0) = current_layer; });
        host.on(id::ZynGetPlotScale, [this](HostCall &c) { c.r8(0) = plot_scale; });
        host.on(id::ZynGetData, [this](HostCall &c) {
            const auto r = records.find(c.i4(0));
            if (r == records.end())
                return;  // an empty number: every argument stays 0
            c.i4(1) = r->second.kind;
            c.i4(3) = r->second.layer;
            c.i4(9) = r->second.ndata;
        });
        host.on(id::ZynGetLayerStr, [this](HostCall &c) {
            if (auto l = layers.find(c.i4(0)); l != layers.end())
                c.str(8) = l->second;
        });
    }
};

class FakeView : public TotalsView {
public:
    std::vector<String> shown;
    int unloads = 0;
    std::function<void()> while_open;
    void show_modal(const String &text) override {
        shown.push_back(text);
        if (while_open)
            while_open();
    }
    void unload() override { ++unloads; }
};

class RotamStat : public ::testing::Test {
protected:
    void SetUp() override {
        HostVersion().clear();
        set_totals_view(&view);
        set_component_name(u"rotamstat");
        host.answer_version(u"2, 0, 3, 4");
    }
    void TearDown() override {
        set_totals_view(nullptr);
        set_component_name(u"rotamcmd");
        HostVersion().clear();
        PackageRecords().erase();
        EXPECT_EQ(CommandControl(), nullptr);
    }
    Totals totals_of(const Drawing &d) {
        d.serve(host);
        return collect_totals(owner.control);
    }

    FakeView view;
    FakeOwner owner;
    FakeHost &host = owner.host_events;
};

TEST_F(RotamStat, TotalsByKindAndLayerOverSinglesPackagesAndGaps) {
    struct Case {
        const char *what;
        std::map<Long, Rec> records;
        Long end;
        Long records_counted, packages, left_out;
        std::map<Long, Long> by_kind;
        std::map<Long, Long> by_layer;
    };
    const std::vector<Case> cases = {
        {"empty drawing", {}, 0, 0, 0, 0, {}, {}},
        {"negative end reads nothing", {{0, {2, 1}}}, -3, 0, 0, 0, {}, {}},
        {"singles on two layers", {{0, {2, 1}}, {1, {5, 1}}, {2, {2, 3, 1}}}, 3,
         3, 0, 0, {{2, 2}, {5, 1}}, {{1, 2}, {3, 1}}},
        {"deleted and empty numbers", {{0, {255, 1}}, {2, {254, 1}}, {3, {10, 2}}}, 4,
         1, 0, 3, {{10, 1}}, {{2, 1}}},
        // Numbers 1 to 4 are one package; its left-out member counts as such,
        // and number 5 follows it.
        {"package", {{1, {2, 7, 4}}, {2, {4, 7}}, {3, {254, 7}}, {4, {10, 8}}, {5, {2, 1}}}, 6,
         4, 1, 2, {{2, 2}, {4, 1}, {10, 1}}, {{1, 1}, {7, 2}, {8, 1}}},
        {"package cut off by the end", {{0, {2, 1, 9}}, {1, {2, 1}}}, 2,
         2, 1, 7, {{2, 2}}, {{1, 2}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PackageRecords().erase();
        Drawing d;
        d.records = c.records;
        d.end = c.end;
        const Totals t = totals_of(d);
        EXPECT_EQ(t.records, c.records_counted);
        EXPECT_EQ(t.packages, c.packages);
        EXPECT_EQ(t.left_out, c.left_out);
        EXPECT_EQ(t.by_kind, c.by_kind);
        std::map<Long, Long> by_layer;
        for (const auto &[layer, lt] : t.by_layer)
            by_layer[layer] = lt.records;
        EXPECT_EQ(by_layer, c.by_layer);
    }
}

TEST_F(RotamStat, AsksEachLayerNameOnceAndShowsEverything) {
    Drawing d;
    d.records = {{0, {2, 3}}, {1, {2, 3}}, {2, {5, 0}}};
    d.end = 3;
    d.current_layer = 3;
    d.plot_scale = 50;
    d.layers = {{0, u"Base"}, {3, u"壁"}};
    const Totals t = totals_of(d);
    EXPECT_EQ(host.count(id::ZynGetLayerStr), 2u);
    EXPECT_EQ(format_totals(t),
              u"Records: 3\r\nPackages: 0\r\nLeft out: 0\r\n\r\nBy kind:\r\n  kind 2: 2\r\n  kind 5: 1"
              u"\r\n\r\nBy layer:\r\n  0 Base: 1\r\n  3 壁: 2 (current)\r\n\r\nPlot scale: 1:50");
    Totals odd;
    for (const auto &[scale, shown] : std::vector<std::pair<double, String>>{
             {2.5, u"1:2.5"}, {0.25, u"1:0.25"}, {0.333, u"1:0.33"}, {1000, u"1:1000"}}) {
        odd.plot_scale = scale;
        EXPECT_NE(format_totals(odd).find(u"Plot scale: " + shown), String::npos) << scale;
    }
}

TEST_F(RotamStat, ARunShowsTheTotalsWithTheWaitCursorOffAndEndsOnce) {
    Drawing d;
    d.records = {{0, {2, 1}}};
    d.end = 1;
    d.current_layer = 1;
    d.layers = {{1, u"L1"}};
    d.serve(host);
    std::vector<std::int32_t> during;
    view.while_open = [&] { during = host.dispids(); };
    owner.control.ZynInitCommand();
    ASSERT_EQ(view.shown.size(), 1u);
    EXPECT_NE(view.shown[0].find(u"1 L1: 1 (current)"), String::npos);
    // The wait cursor goes on before the first question and off before the
    // dialog shows; the end comes after the dialog.
    ASSERT_GE(during.size(), 3u);
    EXPECT_EQ(during[1], id::ZynWaitCursor);
    EXPECT_EQ(during.back(), id::ZynWaitCursor);
    EXPECT_EQ(host.events()[1].sent[0], ArgValue(std::int16_t{1}));
    EXPECT_EQ(host.events()[during.size() - 1].sent[0], ArgValue(std::int16_t{0}));
    EXPECT_EQ(host.count(id::ZynExitCommand), 1u);
    EXPECT_GE(view.unloads, 1);
    EXPECT_EQ(owner.refs(), 1);
}

TEST_F(RotamStat, EveryOtherWayThroughTheRunEndsItOnce) {
    struct Case {
        const char *what;
        const char16_t *version;
        bool with_view;
        bool host_fails;
        std::size_t boxes, waits, shown;
    };
    const Case cases[] = {
        {"older host: refused with a message, nothing read", u"2, 0, 1, 8", true, false, 1, 0, 0},
        {"no view: the run ends quietly", u"2, 0, 1, 9", false, false, 0, 0, 0},
        {"the host fails mid-scan: the cursor is put back", u"2, 0, 1, 9", true, true, 0, 2, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FakeOwner fresh;
        FakeView seen;
        FakeMessageBox box;
        set_totals_view(c.with_view ? &seen : nullptr);
        HostVersion().clear();
        fresh.host_events.answer_version(c.version);
        Drawing d;
        d.records = {{0, {2, 1}}};
        d.end = 1;
        d.serve(fresh.host_events);
        if (c.host_fails)
            fresh.host_events.on(id::ZynGetData, [](HostCall &) { throw RuntimeError(5, "failed"); });
        EXPECT_NO_THROW(fresh.control.ZynInitCommand());
        EXPECT_EQ(box.shown.size(), c.boxes);
        for (const auto &shown : box.shown)
            EXPECT_EQ(shown.title, u"rotamstat");  // the component's name, not the template's
        EXPECT_EQ(fresh.host_events.count(id::ZynWaitCursor), c.waits);
        EXPECT_EQ(seen.shown.size(), c.shown);
        EXPECT_EQ(fresh.host_events.count(id::ZynExitCommand), 1u);
        EXPECT_EQ(fresh.refs(), 1);
    }
}

}  // namespace
}  // namespace rotamstat
