// The catalogue as a whole: every wrapper is called, together they fire every
// host event except the 38 that no wrapper fires, and each one refuses below
// the host version it needs and fires at it.  The versions and settings
// expected here are written down independently of wrappers_catalogue.inc.
#include <functional>
#include <map>
#include <regex>
#include <set>

#include "events_table.h"
#include "wrappers_test_util.h"

namespace rotam::testing {
namespace {

using namespace wrappers;
using Calls = std::map<std::string, std::function<void(Control &)>>;

// Every table-driven wrapper, called with sample arguments.
Calls table_calls() {
    Calls calls;
#define ROTAM_ADD(Name) calls[#Name] = [](Control &c) { call_with_samples(wrappers::Name, c); };
#define ROTAM_PASS(Name, need) ROTAM_ADD(Name)
#define ROTAM_GET(Name, need, Role) ROTAM_ADD(Name)
#define ROTAM_QUERY(Name, need, Role) ROTAM_ADD(Name)
#define ROTAM_WRAP(Name, need, ...) ROTAM_ADD(Name)
#define ROTAM_WRAP_OF(Name, Event, need, ...) ROTAM_ADD(Name)
#define ROTAM_SETTING_GET(Type, id, need) ROTAM_ADD(ZynGet##Type##id)
#define ROTAM_SETTING_SET(Type, id, need) ROTAM_ADD(ZynSet##Type##id)
#define ROTAM_SETTING(Type, id, need) ROTAM_SETTING_GET(Type, id, need) ROTAM_SETTING_SET(Type, id, need)
#define ROTAM_SPECIAL(...)
#include "wrappers_catalogue.inc"
#undef ROTAM_SPECIAL
#undef ROTAM_SETTING
#undef ROTAM_SETTING_SET
#undef ROTAM_SETTING_GET
#undef ROTAM_WRAP_OF
#undef ROTAM_WRAP
#undef ROTAM_QUERY
#undef ROTAM_GET
#undef ROTAM_PASS
#undef ROTAM_ADD
    return calls;
}

std::set<std::string> special_names() {
    std::set<std::string> names;
#define ROTAM_PASS(...)
#define ROTAM_GET(...)
#define ROTAM_QUERY(...)
#define ROTAM_WRAP(...)
#define ROTAM_WRAP_OF(...)
#define ROTAM_SETTING(...)
#define ROTAM_SETTING_SET(...)
#define ROTAM_SPECIAL(Result, Name, ...) names.insert(#Name);
#include "wrappers_catalogue.inc"
#undef ROTAM_SPECIAL
#undef ROTAM_SETTING_SET
#undef ROTAM_SETTING
#undef ROTAM_WRAP_OF
#undef ROTAM_WRAP
#undef ROTAM_QUERY
#undef ROTAM_GET
#undef ROTAM_PASS
    return names;
}

// Every hand-written wrapper, called so that it fires all it can: a
// non-empty file name, a polygon that fits its arrays.
Calls special_calls() {
    static Long l = 1;
    static Double d = 1.5;
    static String s = u"x";
    static Flag b = -1;
    static double xs[] = {0, 1, 1}, ys[] = {0, 0, 1};
    static Long corners = 2;
    return {
        {"ZynBeginGCIN", [](Control &c) { ZynBeginGCIN(c); }},
        {"ZynRunGCIN2", [](Control &c) { ZynRunGCIN2(c); }},
        {"ZynResetInputState", [](Control &c) { ZynResetInputState(c); }},
        {"ZynChangeIconSize", [](Control &c) { ZynChangeIconSize(c, l); }},
        {"ZynGetActiveAtr", [](Control &c) { ZynGetActiveAtr(c); }},
        {"ZynSetActiveAtr", [](Control &c) { ZynSetActiveAtr(c); }},
        {"ZynChangeData", [](Control &c) { ZynChangeData(c, l); }},
        {"ZynGetAttribute", [](Control &c) { ZynGetAttribute(c, l); }},
        {"ZynSetAttribute", [](Control &c) { ZynSetAttribute(c, l); }},
        {"ZynGetAtribute", [](Control &c) { ZynGetAtribute(c, l); }},
        {"ZynSetAtribute", [](Control &c) { ZynSetAtribute(c, l); }},
        {"ZynCreatePoint", [](Control &c) { ZynCreatePoint(c, d, d); }},
        {"ZynCreateLine", [](Control &c) { ZynCreateLine(c, d, d, d, d); }},
        {"ZynCreateCircle", [](Control &c) { ZynCreateCircle(c, d, d, d); }},
        {"ZynCreateArc", [](Control &c) { ZynCreateArc(c, d, d, d, d, d); }},
        {"ZynCreateText", [](Control &c) { ZynCreateText(c, s, d, d, d, d, 1); }},
        {"ZynCreateNumText", [](Control &c) { ZynCreateNumText(c, d, d, d, d, d, 1); }},
        {"ZynCreateDimPoint", [](Control &c) { ZynCreateDimPoint(c, l, d, d); }},
        {"ZynCreateDimLine", [](Control &c) { ZynCreateDimLine(c, l, d, d, d, d); }},
        {"ZynCreateDimCircle", [](Control &c) { ZynCreateDimCircle(c, l, d, d, d); }},
        {"ZynCreateDimArc", [](Control &c) { ZynCreateDimArc(c, l, d, d, d, d, d); }},
        {"ZynCreateDimText", [](Control &c) { ZynCreateDimText(c, l, d, d, d, d, d, 1, 2); }},
        {"ZynFindPrimitive", [](Control &c) { ZynFindPrimitive(c, d, d, 1, 1, b, l, b); }},
        {"ZynFindPrimitiveMode", [](Control &c) { ZynFindPrimitiveMode(c, l, d, d, 1, 1, b, l, b); }},
        {"ZynChangeDataWBZ", [](Control &c) { ZynChangeDataWBZ(c, l); }},
        {"ZynGetAttributeWBZ", [](Control &c) { ZynGetAttributeWBZ(c, l); }},
        {"ZynSetAttributeWBZ", [](Control &c) { ZynSetAttributeWBZ(c, l); }},
        {"ZynAddWBZtoDrawing", [](Control &c) { ZynAddWBZtoDrawing(c, b, b, b); }},
        {"ZynAddDragtoDrawing", [](Control &c) { ZynAddDragtoDrawing(c, b, b, b); }},
        {"ZynClipByRecttoWBZ", [](Control &c) { ZynClipByRecttoWBZ(c, d, d, d, d, b, b); }},
        {"ZynClipByPolygon", [](Control &c) { ZynClipByPolygon(c, corners, xs, ys, b, b); }},
        {"ZynRefresh", [](Control &c) { ZynRefresh(c); }},
        {"ZynSetLayerName", [](Control &c) { ZynSetLayerName(c, l, s); }},
        {"ZynSetColorRGB", [](Control &c) { ZynSetColorRGB(c, l, l); }},
        {"ZynSetLtypePenStyle", [](Control &c) { ZynSetLtypePenStyle(c, l, l); }},
        {"ZynSetWidthName", [](Control &c) { ZynSetWidthName(c, l, s); }},
        {"ZynSetPenWidth", [](Control &c) { ZynSetPenWidth(c, l, l); }},
        {"ZynSetColorValues", [](Control &c) { ZynSetColorValues(c, l, l, l, l); }},
        {"ZynGetColorValues", [](Control &c) { ZynGetColorValues(c, l, l, l, l); }},
        {"ZynTextAtrFromDialog", [](Control &c) { ZynTextAtrFromDialog(c); }},
        {"ZynGetCurrentTextAtr", [](Control &c) { ZynGetCurrentTextAtr(c); }},
        {"ZynSetCurrentTextAtr", [](Control &c) { ZynSetCurrentTextAtr(c); }},
        {"ZynOpenZoririDoc", [](Control &c) { ZynOpenZoririDoc(c, s, b, b, b); }},
        {"ZynOpenedFile", [](Control &c) { ZynOpenedFile(c, s, b, b); }},
        {"ZynGetLong3001", [](Control &c) { ZynGetLong3001(c); }},
    };
}

Calls all_calls() {
    Calls calls = table_calls();
    calls.merge(special_calls());
    return calls;
}

const std::set<std::string> kNeverFired = {
    "ZynSetStartDrv", "ZynSetStartPath", "ZynGetBigIcon", "ZynSetBigIcon", "ZynGetSelectMode", "ZynSetSelectMode",
    "ZynGetSelectMulti", "ZynSetSelectMulti", "ZynGetPaperSizeY", "ZynSetPaperSizeY", "ZynGetPaperOrgY",
    "ZynSetPaperOrgY", "ZynMoveSelectedData", "ZynScaleSelectedData", "ZynRotateSelectedData",
    "ZynDupSelectedData", "ZynDrawSelectedBound", "ZynSetActiveAtrWBZ", "ZynAllSelectWBZ", "ZynSetFlagWBZ",
    "ZynSetFlagAfterWBZ", "ZynCheckFlagWBZ", "ZynWBZGetnSelect", "ZynWBZGetMinmaxSelected",
    "ZynWBZMoveSelectedData", "ZynWBZScaleSelectedData", "ZynWBZRotateSelectedData", "ZynWBZDeleteSelectedData",
    "ZynWBZDupSelectedData", "ZynWBZDrawSelectedData", "ZynWBZDrawSelectedBound", "ZynGetDraft", "ZynSetDraft",
    "ZynSetDeleteDateAfter", "ZynSaveAsZoririDoc", "ZynGetnADouble", "ZynGetADouble", "ZynSetADouble"};

// The settings by identifier that the host offers, by type.
struct Settings {
    const char *type;
    std::vector<int> both, set_only, get_only;
};
const std::vector<Settings> kSettings = {
    {"Integer",
     {1005, 1006, 1007, 1009, 1015, 1016, 1017, 1018, 1019, 1020, 1103, 1104, 1105, 1106, 1108, 1112, 1113,
      1114, 1201, 1202, 1203, 1204, 1205, 1206, 1207, 1301, 1302, 1303, 1304, 1305, 1306, 1401, 1402, 2101,
      2103},
     {1008},
     {}},
    {"Long", {1011, 1013, 1014, 1115, 1116, 1118, 1119, 1209, 1307}, {}, {3001}},
    {"Double", {1012, 1117, 1120, 1121, 1208, 2001, 2002}, {}, {}},
    {"String", {1308, 1501}, {}, {}},
};

// The host version each gated wrapper needs; every other wrapper is not gated.
std::map<std::string, std::u16string> required_versions() {
    std::map<std::string, std::u16string> need;
    auto add = [&](const std::u16string &version, std::initializer_list<const char *> names) {
        for (const char *n : names)
            need[n] = version;
    };
    add(u"2, 0, 1, 7", {"ZynRefresh", "ZynSetWindow", "ZynUpdateOleLink", "ZynGetMinmaxPrimitive",
                        "ZynDeleteDataWBZ", "ZynUndo", "ZynRedo", "ZynGetFillPoly", "ZynSetFillPoly", "ZynGetDrawOR",
                        "ZynSetDrawOR", "ZynGetPaintOR", "ZynSetPaintOR", "ZynGetWindowExtents"});
    add(u"2, 0, 1, 9", {"ZynWaitCursor", "ZynGetPathName", "ZynGetAsyncKeyState", "ZynGetSelectKakunin",
                        "ZynSetSelectKakunin", "ZynGetMouseEvent", "ZynGetKeyEvent", "ZynInterruptExec",
                        "ZynGetAtribute", "ZynSetAtribute"});
    add(u"2, 0, 2, 0", {"ZynClearKeyBuf"});
    add(u"2, 0, 2, 1", {"ZynOpenedFile"});
    add(u"2, 0, 2, 3", {"ZynGetOrg", "ZynSetOrg"});
    add(u"2, 0, 2, 6", {"ZynSetLayerName", "ZynSetColorRGB", "ZynSetLtypePenStyle", "ZynSetWidthName",
                        "ZynSetPenWidth", "ZynGetColorValues", "ZynSetColorValues"});
    add(u"2, 0, 2, 8",
        {"ZynClipByRecttoWBZ", "ZynQVZDisplay", "ZynSetViewPort", "ZynGetDocument", "ZynGetView",
         "ZynSetActiveDocument", "ZynSetActiveView", "ZynPrintSetup", "ZynPrintDirect", "ZynPrintPreview",
         "ZynGetPrintColor", "ZynSetPrintColor", "ZynGetPrintMargin", "ZynSetPrintMargin", "ZynGetPrintScale",
         "ZynSetPrintScale", "ZynGetPrintMode", "ZynSetPrintMode", "ZynGetPrintPosition", "ZynSetPrintPosition",
         "ZynGetPrintArea", "ZynSetPrintArea"});
    add(u"2, 0, 2, 9", {"ZynDumpData0", "ZynDumpData1", "ZynDumpData2", "ZynSelectObject", "ZynSearchSnap"});
    add(u"2, 0, 3, 1", {"ZynSetPathName"});
    add(u"2, 0, 3, 3",
        {"ZynSelectWindow", "ZynSelectCross", "ZynSelectCrossLine", "ZynSetSelectFlagByAttrib",
         "ZynSearchTextDimAtr", "ZynSearchEntityDimAtr", "ZynChangeSelectedAtr", "ZynChangeSelectedAtrWBZ",
         "ZynSetAttribute", "ZynGetAttribute", "ZynSetAttributeWBZ", "ZynGetAttributeWBZ", "ZynChangeData",
         "ZynChangeDataWBZ", "ZynSearchByAttrib", "ZynSearchByAttribWBZ", "ZynSearchByMultiAttrib",
         "ZynSearchByMultiAttribWBZ", "ZynSetDimentionText", "ZynSetLP", "ZynShowPopupMenu", "ZynPackDataWBZ"});
    add(u"2, 0, 3, 4", {"ZynSearchPrimitiveWBZ", "ZynSearchPrimitiveModeWBZ", "ZynSelectWindowEndPoint"});
    for (const Settings &s : kSettings)
        for (const auto *ids : {&s.both, &s.set_only, &s.get_only})
            for (int id : *ids) {
                const std::u16string v = id == 1501 || id == 3001 ? u"2, 0, 3, 3" : u"2, 0, 2, 9";
                if (ids != &s.set_only)
                    need["ZynGet" + std::string(s.type) + std::to_string(id)] = v;
                if (ids != &s.get_only)
                    need["ZynSet" + std::string(s.type) + std::to_string(id)] = v;
            }
    return need;
}

// The version text just below a version: "2, 0, 2, 0" gives "2, 0, 1, 99".
std::u16string one_below(const std::u16string &version) {
    const Long n = ZynVersionNumber(version) - 1;
    const std::string t = std::to_string(n / 1000000) + ", " + std::to_string(n / 10000 % 100) + ", " +
                          std::to_string(n / 100 % 100) + ", " + std::to_string(n % 100);
    return {t.begin(), t.end()};
}

std::string name_of(std::int32_t dispid) {
    for (const auto &e : events::kEvents)
        if (e.dispid == dispid)
            return e.name;
    return "?";
}

class Catalogue : public WrapperTest {};

TEST_F(Catalogue, EveryHandWrittenWrapperIsCalledHere) {
    std::set<std::string> called;
    for (const auto &[name, call] : special_calls())
        called.insert(name);
    EXPECT_EQ(called, special_names());
}

TEST_F(Catalogue, TogetherTheWrappersFireEveryEventButTheThirtyEight) {
    for (const auto &[name, call] : all_calls())
        call(c);
    // The plain searches are what an older host gets.
    HostVersion() = u"2, 0, 2, 5";
    special_calls()["ZynFindPrimitive"](c);
    special_calls()["ZynFindPrimitiveMode"](c);
    // The core wrappers and the record wrappers.
    String ver;
    c.ZynGetZynVersion(ver);
    c.ZynExitCommand();
    Long n = 1;
    Integer wbz = 0;
    wrappers::GetRecord(c, n);
    wrappers::GetRecordWBZ(c, n);
    wrappers::AddRecord(c);
    wrappers::AddRecordWBZ(c);
    wrappers::ChangeRecord(c, n, wbz);

    std::set<std::string> fired, expected;
    for (std::int32_t id : host.dispids())
        fired.insert(name_of(id));
    for (const auto &e : events::kEvents)
        if (!kNeverFired.contains(e.name))
            expected.insert(e.name);
    ASSERT_EQ(kNeverFired.size(), 38u);
    EXPECT_EQ(expected.size(), 333u);
    EXPECT_EQ(fired, expected);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(Catalogue, EachWrapperRefusesBelowItsVersionAndFiresAtIt) {
    const auto need = required_versions();
    const Calls calls = all_calls();
    for (const auto &[name, version] : need)
        EXPECT_TRUE(calls.contains(name)) << name << " is missing";

    for (const auto &[name, call] : calls) {
        SCOPED_TRACE(name);
        const auto required = need.find(name);
        if (required == need.end()) {
            // Not gated: even a host that reported no version is served.
            HostVersion().clear();
            host.clear();
            call(c);
            EXPECT_FALSE(host.events().empty());
            EXPECT_TRUE(box.shown.empty());
            continue;
        }
        HostVersion() = one_below(required->second);
        host.clear();
        box.shown.clear();
        const std::size_t pumped = pump.ran_after.size();
        call(c);
        EXPECT_TRUE(host.events().empty());
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].text, refusal(required->second));
        EXPECT_EQ(pump.ran_after.size(), pumped);

        HostVersion() = required->second;
        box.shown.clear();
        call(c);
        EXPECT_FALSE(host.events().empty());
        EXPECT_TRUE(box.shown.empty());
    }
}

TEST_F(Catalogue, SettingsByIdentifierSendTheirNumberInTheirType) {
    const std::map<std::string, std::pair<ArgType, std::int32_t>> kinds = {
        {"Integer", {ArgType::I2, 333}}, {"Long", {ArgType::I4, 335}},
        {"Double", {ArgType::R8, 337}}, {"String", {ArgType::Str, 339}}};
    std::set<std::string> expected, found;
    for (const Settings &s : kSettings) {
        for (int id : s.both)
            expected.insert({"ZynGet" + std::string(s.type) + std::to_string(id),
                             "ZynSet" + std::string(s.type) + std::to_string(id)});
        for (int id : s.set_only)
            expected.insert("ZynSet" + std::string(s.type) + std::to_string(id));
        for (int id : s.get_only)
            expected.insert("ZynGet" + std::string(s.type) + std::to_string(id));
    }
    const std::regex setting("Zyn(Get|Set)(Integer|Long|Double|String)([0-9]+)");
    for (const auto &[name, call] : all_calls()) {
        std::smatch m;
        if (!std::regex_match(name, m, setting))
            continue;
        SCOPED_TRACE(name);
        found.insert(name);
        const auto [type, get_dispid] = kinds.at(m[2]);
        host.clear();
        call(c);
        ASSERT_EQ(host.events().size(), 1u);
        EXPECT_EQ(last().dispid, get_dispid + (m[1] == "Set" ? 1 : 0));
        EXPECT_EQ(last().sent[0], ArgValue(std::stoi(m[3])));
        EXPECT_EQ(last().types[1], type);
    }
    EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace rotam::testing
