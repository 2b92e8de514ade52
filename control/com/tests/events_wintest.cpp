// Raising host events on COM sinks: the form of the arguments a sink sees,
// and what comes back to the component from it.
#include <string>
#include <vector>

#include "event_fire.h"
#include "events_generated.h"
#include "events_table.h"
#include "wintest_util.h"

namespace rotam::test {
namespace {

struct Host : HostEvents {
    std::vector<com_ptr<IDispatch>> sinks;
    void fire(std::int32_t dispid, EventArg *args, std::size_t count) override {
        com::fire_event(sinks, dispid, args, count);
    }
    Sink &add() {
        auto sink = Sink::make();
        sinks.emplace_back(sink.get());
        return *sink.get();
    }
};

class Events : public ::testing::Test {
protected:
    OleThread ole;
    Host host;
};

void replace(VARIANTARG *a, const wchar_t *text, UINT length) {
    SysFreeString(*a->pbstrVal);
    *a->pbstrVal = SysAllocStringLen(text, length);
}

TEST_F(Events, ReachTheSinkByReferenceInDeclaredTypesAndOrder) {
    Sink &sink = host.add();
    std::int32_t n = 7;
    double xmin = 1.5, ymin = 2, zmin = 3, xmax = 4, ymax = 5, zmax = 6;
    std::int16_t arc = 1, block = 0;
    events::ZynGetMinmaxPrimitive(host, n, xmin, ymin, zmin, xmax, ymax, zmax, arc, block);
    ASSERT_EQ(sink.heard.size(), 1u);
    const Heard &h = sink.heard[0];
    EXPECT_EQ(h.dispid, 287);
    const std::vector<VARTYPE> expected = {VT_BYREF | VT_I4, VT_BYREF | VT_R8, VT_BYREF | VT_R8, VT_BYREF | VT_R8,
                                           VT_BYREF | VT_R8, VT_BYREF | VT_R8, VT_BYREF | VT_R8, VT_BYREF | VT_I2,
                                           VT_BYREF | VT_I2};
    EXPECT_EQ(h.types, expected);
    EXPECT_EQ(h.values.front(), L"7");
    EXPECT_EQ(h.values[1], L"1.5");
    EXPECT_EQ(h.values.back(), L"0");
}

TEST_F(Events, OnlyTheDeviceContextOfTheDisplayEventGoesByValue) {
    Sink &sink = host.add();
    sink.handler = [](DISPID, std::vector<VARIANTARG *> &args) {
        args[0]->lVal = 99;  // writing to a value reaches no one
        return S_OK;
    };
    std::int32_t hdc = 0x1234;
    events::ZynQVZDisplay(host, hdc);
    ASSERT_EQ(sink.heard.size(), 1u);
    EXPECT_EQ(sink.heard[0].dispid, 320);
    EXPECT_EQ(sink.heard[0].types, std::vector<VARTYPE>{VT_I4});
    EXPECT_EQ(hdc, 0x1234);
}

TEST_F(Events, WhatTheSinkWritesComesBackAndItMayReplaceStrings) {
    Sink &sink = host.add();
    sink.handler = [](DISPID, std::vector<VARIANTARG *> &args) {
        // DocTitle, VwTitle, result: a Japanese title, one with a null inside.
        replace(args[0], L"図面\x0041.QVZ", 7);
        replace(args[1], L"a\0b", 3);
        *args[2]->piVal = 1;
        return S_OK;
    };
    std::u16string doc = u"old document", view = u"old view";
    std::int16_t result = 0;
    events::ZynGetActiveZoririTitle(host, doc, view, result);
    EXPECT_EQ(doc, u"図面A.QVZ");
    EXPECT_EQ(view, std::u16string(u"a\0b", 3));
    EXPECT_EQ(result, 1);
    // The sink saw our strings going in.
    ASSERT_EQ(sink.heard.size(), 1u);
}

TEST_F(Events, TheRecordListArrivesWhole) {
    Sink &sink = host.add();
    sink.handler = [](DISPID, std::vector<VARIANTARG *> &args) {
        *args[1]->plVal = 20;             // id
        *args[13]->pdblVal = 12.25;       // x1
        replace(args[24], L"text", 4);    // text
        *args[57]->piVal = -21;           // int21, the last 16-bit one
        replace(args.back(), L"MS", 2);   // atr01
        return S_OK;
    };
    std::int32_t n = 3, id = 0, flag = 0, layer = 0, segment = 0, color = 0, ltype = 0, width = 0, page = 0,
                 ndata = 0, group = 0, undo = 0, dimension = 0, fillcolor = 0, fillrgb = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, h = 0, t = 0, r = 0, sdeg = 0, edeg = 0, cx1 = 0, cy1 = 0, cx2 = 0,
           cy2 = 0, kaiten = 0, d[5] = {};
    std::int16_t style = 0, genten = 0, i[21] = {};
    std::u16string text, atr01;
    events::ZynGetData(host, n, id, flag, layer, segment, color, ltype, width, page, ndata, group, undo, dimension, x1,
                       y1, x2, y2, h, t, r, sdeg, edeg, fillcolor, fillrgb, text, style, genten, cx1, cy1, cx2, cy2,
                       kaiten, d[0], d[1], d[2], d[3], d[4], i[0], i[1], i[2], i[3], i[4], i[5], i[6], i[7], i[8], i[9],
                       i[10], i[11], i[12], i[13], i[14], i[15], i[16], i[17], i[18], i[19], i[20], atr01);
    ASSERT_EQ(sink.heard.size(), 1u);
    ASSERT_EQ(sink.heard[0].types.size(), 59u);
    EXPECT_EQ(sink.heard[0].types[0], VT_BYREF | VT_I4);
    EXPECT_EQ(sink.heard[0].types[24], VT_BYREF | VT_BSTR);
    EXPECT_EQ(sink.heard[0].types[25], VT_BYREF | VT_I2);
    EXPECT_EQ(sink.heard[0].types[57], VT_BYREF | VT_I2);
    EXPECT_EQ(sink.heard[0].types[58], VT_BYREF | VT_BSTR);
    EXPECT_EQ(id, 20);
    EXPECT_EQ(x1, 12.25);
    EXPECT_EQ(text, u"text");
    EXPECT_EQ(i[20], -21);
    EXPECT_EQ(atr01, u"MS");
}

TEST_F(Events, AFailingSinkLeavesTheStartingValues) {
    Sink &sink = host.add();
    sink.handler = [](DISPID, std::vector<VARIANTARG *> &args) {
        replace(args[0], L"written before failing", 22);
        return E_FAIL;
    };
    std::u16string ver = u"2, 0, 1, 0";
    events::ZynGetZynVersion(host, ver);
    EXPECT_EQ(ver, u"2, 0, 1, 0");
    EXPECT_EQ(sink.heard.size(), 1u);
}

TEST_F(Events, EachSinkHearsTheEventWithWhatTheOneBeforeItLeft) {
    Sink &first = host.add();
    Sink &failing = host.add();
    Sink &last = host.add();
    first.handler = [](DISPID, std::vector<VARIANTARG *> &args) {
        *args[0]->plVal += 1;
        return S_OK;
    };
    failing.handler = [](DISPID, std::vector<VARIANTARG *> &args) {
        *args[0]->plVal = -500;
        return DISP_E_EXCEPTION;
    };
    std::vector<std::wstring> seen_by_last;
    last.handler = [&](DISPID, std::vector<VARIANTARG *> &args) {
        seen_by_last.push_back(std::to_wstring(*args[0]->plVal));
        *args[0]->plVal += 10;
        return S_OK;
    };
    std::int32_t iendp = 100;
    events::ZynGetiendp(host, iendp);
    EXPECT_EQ(seen_by_last, std::vector<std::wstring>{L"101"});
    EXPECT_EQ(iendp, 111);
    EXPECT_EQ(first.dispids(), std::vector<DISPID>{102});
    EXPECT_EQ(failing.dispids(), std::vector<DISPID>{102});
}

TEST_F(Events, WithNoSinkNothingChanges) {
    std::int16_t result = 0;
    std::u16string doc = u"d", view = u"v";
    events::ZynGetActiveZoririTitle(host, doc, view, result);
    events::ZynExitCommand(host);
    EXPECT_EQ(doc, u"d");
    EXPECT_EQ(result, 0);
}

// The strings the component hands a sink are its own to free; one that the
// sink replaced was freed by the sink.  Repeating a raise many times shows a
// leak as growth of the process heap.
TEST_F(Events, RaisingDoesNotLeakStrings) {
    Sink &sink = host.add();
    sink.handler = [](DISPID, std::vector<VARIANTARG *> &args) {
        replace(args[3], L"result", 6);
        return S_OK;
    };
    auto raise = [&] {
        std::u16string section = u"s", key = u"k", def = u"default value", result;
        events::ZynGetProfileString(host, section, key, def, result);
        return result;
    };
    EXPECT_EQ(raise(), u"result");
    // Warm the string cache of the automation library before measuring.
    for (int i = 0; i < 1000; ++i)
        raise();
    sink.heard.clear();
    sink.heard.shrink_to_fit();
    const SIZE_T before = heap_bytes_in_use();
    for (int i = 0; i < 20000; ++i)
        raise();
    sink.heard.clear();
    sink.heard.shrink_to_fit();
    const SIZE_T after = heap_bytes_in_use();
    EXPECT_LT(after, before + 64 * 1024) << "heap grew by " << (after - before) << " bytes";
}

}  // namespace
}  // namespace rotam::test
