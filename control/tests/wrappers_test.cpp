// The wrappers group by group: which arguments are flags and how they are
// tested, which are fixed or widened, what comes back, and the wrappers that
// do more than fire one event.  Expectations are written from the host's
// side: the arguments as the host receives them, in the event's order.
#include <functional>

#include "wrappers_test_util.h"

namespace rotam::testing {
namespace {

using namespace wrappers;

// Writes a number into argument i, whatever its width.
void put(HostCall &call, std::size_t i, double value) {
    try {
        call.i2(i) = static_cast<std::int16_t>(value);
        return;
    } catch (const std::logic_error &) {
    }
    try {
        call.i4(i) = static_cast<std::int32_t>(value);
        return;
    } catch (const std::logic_error &) {
    }
    call.r8(i) = value;
}

// Variables for the by-reference parameters the cases below do not look at.
struct {
    Long l = 2;
    Double d = 2.5;
    String s = u"f";
    Flag out = 0;
    double xs[2] = {1, 2}, ys[2] = {3, 4};
    Long one = 1;
} v;

const RecordedEvent *find(const FakeHost &host, std::int32_t dispid) {
    for (const auto &e : host.events())
        if (e.dispid == dispid)
            return &e;
    return nullptr;
}

// ---- Flags sent from booleans -------------------------------------------------

enum class Via { Strict, Loose, Inverted };

struct FlagCase {
    const char *name;
    std::int32_t dispid;
    std::size_t index;
    Via test;
    std::function<void(Control &, Flag)> call;
};

const std::vector<FlagCase> kFlagCases = {
    {"FromDrawingStart", 235, 1, Via::Strict, [](Control &c, Flag b) { ZynFromDrawingStart(c, v.l, b); }},
    {"GetMouseEvent", 305, 0, Via::Strict, [](Control &c, Flag b) { ZynGetMouseEvent(c, b); }},
    {"GetKeyEvent", 306, 0, Via::Strict, [](Control &c, Flag b) { ZynGetKeyEvent(c, b); }},
    {"InterruptExec", 307, 1, Via::Strict, [](Control &c, Flag b) { ZynInterruptExec(c, v.s, b, v.l); }},
    {"WaitCursor", 300, 0, Via::Strict, [](Control &c, Flag b) { ZynWaitCursor(c, b); }},
    {"ShowPopupMenu", 362, 0, Via::Strict, [](Control &c, Flag b) { ZynShowPopupMenu(c, b); }},
    {"SetFillPoly", 292, 0, Via::Strict, [](Control &c, Flag b) { ZynSetFillPoly(c, b); }},
    {"SetDrawOR", 294, 0, Via::Strict, [](Control &c, Flag b) { ZynSetDrawOR(c, b); }},
    {"SetPaintOR", 296, 0, Via::Strict, [](Control &c, Flag b) { ZynSetPaintOR(c, b); }},
    {"SetGridDisp", 181, 0, Via::Strict, [](Control &c, Flag b) { ZynSetGridDisp(c, b); }},
    {"SetDraftEnable", 183, 0, Via::Strict, [](Control &c, Flag b) { ZynSetDraftEnable(c, b); }},
    {"AllLayer", 91, 1, Via::Strict, [](Control &c, Flag b) { ZynAllLayer(c, v.l, b); }},
    {"AllLayerLock", 92, 1, Via::Strict, [](Control &c, Flag b) { ZynAllLayerLock(c, v.l, b); }},
    {"LayerOn", 95, 2, Via::Strict, [](Control &c, Flag b) { ZynLayerOn(c, v.l, v.l, b); }},
    {"LayerLock", 96, 2, Via::Strict, [](Control &c, Flag b) { ZynLayerLock(c, v.l, v.l, b); }},
    {"SetFlag", 115, 2, Via::Strict, [](Control &c, Flag b) { ZynSetFlag(c, v.l, v.l, b); }},
    {"SetFlagAfter", 116, 2, Via::Strict, [](Control &c, Flag b) { ZynSetFlagAfter(c, v.l, v.l, b); }},
    {"DrawObject", 118, 1, Via::Strict, [](Control &c, Flag b) { ZynDrawObject(c, v.l, b); }},
    {"DrawCtrlBox", 120, 1, Via::Strict, [](Control &c, Flag b) { ZynDrawCtrlBox(c, v.l, b); }},
    {"DrawWBZ", 156, 1, Via::Strict, [](Control &c, Flag b) { ZynDrawWBZ(c, v.l, b); }},
    {"CheckMinmax bLayer", 121, 0, Via::Loose,
     [](Control &c, Flag b) { ZynCheckMinmax(c, b, v.l, 0, 0, v.d, v.d, v.d, v.d); }},
    {"CheckMinmax bArcCenter", 121, 2, Via::Loose,
     [](Control &c, Flag b) { ZynCheckMinmax(c, 0, v.l, b, 0, v.d, v.d, v.d, v.d); }},
    {"CheckMinmax bBlockIns", 121, 3, Via::Loose,
     [](Control &c, Flag b) { ZynCheckMinmax(c, 0, v.l, 0, b, v.d, v.d, v.d, v.d); }},
    {"GetMinmaxPrimitive ArcCenter", 287, 7, Via::Strict,
     [](Control &c, Flag b) { ZynGetMinmaxPrimitive(c, v.l, v.d, v.d, v.d, v.d, b, 0); }},
    {"GetMinmaxPrimitive BlockIns", 287, 8, Via::Strict,
     [](Control &c, Flag b) { ZynGetMinmaxPrimitive(c, v.l, v.d, v.d, v.d, v.d, 0, b); }},
    {"AllSelect OnOff", 106, 0, Via::Strict, [](Control &c, Flag b) { ZynAllSelect(c, b, 0); }},
    {"AllSelect Draw", 106, 1, Via::Strict, [](Control &c, Flag b) { ZynAllSelect(c, 0, b); }},
    {"DrawSelectedData Highlight", 136, 0, Via::Strict, [](Control &c, Flag b) { ZynDrawSelectedData(c, b, 0); }},
    {"DrawSelectedData Draw", 136, 1, Via::Strict, [](Control &c, Flag b) { ZynDrawSelectedData(c, 0, b); }},
    {"SelectWindow", 346, 5, Via::Strict,
     [](Control &c, Flag b) { ZynSelectWindow(c, v.d, v.d, v.d, v.d, v.l, b); }},
    {"SelectCross", 347, 5, Via::Strict,
     [](Control &c, Flag b) { ZynSelectCross(c, v.d, v.d, v.d, v.d, v.l, b); }},
    {"SelectCrossLine", 348, 5, Via::Strict,
     [](Control &c, Flag b) { ZynSelectCrossLine(c, v.d, v.d, v.d, v.d, v.l, b); }},
    {"SelectWindowEndPoint", 366, 5, Via::Strict,
     [](Control &c, Flag b) { ZynSelectWindowEndPoint(c, v.d, v.d, v.d, v.d, v.l, b); }},
    {"SetSelectFlagByAttrib", 349, 3, Via::Strict,
     [](Control &c, Flag b) { ZynSetSelectFlagByAttrib(c, v.l, v.l, v.l, b); }},
    {"SetDimentionText nRound", 360, 1, Via::Strict,
     [](Control &c, Flag b) { ZynSetDimentionText(c, v.d, b, 0, 0, v.l, v.l); }},
    {"SetDimentionText nComma", 360, 2, Via::Strict,
     [](Control &c, Flag b) { ZynSetDimentionText(c, v.d, 0, b, 0, v.l, v.l); }},
    {"SetDimentionText nHideZero", 360, 3, Via::Strict,
     [](Control &c, Flag b) { ZynSetDimentionText(c, v.d, 0, 0, b, v.l, v.l); }},
    {"SearchPrimitiveWBZ range", 364, 4, Via::Strict,
     [](Control &c, Flag b) { ZynSearchPrimitiveWBZ(c, v.d, v.d, 1, 1, b, v.l, 0); }},
    {"SearchPrimitiveWBZ nPackage", 364, 6, Via::Strict,
     [](Control &c, Flag b) { ZynSearchPrimitiveWBZ(c, v.d, v.d, 1, 1, 0, v.l, b); }},
    {"SearchPrimitiveModeWBZ range", 365, 5, Via::Strict,
     [](Control &c, Flag b) { ZynSearchPrimitiveModeWBZ(c, v.l, v.d, v.d, 1, 1, b, v.l, 0); }},
    {"SearchPrimitiveModeWBZ nPackage", 365, 7, Via::Strict,
     [](Control &c, Flag b) { ZynSearchPrimitiveModeWBZ(c, v.l, v.d, v.d, 1, 1, 0, v.l, b); }},
    {"FindPrimitive range", 316, 4, Via::Strict,
     [](Control &c, Flag b) { ZynFindPrimitive(c, v.d, v.d, 1, 1, b, v.l, 0); }},
    {"FindPrimitive nPackage", 316, 6, Via::Strict,
     [](Control &c, Flag b) { ZynFindPrimitive(c, v.d, v.d, 1, 1, 0, v.l, b); }},
    {"FindPrimitiveMode range", 317, 5, Via::Strict,
     [](Control &c, Flag b) { ZynFindPrimitiveMode(c, v.l, v.d, v.d, 1, 1, b, v.l, 0); }},
    {"FindPrimitiveMode nPackage", 317, 7, Via::Strict,
     [](Control &c, Flag b) { ZynFindPrimitiveMode(c, v.l, v.d, v.d, 1, 1, 0, v.l, b); }},
    {"SetActiveZoririTitle vShow", 256, 2, Via::Loose,
     [](Control &c, Flag b) { ZynSetActiveZoririTitle(c, v.s, v.s, b); }},
    {"SetPathName", 345, 1, Via::Strict, [](Control &c, Flag b) { ZynSetPathName(c, v.s, b); }},
    {"SetActiveView", 325, 1, Via::Strict, [](Control &c, Flag b) { ZynSetActiveView(c, v.l, b); }},
    {"OpenZoririDoc bDialog", 251, 1, Via::Loose, [](Control &c, Flag b) { ZynOpenZoririDoc(c, v.s, b, 0, v.out); }},
    {"OpenZoririDoc bView", 251, 2, Via::Loose, [](Control &c, Flag b) { ZynOpenZoririDoc(c, v.s, 0, b, v.out); }},
    // The wrapper takes nCut before nSelect; the event the other way round.
    {"ClipByRecttoWBZ nSelect", 319, 5, Via::Strict,
     [](Control &c, Flag b) { ZynClipByRecttoWBZ(c, v.d, v.d, v.d, v.d, 0, b); }},
    {"ClipByRecttoWBZ nCut", 319, 6, Via::Strict,
     [](Control &c, Flag b) { ZynClipByRecttoWBZ(c, v.d, v.d, v.d, v.d, b, 0); }},
    {"ClipByPolygon nSelect", 372, 1, Via::Strict,
     [](Control &c, Flag b) { ZynClipByPolygon(c, v.one, v.xs, v.ys, 0, b); }},
    {"ClipByPolygon nCut", 372, 2, Via::Strict,
     [](Control &c, Flag b) { ZynClipByPolygon(c, v.one, v.xs, v.ys, b, 0); }},
    {"AddWBZtoDrawing cRef", 158, 0, Via::Strict, [](Control &c, Flag b) { ZynAddWBZtoDrawing(c, b, 0, 0); }},
    {"AddWBZtoDrawing cDim", 158, 1, Via::Strict, [](Control &c, Flag b) { ZynAddWBZtoDrawing(c, 0, b, 0); }},
    {"AddWBZtoDrawing cPac", 158, 2, Via::Strict, [](Control &c, Flag b) { ZynAddWBZtoDrawing(c, 0, 0, b); }},
    {"AddDragtoDrawing cRef", 215, 0, Via::Strict, [](Control &c, Flag b) { ZynAddDragtoDrawing(c, b, 0, 0); }},
    {"AddDragtoDrawing cDim", 215, 1, Via::Strict, [](Control &c, Flag b) { ZynAddDragtoDrawing(c, 0, b, 0); }},
    {"AddDragtoDrawing cPac", 215, 2, Via::Strict, [](Control &c, Flag b) { ZynAddDragtoDrawing(c, 0, 0, b); }},
    {"BeginGCIN Snap", 3, 1, Via::Strict, [](Control &c, Flag b) { c.state().Snap = b; ZynBeginGCIN(c); }},
    {"BeginGCIN ButtonUp", 3, 2, Via::Strict, [](Control &c, Flag b) { c.state().ButtonUp = b; ZynBeginGCIN(c); }},
    {"BeginGCIN bCTRLIgnoreStrictSnap", 3, 21, Via::Strict,
     [](Control &c, Flag b) { c.state().bCTRLIgnoreStrictSnap = b; ZynBeginGCIN(c); }},
    {"BeginGCIN bStream", 3, 22, Via::Strict, [](Control &c, Flag b) { c.state().bStream = b; ZynBeginGCIN(c); }},
    {"BeginGCIN bAutoDrag", 3, 23, Via::Strict, [](Control &c, Flag b) { c.state().bAutoDrag = b; ZynBeginGCIN(c); }},
    {"BeginGCIN bNoDoc", 263, 6, Via::Strict, [](Control &c, Flag b) { c.state().bNoDoc = b; ZynBeginGCIN(c); }},
    {"BeginGCIN bNoView", 263, 7, Via::Strict, [](Control &c, Flag b) { c.state().bNoView = b; ZynBeginGCIN(c); }},
    {"BeginGCIN bAutoRotate", 263, 8, Via::Strict,
     [](Control &c, Flag b) { c.state().bAutoRotate = b; ZynBeginGCIN(c); }},
    {"RunGCIN2 Snap", 221, 1, Via::Strict, [](Control &c, Flag b) { c.state().Snap = b; ZynRunGCIN2(c); }},
    {"RunGCIN2 bAutoDrag", 221, 23, Via::Strict, [](Control &c, Flag b) { c.state().bAutoDrag = b; ZynRunGCIN2(c); }},
    {"SetPrintColor", 327, 2, Via::Loose, [](Control &c, Flag b) { ZynSetPrintColor(c, v.l, b); }},
    {"SetPrintMargin", 328, 1, Via::Strict, [](Control &c, Flag b) { ZynSetPrintMargin(c, b, v.d, v.d, v.d, v.d); }},
    {"SetPrintScale", 329, 3, Via::Loose, [](Control &c, Flag b) { ZynSetPrintScale(c, v.l, v.d, b, v.d); }},
    {"SetPrintMode print-lock", 330, 1, Via::Inverted, [](Control &c, Flag b) { ZynSetPrintMode(c, b, 0, 0, 0); }},
    {"SetPrintMode reduce", 330, 2, Via::Loose, [](Control &c, Flag b) { ZynSetPrintMode(c, -1, b, 0, 0); }},
    {"SetPrintMode quick", 330, 3, Via::Loose, [](Control &c, Flag b) { ZynSetPrintMode(c, -1, 0, b, 0); }},
    {"SetPrintMode rotate-90", 330, 4, Via::Loose, [](Control &c, Flag b) { ZynSetPrintMode(c, -1, 0, 0, b); }},
    {"SetPrintArea", 332, 1, Via::Loose, [](Control &c, Flag b) { ZynSetPrintArea(c, b, v.d, v.d, v.d, v.d); }},
};

class Flags : public WrapperTest {};

TEST_F(Flags, BooleansReachTheHostAsOneOrZeroByTheirTest) {
    for (const FlagCase &f : kFlagCases) {
        for (Flag b : {Flag(-1), Flag(1), Flag(0), Flag(5)}) {
            SCOPED_TRACE(std::string(f.name) + " with " + std::to_string(b));
            host.clear();
            f.call(c, b);
            const RecordedEvent *e = find(host, f.dispid);
            ASSERT_NE(e, nullptr);
            const double expected = f.test == Via::Inverted ? (b == 0 ? 1 : 0)
                                    : f.test == Via::Loose  ? (b != 0 ? 1 : 0)
                                                             : (b == -1 ? 1 : 0);
            EXPECT_EQ(num(e->sent.at(f.index)), expected);
        }
    }
}

TEST_F(Flags, SixteenBitSettingsThatAreNotFlagsGoUnchanged) {
    std::int16_t value = 1;
    ZynSetHighLight(c, value);
    EXPECT_EQ(last().sent[0], ArgValue(std::int16_t{1}));
    value = -1;
    ZynSetCtrlBox(c, value);
    EXPECT_EQ(last().sent[0], ArgValue(std::int16_t{-1}));
}

// ---- Boolean results --------------------------------------------------------

struct ResultCase {
    const char *name;
    std::int32_t dispid;
    std::size_t index;
    bool loose;
    std::function<Flag(Control &)> call;
};

const std::vector<ResultCase> kResultCases = {
    {"GetHighLight", 37, 0, false, [](Control &c) { return ZynGetHighLight(c); }},
    {"PushLayer", 97, 0, false, [](Control &c) { return ZynPushLayer(c); }},
    {"PopLayer", 98, 0, false, [](Control &c) { return ZynPopLayer(c); }},
    {"PushActiveAtr", 124, 0, false, [](Control &c) { return ZynPushActiveAtr(c); }},
    {"PopActiveAtr", 125, 0, false, [](Control &c) { return ZynPopActiveAtr(c); }},
    {"GetGridDisp", 180, 0, false, [](Control &c) { return ZynGetGridDisp(c); }},
    {"GetDraftEnable", 182, 0, false, [](Control &c) { return ZynGetDraftEnable(c); }},
    {"GetDimDraft", 268, 0, false, [](Control &c) { return ZynGetDimDraft(c); }},
    {"GetEditCheck", 269, 0, false, [](Control &c) { return ZynGetEditCheck(c); }},
    {"GetFillPoly", 291, 0, false, [](Control &c) { return ZynGetFillPoly(c); }},
    {"GetDrawOR", 293, 0, false, [](Control &c) { return ZynGetDrawOR(c); }},
    {"GetPaintOR", 295, 0, false, [](Control &c) { return ZynGetPaintOR(c); }},
    {"AskLayer", 93, 1, false, [](Control &c) { return ZynAskLayer(c, v.l); }},
    {"AskLayerLock", 94, 1, false, [](Control &c) { return ZynAskLayerLock(c, v.l); }},
    {"LayerOn", 95, 3, false, [](Control &c) { return ZynLayerOn(c, v.l, v.l, 0); }},
    {"LayerLock", 96, 3, false, [](Control &c) { return ZynLayerLock(c, v.l, v.l, 0); }},
    {"CheckFlag", 117, 2, false, [](Control &c) { return ZynCheckFlag(c, v.l, v.l); }},
    {"Parallel", 200, 8, false, [](Control &c) { return ZynParallel(c, v.d, v.d, v.d, v.d, v.d, v.d, v.d, v.d); }},
    {"GetPerpend", 201, 8, false, [](Control &c) { return ZynGetPerpend(c, v.d, v.d, v.d, v.d, v.d, v.d, v.d, v.d); }},
    {"OnArcCheck", 210, 3, false, [](Control &c) { return ZynOnArcCheck(c, v.d, v.d, v.d); }},
    {"GetPathName", 301, 1, false, [](Control &c) { return ZynGetPathName(c, v.s); }},
    {"GetAsyncKeyState", 302, 1, false, [](Control &c) {
         std::int16_t key = 0x1B;
         return ZynGetAsyncKeyState(c, key);
     }},
    {"SelectWindow", 346, 6, false, [](Control &c) { return ZynSelectWindow(c, v.d, v.d, v.d, v.d, v.l, 0); }},
    {"SelectCross", 347, 6, false, [](Control &c) { return ZynSelectCross(c, v.d, v.d, v.d, v.d, v.l, 0); }},
    {"SelectCrossLine", 348, 6, false, [](Control &c) { return ZynSelectCrossLine(c, v.d, v.d, v.d, v.d, v.l, 0); }},
    {"SelectWindowEndPoint", 366, 6, false,
     [](Control &c) { return ZynSelectWindowEndPoint(c, v.d, v.d, v.d, v.d, v.l, 0); }},
    {"SaveZoririDoc", 253, 1, true, [](Control &c) { return ZynSaveZoririDoc(c, v.s); }},
    {"GetActiveZoririTitle", 255, 2, true, [](Control &c) { return ZynGetActiveZoririTitle(c, v.s, v.s); }},
    {"SetActiveZoririTitle", 256, 3, true, [](Control &c) { return ZynSetActiveZoririTitle(c, v.s, v.s, 0); }},
    {"DeleteData", 219, 1, true, [](Control &c) { return ZynDeleteData(c, v.l); }},
    {"DeleteDataWBZ", 288, 1, true, [](Control &c) { return ZynDeleteDataWBZ(c, v.l); }},
    {"PtInPolyline", 261, 3, true, [](Control &c) { return ZynPtInPolyline(c, v.l, v.d, v.d); }},
    {"PtInPolylineWBZ", 262, 3, true, [](Control &c) { return ZynPtInPolylineWBZ(c, v.l, v.d, v.d); }},
    {"SetActiveDocument", 324, 1, true, [](Control &c) { return ZynSetActiveDocument(c, v.l); }},
    {"SetActiveView", 325, 2, true, [](Control &c) { return ZynSetActiveView(c, v.l, 0); }},
};

class Results : public WrapperTest {};

TEST_F(Results, StrictResultsNeedOneLooseOnesAnyNonZero) {
    for (const ResultCase &r : kResultCases) {
        for (double written : {1.0, -1.0, 2.0, 0.0}) {
            SCOPED_TRACE(std::string(r.name) + " answered " + std::to_string(written));
            host.on(r.dispid, [&](HostCall &call) { put(call, r.index, written); });
            const Flag expected = written == 1 || (r.loose && written != 0) ? -1 : 0;
            EXPECT_EQ(r.call(c), expected);
        }
        host.on(r.dispid, nullptr);
        EXPECT_EQ(r.call(c), 0) << r.name << " unanswered";
    }
}

TEST_F(Results, ValuesComeBackAsTheHostWroteThem) {
    host.on(9, [](HostCall &call) { call.i4(0) = -7; });
    EXPECT_EQ(ZynGetBackColor(c), -7);
    host.on(21, [](HostCall &call) { call.i2(0) = -5; });
    EXPECT_EQ(ZynGetCtrlBox(c), -5);
    host.on(5, [](HostCall &call) { call.str(0) = u"Ｃ:"; });
    EXPECT_EQ(ZynGetStartDrv(c), u"Ｃ:");
    host.on(170, [](HostCall &call) { call.r8(0) = 0.25; });
    EXPECT_EQ(ZynGetratio(c), 0.25);
    host.on(138, [](HostCall &call) { call.i4(0) = 12; });
    EXPECT_EQ(ZynCopySelectedDataWBZ(c), 12);
    host.on(99, [](HostCall &call) { call.i4(1) = 40; });
    EXPECT_EQ(ZynNewLayer(c, v.l), 40);
    host.on(222, [](HostCall &call) { call.i2(2) = -1; });
    EXPECT_EQ(ZynSelect2(c, v.l, v.l), -1);  // passed back as it came, not a flag
    host.on(360, [](HostCall &call) { call.str(6) = u"1,234.5"; });
    EXPECT_EQ(ZynSetDimentionText(c, v.d, -1, -1, 0, v.l, v.l), u"1,234.5");
}

TEST_F(Results, UnansweredGetsGiveTheirStartingValues) {
    EXPECT_EQ(ZynGetBackColor(c), 0);
    EXPECT_EQ(ZynGetStartPath(c), u"");
    EXPECT_EQ(ZynGetPlotScale(c), 0.0);
    EXPECT_EQ(ZynGetLayerName(c, v.l), u"");
    EXPECT_EQ(ZynCreatePoint(c, v.d, v.d), 0);  // position 0 counts as made
    EXPECT_EQ(host.count(127), 1u);
}

TEST_F(Results, ColoursKeepOnlyTheirLowTwentyFourBits) {
    host.on(69, [](HostCall &call) { call.i4(0) = 0x01FF0000; });
    EXPECT_EQ(ZynGetWakuColor(c), 0xFF0000);
    host.on(227, [](HostCall &call) { call.i4(4) = static_cast<std::int32_t>(0xFF123456u); });
    EXPECT_EQ(ZynGetColorRGB(c, v.l), 0x123456);
}

TEST_F(Results, PrintSettingsSetTheCallersBooleans) {
    Long mode = 0;
    Double d = 0;
    Flag a = 7, b = 7, q = 7, r = 7;
    host.on(330, [](HostCall &call) {
        call.i2(1) = 0;   // nNoPrintLock: 0 means locked
        call.i2(2) = 0;
        call.i2(3) = 2;
        call.i2(4) = -1;
    });
    ZynGetPrintMode(c, a, b, q, r);
    EXPECT_EQ(last().sent[0], ArgValue(Long{0}));
    EXPECT_EQ(std::vector<Flag>({a, b, q, r}), std::vector<Flag>({-1, 0, -1, -1}));
    host.on(330, [](HostCall &call) { call.i2(1) = 1; });
    ZynGetPrintMode(c, a, b, q, r);
    EXPECT_EQ(a, 0);

    host.on(327, [](HostCall &call) { call.i2(2) = -1; });
    ZynGetPrintColor(c, mode, a);
    EXPECT_EQ(a, -1);
    host.on(328, [](HostCall &call) { call.i4(1) = 3; });
    ZynGetPrintMargin(c, a, d, d, d, d);
    EXPECT_EQ(a, -1);
    host.on(329, [](HostCall &call) { call.i2(3) = 0; });
    ZynGetPrintScale(c, mode, d, a, d);
    EXPECT_EQ(a, 0);
    host.on(332, [](HostCall &call) { call.i2(1) = 1; });
    ZynGetPrintArea(c, a, d, d, d, d);
    EXPECT_EQ(a, -1);

    HostVersion() = u"2, 0, 2, 7";  // refused: the caller's booleans stay
    a = b = q = r = 7;
    ZynGetPrintMode(c, a, b, q, r);
    EXPECT_EQ(std::vector<Flag>({a, b, q, r}), std::vector<Flag>({7, 7, 7, 7}));
}

TEST_F(Results, TheRefusedSettingOf3001HasNoValueAtAll) {
    host.on(335, [](HostCall &call) { call.i4(1) = 0; });
    EXPECT_EQ(ZynGetLong3001(c), std::optional<Long>(0));
    EXPECT_EQ(last().sent[0], ArgValue(Long{3001}));
    HostVersion() = u"2, 0, 3, 2";
    EXPECT_EQ(ZynGetLong3001(c), std::nullopt);
}

// ---- Fixed values, widening and argument order --------------------------------

struct SentCase {
    const char *name;
    std::int32_t dispid;
    std::vector<double> sent;
    std::function<void(Control &)> call;
};

Long L1 = 1, L2 = 2, L3 = 3, L4 = 4, L5 = 5, L6 = 6, L7 = 7, L8 = 8, L9 = 9;
Double D1 = 1, D2 = 2, D3 = 3, D4 = 4, D5 = 5, D6 = 6;

const std::vector<SentCase> kSentCases = {
    {"MovePrimitive", 112, {1, 2, 3, 0}, [](Control &c) { ZynMovePrimitive(c, L1, D2, D3); }},
    {"ScalePrimitive", 113, {1, 2, 3, 0, 4, 5, 0}, [](Control &c) { ZynScalePrimitive(c, L1, D2, D3, D4, D5); }},
    {"RotatePrimitive", 114, {1, 2, 3, 0, 4, 5, 6},
     [](Control &c) { ZynRotatePrimitive(c, L1, D2, D3, D4, D5, D6); }},
    {"CheckMinmaxXYZ", 122, {1, 2, 0}, [](Control &c) { ZynCheckMinmaxXYZ(c, D1, D2); }},
    {"CheckMinmax", 121, {1, 2, 1, 0, 3, 4, 0, 5, 6, 0},
     [](Control &c) { ZynCheckMinmax(c, -1, L2, 1, 0, D3, D4, D5, D6); }},
    {"GetMinmaxPrimitive", 287, {1, 2, 3, 0, 4, 5, 0, 1, 0},
     [](Control &c) { ZynGetMinmaxPrimitive(c, L1, D2, D3, D4, D5, -1, 0); }},
    {"GetMinmaxSelected", 130, {1, 2, 0, 3, 4, 0, 0}, [](Control &c) { ZynGetMinmaxSelected(c, D1, D2, D3, D4); }},
    {"GetWindowExtents", 299, {1, 2, 0, 3, 4, 0}, [](Control &c) { ZynGetWindowExtents(c, D1, D2, D3, D4); }},
    {"DeleteSelectedData", 134, {0}, [](Control &c) { ZynDeleteSelectedData(c); }},
    {"DrawSelectedData", 136, {1, 1, 0}, [](Control &c) { ZynDrawSelectedData(c, -1, -1); }},
    {"DrawHighlight", 119, {5, 1}, [](Control &c) { ZynDrawHighlight(c, L5); }},
    {"SetCreateDate", 127, {5, 1}, [](Control &c) { ZynSetCreateDate(c, L5); }},
    {"SetDeleteDate", 128, {5, 1}, [](Control &c) { ZynSetDeleteDate(c, L5); }},
    {"SetDeleteDateSelectedData", 218, {1}, [](Control &c) { ZynSetDeleteDateSelectedData(c); }},
    {"SetLineWBZ", 146, {1, 2, 3, 4, 0, 0, 0}, [](Control &c) { ZynSetLineWBZ(c, D1, D2, D3, D4); }},
    {"SetDimArcWBZ", 282, {1, 2, 3, 4, 5, 6, 0, 0, 0},
     [](Control &c) { ZynSetDimArcWBZ(c, L1, D2, D3, D4, D5, D6); }},
    {"SetDimTextWBZ", 283, {1, 2, 3, 4, 5, 6, -3, -32768, 0},
     [](Control &c) { ZynSetDimTextWBZ(c, L1, D2, D3, D4, D5, D6, -3, -32768); }},
    {"MoveWBZ", 150, {1, 2, 0}, [](Control &c) { ZynMoveWBZ(c, D1, D2); }},
    {"SearchByMultiAttrib", 358, {1, 2, 0, 3, 0, 4, 5, 6, 7, 8, 9, 0},
     [](Control &c) { ZynSearchByMultiAttrib(c, L1, L2, L3, L4, L5, L6, L7, L8, L9); }},
    {"SearchByMultiAttribWBZ", 359, {1, 2, 0, 3, 0, 4, 5, 6, 7, 8, 9, 0},
     [](Control &c) { ZynSearchByMultiAttribWBZ(c, L1, L2, L3, L4, L5, L6, L7, L8, L9); }},
    {"SearchSnap", 343, {1, 2, 3, 4, 0, 5}, [](Control &c) {
         std::int16_t waku = 5;
         ZynSearchSnap(c, D1, D2, D3, D4, waku);
     }},
    {"SearchPrimitiveModeWBZ", 365, {1, 2, 3, -2, 4, 1, 5, 0, 0},
     [](Control &c) { ZynSearchPrimitiveModeWBZ(c, L1, D2, D3, -2, 4, -1, L5, 0); }},
    {"GetColorfromDialog", 231, {1, 2, 0, 0, 0}, [](Control &c) { ZynGetColorfromDialog(c, L1, L2); }},
    {"GetColorRGBfromDialog", 231, {1, 2, 1, 3, 0}, [](Control &c) { ZynGetColorRGBfromDialog(c, L1, L2, L3); }},
    {"PrintSetup", 326, {-7930}, [](Control &c) { ZynPrintSetup(c); }},
    {"PrintDirect", 326, {-7928}, [](Control &c) { ZynPrintDirect(c); }},
    {"PrintPreview", 326, {-7927}, [](Control &c) { ZynPrintPreview(c); }},
    {"WndSendMessage1050", 344, {1050, 0, 0}, [](Control &c) { ZynWndSendMessage1050(c); }},
    {"WndSendMessage1047", 344, {1047, 0, 0}, [](Control &c) { ZynWndSendMessage1047(c); }},
    {"WndSendMessage1039", 344, {1039, 0, 0}, [](Control &c) { ZynWndSendMessage1039(c); }},
    {"DumpData0", 341, {0}, [](Control &c) { ZynDumpData0(c); }},
    {"DumpData1", 341, {1}, [](Control &c) { ZynDumpData1(c); }},
    {"DumpData2", 341, {2}, [](Control &c) { ZynDumpData2(c); }},
    {"GetPrintPosition", 331, {0, 1, 2}, [](Control &c) { ZynGetPrintPosition(c, L1, L2); }},
    {"SetPrintPosition", 331, {1, 1, 2}, [](Control &c) { ZynSetPrintPosition(c, L1, L2); }},
    {"SetPrintMargin", 328, {1, 1, 1, 2, 3, 4}, [](Control &c) { ZynSetPrintMargin(c, -1, D1, D2, D3, D4); }},
    {"ClipByRecttoWBZ", 319, {0, 1, 2, 3, 4, 0, 1}, [](Control &c) { ZynClipByRecttoWBZ(c, D1, D2, D3, D4, -1, 0); }},
};

class Arguments : public WrapperTest {};

TEST_F(Arguments, FixedValuesAndWidenedValuesInTheEventsOrder) {
    for (const SentCase &s : kSentCases) {
        SCOPED_TRACE(s.name);
        host.clear();
        s.call(c);
        ASSERT_EQ(host.events().size(), 1u);
        EXPECT_EQ(last().dispid, s.dispid);
        EXPECT_EQ(nums(last().sent), s.sent);
    }
    // Widened values travel as 32-bit integers.
    ZynSetTextWBZ(c, v.s, D1, D2, D3, D4, -2);
    EXPECT_EQ(last().types[5], ArgType::I4);
    EXPECT_EQ(last().sent[5], ArgValue(Long{-2}));
}

TEST_F(Arguments, WhatTheHostWritesLandsInTheCallersVariables) {
    host.on(47, [](HostCall &call) {
        for (std::size_t i = 0; i < 4; ++i)
            call.r8(i) = 10.0 + i;
    });
    Double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ZynGetSelectXY(c, x1, y1, x2, y2);
    EXPECT_EQ(std::vector<Double>({x1, y1, x2, y2}), std::vector<Double>({10, 11, 12, 13}));

    host.on(240, [](HostCall &call) {
        call.str(1) = u"changed key";
        call.str(3) = call.str(2);
    });
    String section = u"s", key = u"k", def = u"既定";
    EXPECT_EQ(ZynGetProfileString(c, section, key, def), u"既定");
    EXPECT_EQ(key, u"changed key");

    // A fixed value or a temporary the host overwrites reaches no one.
    host.on(112, [](HostCall &call) { call.r8(3) = 99; });
    Double x = 0, y = 0;
    ZynMovePrimitive(c, L1, x, y);
    EXPECT_EQ(std::pair(x, y), std::pair(0.0, 0.0));
}

TEST_F(Arguments, TheDeviceContextGoesByValue) {
    host.on(320, [](HostCall &call) { call.i4(0) = 1; });
    Long hdc = 0x5678;
    ZynQVZDisplay(c, hdc);
    EXPECT_EQ(hdc, 0x5678);
    EXPECT_EQ(last().types[0], ArgType::I4ByVal);
}

// ---- Wrappers that do more --------------------------------------------------

class Special : public WrapperTest {};

TEST_F(Special, FindPrimitiveChoosesItsEventByTheHostVersionWithoutAMessage) {
    host.on(195, [](HostCall &call) { call.i4(6) = 17; });
    host.on(316, [](HostCall &call) { call.i4(7) = 18; });
    Double x = 1, y = 2;
    Long start = 4, mode = 9;
    HostVersion().clear();
    EXPECT_EQ(ZynFindPrimitive(c, x, y, -3, 5, -1, start, -1), 17);
    EXPECT_EQ(nums(last().sent), std::vector<double>({1, 2, -3, 5, 1, 4, 0}));
    ZynFindPrimitiveMode(c, mode, x, y, 1, 1, 0, start, -1);
    EXPECT_EQ(last().dispid, 196);
    EXPECT_TRUE(box.shown.empty());

    HostVersion() = u"2, 0, 2, 6";
    EXPECT_EQ(ZynFindPrimitive(c, x, y, -3, 5, -1, start, -1), 18);
    EXPECT_EQ(nums(last().sent), std::vector<double>({1, 2, -3, 5, 1, 4, 1, 0}));
    ZynFindPrimitiveMode(c, mode, x, y, 1, 1, 0, start, -1);
    EXPECT_EQ(last().dispid, 317);
    EXPECT_EQ(num(last().sent[0]), 9);
}

TEST_F(Special, CreatorsDateAndDrawOnlyWhatWasMade) {
    host.on(108, [](HostCall &call) { call.i4(6) = -1; });
    EXPECT_EQ(ZynCreateLine(c, D1, D2, D3, D4), -1);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>{108});
    EXPECT_EQ(nums(last().sent), std::vector<double>({1, 2, 3, 4, 0, 0, 0}));

    host.clear();
    host.on(278, [](HostCall &call) { call.i4(8) = 7; });
    EXPECT_EQ(ZynCreateDimText(c, L1, D2, D3, D4, D5, D6, -4, 9), 7);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>({278, 127, 118}));
    EXPECT_EQ(nums(event(0).sent), std::vector<double>({1, 2, 3, 4, 5, 6, -4, 9, 0}));
    EXPECT_EQ(event(0).types[6], ArgType::I4);
    EXPECT_EQ(nums(event(1).sent), std::vector<double>({7, 1}));
    EXPECT_EQ(nums(event(2).sent), std::vector<double>({7, 1}));
    EXPECT_EQ(event(2).types[1], ArgType::I2);

    // The work-buffer twins neither date nor draw.
    host.clear();
    ZynSetPointWBZ(c, D1, D2);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>{145});
}

TEST_F(Special, ClipByPolygonSendsEveryPointThenClips) {
    double xs[] = {1, 2, 3, 4}, ys[] = {5, 6, 7, 8};
    Long ndata = 3;
    host.on(371, [&](HostCall &call) {
        call.r8(0) += 100;                   // the array element itself
        call.r8(2) = 9;                      // d3 starts at 0 again for the next point
        call.i4(6) = call.i4(6) + 1;         // one position for the whole polygon
    });
    host.on(372, [](HostCall &call) { call.i4(3) = 42; });
    EXPECT_EQ(ZynClipByPolygon(c, ndata, xs, ys, 0, -1), 42);
    ASSERT_EQ(host.dispids(), std::vector<std::int32_t>({367, 371, 371, 371, 371, 372}));
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(nums(event(1 + i).sent),
                  std::vector<double>({1.0 + i, 5.0 + i, 0, 0, 0, 0, static_cast<double>(i)}));
    EXPECT_EQ(xs[3], 104);
    EXPECT_EQ(nums(last().sent), std::vector<double>({3, 1, 0, 0}));

    // Beyond the arrays: the points before are sent, then error 9.
    host.clear();
    ndata = 2;
    double short_x[] = {1, 2}, short_y[] = {1, 2, 3};
    EXPECT_EQ(error_of([&] { ZynClipByPolygon(c, ndata, short_x, short_y, 0, 0); }), 9);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>({367, 371, 371}));
}

TEST_F(Special, OpenedFileAsksOnlyForANamedFile) {
    String name;
    Flag open = -1, visible = -1;
    ZynOpenedFile(c, name, open, visible);
    EXPECT_TRUE(host.events().empty());
    EXPECT_EQ(std::pair(open, visible), std::pair(Flag(0), Flag(0)));

    name = u"図面.QVZ";
    host.on(309, [](HostCall &call) {
        call.i2(1) = 5;
        call.i2(2) = 0;
    });
    ZynOpenedFile(c, name, open, visible);
    EXPECT_EQ(std::pair(open, visible), std::pair(Flag(-1), Flag(0)));
    EXPECT_EQ(nums(last().sent), std::vector<double>({-999999, 0, 0}));

    HostVersion() = u"2, 0, 2, 0";
    open = visible = 3;
    ZynOpenedFile(c, name, open, visible);
    EXPECT_EQ(std::pair(open, visible), std::pair(Flag(3), Flag(3)));
    EXPECT_EQ(box.shown.size(), 1u);
}

TEST_F(Special, OpenZoririDocReportsTheAnswerTwoApart) {
    String name = u"a.QVZ";
    for (auto [answer, result, fourth] : {std::tuple(2, -1, -1), std::tuple(0, 0, 0), std::tuple(3, -1, 0),
                                          std::tuple(-1, -1, 0)}) {
        host.on(251, [answer](HostCall &call) { call.i2(3) = static_cast<std::int16_t>(answer); });
        Flag case2 = 7;
        EXPECT_EQ(ZynOpenZoririDoc(c, name, 0, 0, case2), result) << answer;
        EXPECT_EQ(case2, fourth) << answer;
    }
}

TEST_F(Special, TextAttributesTravelThroughTheCurrentRecord) {
    auto r = CurrentRecord();
    r->id = 2;
    r->layer = 4;
    r->style = 9;
    r->text = u"本文";
    r->kaiten = 30;
    r->ts_takasa = 2.5;
    r->ts_bold = 1;
    r->ts_Fontname = u"ＭＳ 明朝";
    host.on(236, [](HostCall &call) {
        call.i2(0) = 3;       // style
        call.r8(2) = 7;       // ts_haba
        call.i4(28) = 0;      // result
    });
    EXPECT_EQ(ZynTextAtrFromDialog(c), 0);
    const RecordedEvent &sent = last();
    EXPECT_EQ(sent.sent[0], ArgValue(std::int16_t{0}));  // style starts at 0
    EXPECT_EQ(sent.sent[1], ArgValue(2.5));
    EXPECT_EQ(sent.sent[15], ArgValue(std::int16_t{1}));
    EXPECT_EQ(sent.sent[27], ArgValue(String(u"ＭＳ 明朝")));
    // Updated whatever the dialog's result.
    EXPECT_EQ(r->id, 5);
    EXPECT_EQ(r->style, 3);
    EXPECT_EQ(r->ts_haba, 7);
    EXPECT_EQ(r->ts_takasa, 2.5);
    EXPECT_EQ(r->text, u"");
    EXPECT_EQ(r->kaiten, 0);
    EXPECT_EQ(r->layer, 4);
    host.on(236, [](HostCall &call) { call.i4(28) = 1; });
    EXPECT_EQ(ZynTextAtrFromDialog(c), -1);
    host.on(236, [](HostCall &call) { call.i4(28) = -1; });
    EXPECT_EQ(ZynTextAtrFromDialog(c), 0);

    // Set sends style and the settings; what the host writes back is dropped.
    r->style = 6;
    host.on(238, [](HostCall &call) { call.r8(1) = 99; });
    ZynSetCurrentTextAtr(c);
    EXPECT_EQ(last().sent[0], ArgValue(std::int16_t{6}));
    EXPECT_EQ(r->ts_takasa, 2.5);

    host.on(237, [](HostCall &call) {
        call.i2(0) = 8;
        call.str(27) = u"font";
    });
    r->genten = 4;
    ZynGetCurrentTextAtr(c);
    EXPECT_EQ(std::tuple(r->id, r->style, r->genten, r->ts_Fontname, r->ts_takasa),
              std::tuple(Long{5}, Integer{8}, Integer{0}, String(u"font"), 0.0));
}

TEST_F(Special, AttributesTravelThroughTheCurrentRecord) {
    host.on(105, [](HostCall &call) {
        for (std::size_t i = 0; i < 7; ++i)
            call.i4(i) = 10 + static_cast<std::int32_t>(i);
    });
    CurrentRecord()->id = 20;
    ZynGetActiveAtr(c);
    auto r = CurrentRecord();
    EXPECT_EQ(std::vector<Long>({r->layer, r->segment, r->color, r->ltype, r->width, r->page, r->group}),
              std::vector<Long>({10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(r->id, 20);
    ZynSetActiveAtr(c);
    EXPECT_EQ(nums(last().sent), std::vector<double>({10, 11, 12, 13, 14, 15, 16}));

    // The twelve attributes, by each of the three event pairs.
    for (auto [get, set, get_id, set_id] :
         {std::tuple(&ZynGetAttribute, &ZynSetAttribute, 270, 271),
          std::tuple(&ZynGetAttributeWBZ, &ZynSetAttributeWBZ, 272, 273),
          std::tuple(&ZynGetAtribute, &ZynSetAtribute, 297, 298)}) {
        host.on(get_id, [](HostCall &call) {
            call.i4(0) = 77;  // n is the caller's own
            for (std::size_t i = 1; i <= 12; ++i)
                call.i4(i) = 100 + static_cast<std::int32_t>(i);
        });
        Long n = 3;
        get(c, n);
        EXPECT_EQ(n, 77);
        EXPECT_EQ(std::tuple(r->id, r->layer, r->dimension), std::tuple(Long{101}, Long{103}, Long{112}));
        r->ndata = 5;
        set(c, n);
        EXPECT_EQ(last().dispid, set_id);
        EXPECT_EQ(nums(last().sent),
                  std::vector<double>({77, 101, 102, 103, 104, 105, 106, 107, 108, 5, 110, 111, 112}));
    }

    Long n = 6;
    ZynChangeData(c, n);
    EXPECT_EQ(last().dispid, 354);
    ZynChangeDataWBZ(c, n);
    EXPECT_EQ(last().dispid, 355);
    EXPECT_EQ(last().sent[0], ArgValue(Long{6}));
}

TEST_F(Special, CursorInputGoesFromAndToTheInputState) {
    InputState &s = c.state();
    s.msg = u"点を指示";
    s.Cursor = 3;
    s.x3 = 1.5;
    s.y1 = 2.5;
    host.on(263, [](HostCall &call) { call.r8(0) = 9; });
    host.on(3, [](HostCall &call) { call.str(0) = u"host"; });
    ZynBeginGCIN(c);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>({263, 3}));
    EXPECT_EQ(event(0).sent[0], ArgValue(1.5));
    EXPECT_EQ(event(1).sent[0], ArgValue(String(u"点を指示")));
    EXPECT_EQ(event(1).sent[3], ArgValue(Long{3}));
    EXPECT_EQ(event(1).sent[20], ArgValue(2.5));
    EXPECT_EQ(s.x3, 9);
    EXPECT_EQ(s.msg, u"host");

    host.clear();
    host.on(318, [](HostCall &call) {
        call.i4(0) = 41;
        call.str(16) = u"入力";
    });
    host.on(255, [](HostCall &call) {
        call.str(0) = u"doc";
        call.str(1) = u"view";
    });
    host.on(264, [](HostCall &call) { call.r8(13) = 6.5; });
    ZynRunGCIN2(c);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>({221, 318, 255, 264}));
    EXPECT_EQ(std::tuple(s.mcx, s.str, s.ZoririDocName, s.ZoririViewName, s.sczUp),
              std::tuple(Long{41}, String(u"入力"), String(u"doc"), String(u"view"), 6.5));
}

TEST_F(Special, ResetInputStateGivesEveryPropertyItsDefault) {
    InputState &s = c.state();
    s.mcx = 5;
    s.sczUp = 1;
    s.Snap = -1;
    s.bStream = -1;
    s.FDgcy2 = 3;
    s.y4 = 2;
    host.on(15, [](HostCall &call) { call.i4(0) = 0x00FF00; });
    ZynResetInputState(c);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>({4, 15}));
    InputState expected{};
    expected.str = expected.ZoririViewName = expected.ZoririDocName = expected.msg = String(27, u' ');
    expected.Cursor = 1;
    expected.CursorColor = expected.RubberColor = 0x00FF00;
    expected.DragColor = expected.DragStyle = expected.DragWidth = -1;
    expected.bNoDoc = expected.bNoView = expected.bAutoDrag = expected.bAutoRotate = -1;
    EXPECT_EQ(changed_properties(s, expected), std::vector<std::string>{});
}

TEST_F(Special, RefreshLetsPendingMessagesRunAfterTheHostRedrew) {
    ZynRefresh(c);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>{284});
    EXPECT_EQ(pump.ran_after, std::vector<std::size_t>{1});
    HostVersion() = u"2, 0, 1, 6";
    ZynRefresh(c);
    EXPECT_EQ(pump.ran_after.size(), 1u);

    Long size = 32;
    host.on(244, [](HostCall &call) { call.i4(0) = 24; });
    ZynChangeIconSize(c, size);
    EXPECT_EQ(size, 24);
    EXPECT_EQ(host.count(245), 1u);
    EXPECT_EQ(host.events().back().dispid, 245);
}

TEST_F(Special, TableSettersReadModifyWrite) {
    host.on(227, [](HostCall &call) {  // id, flag, PenWidth, rgb, rgbOutput, Name
        for (std::size_t i = 1; i <= 5; ++i)
            call.i4(i) = static_cast<std::int32_t>(i);
        call.str(6) = u"赤";
    });
    Long no = 4, rgb = 0xABCDEF, width = 60, out = 70;
    EXPECT_EQ(ZynSetColorRGB(c, no, rgb), -1);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>({227, 313}));
    EXPECT_EQ(nums(last().sent), std::vector<double>({4, 1, 2, 3, 0xABCDEF, 5, -999999}));
    EXPECT_EQ(last().sent[6], ArgValue(String(u"赤")));
    ZynSetColorValues(c, no, width, rgb, out);
    EXPECT_EQ(nums(last().sent), std::vector<double>({4, 1, 2, 60, 0xABCDEF, 70, -999999}));
    Long w = 0, g = 0, o = 0;
    EXPECT_EQ(ZynGetColorValues(c, no, w, g, o), -1);
    EXPECT_EQ(std::tuple(w, g, o), std::tuple(Long{3}, Long{4}, Long{5}));

    host.on(228, [](HostCall &call) {
        call.i4(3) = 1;
        call.i4(11) = 77;  // Pen07
    });
    Long style = 9;
    ZynSetLtypePenStyle(c, no, style);
    EXPECT_EQ(last().dispid, 314);
    EXPECT_EQ(num(last().sent[3]), 9);
    EXPECT_EQ(num(last().sent[11]), 77);

    host.on(229, [](HostCall &call) {
        call.i4(3) = 8;
        call.i4(4) = 2;
        call.str(5) = u"細線";
    });
    String name = u"太線";
    ZynSetWidthName(c, no, name);
    EXPECT_EQ(nums(last().sent), std::vector<double>({4, 0, 0, 8, 2, -999999}));
    EXPECT_EQ(last().sent[5], ArgValue(String(u"太線")));
    ZynSetPenWidth(c, no, width);
    EXPECT_EQ(num(last().sent[3]), 60);
    EXPECT_EQ(last().sent[5], ArgValue(String(u"細線")));
    EXPECT_EQ(ZynGetWidthName(c, no), u"細線");
    EXPECT_EQ(ZynGetPenWidth(c, no), 8);

    host.on(226, [](HostCall &call) {
        call.r8(6) = 1.25;
        call.str(8) = u"old";
    });
    ZynSetLayerName(c, no, name);
    EXPECT_EQ(last().dispid, 312);
    EXPECT_EQ(last().sent[6], ArgValue(1.25));
    EXPECT_EQ(last().sent[8], ArgValue(String(u"太線")));
    EXPECT_EQ(ZynGetLayerName(c, no), u"old");

    HostVersion() = u"2, 0, 2, 5";
    host.clear();
    EXPECT_EQ(ZynSetLayerName(c, no, name), 0);
    EXPECT_TRUE(host.events().empty());
}

TEST_F(Special, AddingToTheDrawingDatesFromTheOldEnd) {
    host.on(102, [](HostCall &call) { call.i4(0) = 50; });
    host.on(158, [](HostCall &call) { call.i4(3) = 4; });
    EXPECT_EQ(ZynAddWBZtoDrawing(c, -1, 0, -1), 4);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>({102, 158, 216}));
    EXPECT_EQ(nums(event(1).sent), std::vector<double>({1, 0, 1, 0}));
    EXPECT_EQ(nums(event(2).sent), std::vector<double>({50, 1}));

    host.clear();
    host.on(215, [](HostCall &call) { call.i4(3) = 6; });
    host.on(116, [](HostCall &call) { call.i4(3) = 5; });  // the same amount variable
    EXPECT_EQ(ZynAddDragtoDrawing(c, 0, -1, 0), 5);
    EXPECT_EQ(host.dispids(), std::vector<std::int32_t>({102, 215, 216, 106, 116, 136, 106}));
    EXPECT_EQ(nums(event(3).sent), std::vector<double>({0, 0}));
    EXPECT_EQ(nums(event(4).sent), std::vector<double>({50, 1, 1, 6}));
    EXPECT_EQ(nums(event(5).sent), std::vector<double>({0, 1, 0}));
    EXPECT_EQ(nums(event(6).sent), std::vector<double>({0, 0}));
}

}  // namespace
}  // namespace rotam::testing
