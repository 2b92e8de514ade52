// The service layer inside a real COM object under Wine: the host drives the
// control through IDispatch and answers its events through a real COM sink,
// while command code (a stand-in for the list dialog, running inside
// ZynInitCommand) calls the gate and the record wrappers.  The refusal is the
// platform's own message box, found on screen and read back.
//
// The program links the adapter and carries the type library as its own
// resource, so command code can run inside the component without any hook
// compiled into the shipped DLL.
#include <map>
#include <set>

#include "command_run_wintest.h"
#include "record_object.h"

namespace rotam::test {
namespace {

constexpr DISPID kExitCommand = 1, kGetData = 103, kAddData = 104, kDrawObject = 118, kSetCreateDate = 127;
constexpr std::size_t kRecordArgs = 58, kNdata = 8;

// Answers a record in args[base..base+57], each argument with a value of
// its own derived from seed; id and ndata as given.
void answer_record(std::vector<VARIANTARG *> &args, std::size_t base, LONG id, int seed, LONG ndata = 0) {
    for (std::size_t k = 0; k < kRecordArgs; ++k) {
        VARIANTARG *a = args[base + k];
        switch (a->vt & ~VT_BYREF) {
        case VT_I4:
            *a->plVal = seed * 1000 + static_cast<LONG>(k);
            break;
        case VT_I2:
            *a->piVal = static_cast<SHORT>(seed * 100 + k);
            break;
        case VT_R8:
            *a->pdblVal = seed * 1000 + k + 0.5;
            break;
        default:
            set_text(a, k == 23 ? L"文字" + std::to_wstring(seed) : L"ＭＳ ゴシック");
            break;
        }
    }
    *args[base]->plVal = id;
    *args[base + kNdata]->plVal = ndata;
}

std::vector<std::wstring> slice(const Heard &h, std::size_t from) {
    return {h.values.begin() + from, h.values.begin() + from + kRecordArgs};
}

class ServiceUnderWine : public CommandRunUnderWine {
protected:
    ServiceUnderWine() : CommandRunUnderWine(L"2, 0, 1, 7") {
        answers[kGetData] = [this](std::vector<VARIANTARG *> &args) {
            if (auto r = drawing.find(*args[0]->plVal); r != drawing.end())
                answer_record(args, 1, r->second.id, r->second.seed, r->second.ndata);
        };
        answers[kAddData] = [this](std::vector<VARIANTARG *> &args) { *args[kRecordArgs]->plVal = next_position++; };
    }
    // The host's drawing, by record number: kind, seed, ndata.
    struct Stored {
        LONG id;
        int seed;
        LONG ndata;
    };
    std::map<LONG, Stored> drawing;
    LONG next_position = 70;

    void run(std::function<void()> body) { run_code(std::move(body)); }
    std::vector<const Heard *> heard(DISPID id) const {
        std::vector<const Heard *> out;
        for (const Heard &h : sink->heard)
            if (h.dispid == id)
                out.push_back(&h);
        return out;
    }
};

// A message box on screen as the user sees it.
struct SeenBox {
    bool found = false;
    std::wstring title, text;
    std::set<int> buttons;  // visible buttons by id
    bool icon = false;
};

BOOL CALLBACK collect_button(HWND child, LPARAM p) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (std::wstring(cls) == L"Button" && IsWindowVisible(child))
        reinterpret_cast<SeenBox *>(p)->buttons.insert(GetDlgCtrlID(child));
    return TRUE;
}

// Reads the box titled title and presses its OK button.
SeenBox read_and_close(const wchar_t *title) {
    SeenBox seen;
    HWND box = FindWindowW(L"#32770", title);
    if (!box)
        return seen;
    seen.found = true;
    wchar_t text[512] = {};
    GetWindowTextW(box, text, 512);
    seen.title = text;
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    seen.text = text;
    EnumChildWindows(box, &collect_button, reinterpret_cast<LPARAM>(&seen));
    HWND icon = GetDlgItem(box, 0x440);
    seen.icon = icon && IsWindowVisible(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return seen;
}

TEST_F(ServiceUnderWine, NoWrapperIsReachableThroughTheAutomationInterface) {
    for (const wchar_t *name : {L"GetRecord", L"GetTextRecord", L"GetRecordWBZ", L"AddRecord",
                                L"AddRecordWBZ", L"ChangeRecord", L"ReadPackage", L"WritePackage",
                                L"ZynCheckVersion", L"ZynVersionNumber", L"ZynGetZynVersion"})
        EXPECT_EQ(id_of(control.get(), name), DISPID_UNKNOWN) << name;
}

TEST_F(ServiceUnderWine, AnOldHostIsRefusedWithThePlatformsBoxEveryTime) {
    std::vector<SeenBox> seen;
    std::vector<Flag> answers;
    Flag passed = 0;
    int shown_with_icon = 0;
    run([&] {
        for (int i = 0; i < 2; ++i) {
            Later later(100, [&] { seen.push_back(read_and_close(L"rotamcmd")); });
            answers.push_back(wrappers::ZynCheckVersion(u"2, 0, 1, 9"));
        }
        passed = wrappers::ZynCheckVersion(u"2, 0, 1, 7");
        // The same reading sees an icon where there is one.
        Later later(100, [&] { shown_with_icon = read_and_close(L"rotamcmd").icon; });
        message_box().show(u"?", u"rotamcmd", kMbOk | kMbIconExclamation);
    });
    EXPECT_EQ(answers, (std::vector<Flag>{0, 0}));
    EXPECT_EQ(passed, -1);
    EXPECT_TRUE(shown_with_icon);
    ASSERT_EQ(seen.size(), 2u);
    for (const SeenBox &box : seen) {
        ASSERT_TRUE(box.found);
        EXPECT_EQ(box.title, L"rotamcmd");
        EXPECT_EQ(box.text, L"このオプションコマンドはZYN-CAD for Windows Ver 2, 0, 1, 9以上で使用して下さい");
        EXPECT_EQ(box.buttons, std::set<int>{IDOK});
        EXPECT_FALSE(box.icon);
    }
    // The gate asks the host nothing.
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kGetZynVersion, kExitCommand}));
}

TEST_F(ServiceUnderWine, ARecordRoundTripsThroughTheSinkAndReadsThroughItsInterface) {
    drawing[7] = {5, 3, 0};
    LONG position = 0;
    com_ptr<IDispatch> record;
    run([&] {
        Long n = 7;
        wrappers::GetRecord(service_control(), n);
        position = wrappers::AddRecord(service_control());
        ASSERT_EQ(com::create_record_object(CurrentRecord(), record.put()), S_OK);
    });
    EXPECT_EQ(position, 70);
    const auto got = heard(kGetData), added = heard(kAddData), dated = heard(kSetCreateDate);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(got[0]->values[0], L"7");
    EXPECT_EQ(got[0]->types[0], VT_BYREF | VT_I4);
    EXPECT_EQ(slice(*added[0], 0), slice(*got[0], 1));
    EXPECT_EQ(added[0]->types[57], VT_BYREF | VT_BSTR);
    ASSERT_EQ(dated.size(), 1u);
    EXPECT_EQ(dated[0]->values, (std::vector<std::wstring>{L"70", L"1"}));

    // The record outlives the run through its COM object; its fields are
    // properties by name, in the types of the type library.
    ASSERT_TRUE(record);
    EXPECT_EQ(id_of(record.get(), L"id"), 0x40030000);
    EXPECT_EQ(id_of(record.get(), L"kaiten"), 0x4003003D);
    const Got font = get(record.get(), id_of(record.get(), L"ts_Fontname"));
    EXPECT_EQ(font.vt, VT_BSTR);
    EXPECT_EQ(font.text, L"ＭＳ ゴシック");
    const Got fonttype = get(record.get(), id_of(record.get(), L"ts_fonttype"));
    EXPECT_EQ(fonttype.vt, VT_I2);
    EXPECT_EQ(fonttype.text, L"336");
    EXPECT_EQ(get(record.get(), id_of(record.get(), L"x1")).text, L"3012.5");
    EXPECT_EQ(get(record.get(), id_of(record.get(), L"atrid")).text, L"0");
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(L"42");
    EXPECT_EQ(put(record.get(), 0x40030002, v), S_OK);  // layer, converted from text
    SysFreeString(v.bstrVal);
    EXPECT_EQ(get(record.get(), 0x40030002).text, L"42");
    v.vt = VT_I4;
    v.lVal = 70000;
    EXPECT_EQ(put(record.get(), id_of(record.get(), L"refno"), v), DISP_E_OVERFLOW);
    EXPECT_EQ(get(record.get(), 0x4003003E).hr, DISP_E_MEMBERNOTFOUND);
}

TEST_F(ServiceUnderWine, APackageRoundTripsThroughTheSink) {
    drawing[30] = {2, 1, 4};
    drawing[31] = {254, 2, 0};
    drawing[32] = {4, 3, 0};
    drawing[33] = {10, 4, 0};
    LONG loaded = 0, first = 0;
    run([&] {
        Long n = 30;
        loaded = wrappers::ReadPackage(service_control(), n);
        sink->heard.clear();
        first = wrappers::WritePackage(service_control());
    });
    EXPECT_EQ(loaded, 3);
    EXPECT_EQ(first, 70);
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kAddData, kSetCreateDate, kAddData, kSetCreateDate,
                                                    kAddData, kSetCreateDate, kSetCreateDate, kDrawObject,
                                                    kExitCommand}));
    const auto added = heard(kAddData);
    EXPECT_EQ(added[0]->values[0], L"2");
    EXPECT_EQ(added[0]->values[kNdata], L"4");
    EXPECT_EQ(added[1]->values[0], L"4");
    EXPECT_EQ(added[1]->values[1], std::to_wstring(3001 | 8));
    EXPECT_EQ(added[2]->values[0], L"10");
    EXPECT_EQ(added[2]->values[12], L"4012.5");  // x1 of the fourth host record
    const Heard &draw = *heard(kDrawObject)[0];
    EXPECT_EQ(draw.values, (std::vector<std::wstring>{L"70", L"1"}));
    EXPECT_EQ(draw.types, (std::vector<VARTYPE>{VT_BYREF | VT_I4, VT_BYREF | VT_I2}));
    EXPECT_EQ(heard(kSetCreateDate)[3]->values[0], L"70");
}

}  // namespace
}  // namespace rotam::test
