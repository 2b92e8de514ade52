// The wrappers inside a real COM object under Wine: command code (a stand-in
// for the list dialog, running inside ZynInitCommand) calls a sample of each
// kind of wrapper, and a real COM sink answers as a host would.  ZynRefresh
// lets the thread's pending window messages run, and VOSTIK.DLL beside the
// program is bound and called by name.
#include <map>

#include "command_run_wintest.h"
#include "vostik_binding.h"
#include "wrappers.h"

namespace rotam::test {
namespace {

using namespace wrappers;

class WrappersUnderWine : public CommandRunUnderWine {
protected:
    WrappersUnderWine() : CommandRunUnderWine(L"2, 0, 3, 4") {}
    // One run of the command with body as its command code.
    void run(std::function<void(Control &)> body) {
        run_code([&] { body(service_control()); });
    }
    const Heard &heard(DISPID id, std::size_t nth = 0) const {
        for (const Heard &h : sink->heard)
            if (h.dispid == id && nth-- == 0)
                return h;
        static const Heard none{};
        ADD_FAILURE() << "event " << id << " not heard";
        return none;
    }
};

constexpr VARTYPE kI2 = VT_BYREF | VT_I2, kI4 = VT_BYREF | VT_I4, kR8 = VT_BYREF | VT_R8,
                  kStr = VT_BYREF | VT_BSTR;

TEST_F(WrappersUnderWine, TableWrappersOfEachKindTalkToTheSink) {
    answers[5] = [](auto &a) { set_text(a[0], L"Ｄ：\\図面"); };
    answers[69] = [](auto &a) { *a[0]->plVal = 0x01FF0000; };
    answers[37] = [](auto &a) { *a[0]->piVal = -1; };
    answers[219] = [](auto &a) { *a[1]->piVal = -1; };
    answers[47] = [](auto &a) {
        for (int i = 0; i < 4; ++i)
            *a[i]->pdblVal = 10.5 + i;
    };
    answers[240] = [](auto &a) { set_text(a[3], L"値"); };
    answers[333] = [](auto &a) { *a[1]->piVal = -12; };
    String drive, profile;
    Long waku = 0;
    Flag high = 7, deleted = 0;
    std::int16_t setting = 0;
    Double xy[4] = {};
    run([&](Control &c) {
        drive = ZynGetStartDrv(c);
        waku = ZynGetWakuColor(c);
        high = ZynGetHighLight(c);
        Long n = 4, on = 1;
        deleted = ZynDeleteData(c, n);
        ZynGetSelectXY(c, xy[0], xy[1], xy[2], xy[3]);
        String section = u"sec", key = u"key", def = u"";
        profile = ZynGetProfileString(c, section, key, def);
        ZynLayerOn(c, n, on, 1);
        Double d = 0;
        ZynCheckMinmax(c, 1, n, 0, -1, d, d, d, d);
        ZynPrintSetup(c);
        String text = u"文字";
        ZynSetTextWBZ(c, text, d, d, d, d, -2);
        Long hdc = 0x1234;
        ZynQVZDisplay(c, hdc);
        setting = ZynGetInteger1005(c);
    });
    EXPECT_EQ(drive, u"Ｄ：\\図面");
    EXPECT_EQ(waku, 0xFF0000);
    EXPECT_EQ(high, 0);  // -1 is not the host's true
    EXPECT_EQ(deleted, -1);  // ... but any non-zero deletes
    EXPECT_EQ(std::vector<Double>(xy, xy + 4), std::vector<Double>({10.5, 11.5, 12.5, 13.5}));
    EXPECT_EQ(profile, u"値");
    EXPECT_EQ(setting, -12);

    const Heard &layer_on = heard(95);
    EXPECT_EQ(layer_on.types, (std::vector<VARTYPE>{kI4, kI4, kI2, kI2}));
    EXPECT_EQ(layer_on.values, (std::vector<std::wstring>{L"4", L"1", L"0", L"0"}));  // Disp 1 is not -1
    EXPECT_EQ(heard(121).values[0], L"1");  // loose
    EXPECT_EQ(heard(121).values[6], L"0");  // zmin fixed
    EXPECT_EQ(heard(326).values, std::vector<std::wstring>{L"-7930"});
    EXPECT_EQ(heard(326).types, std::vector<VARTYPE>{kI4});
    EXPECT_EQ(heard(149).types[5], kI4);
    EXPECT_EQ(heard(149).values[5], L"-2");
    EXPECT_EQ(heard(320).types, std::vector<VARTYPE>{VT_I4});
    EXPECT_EQ(heard(333).values[0], L"1005");
    EXPECT_EQ(heard(333).types, (std::vector<VARTYPE>{kI4, kI2}));
}

TEST_F(WrappersUnderWine, HandWrittenWrappersSequenceTheirEvents) {
    answers[108] = [](auto &a) { *a[6]->plVal = 5; };
    answers[318] = [](auto &a) {
        *a[0]->plVal = 320;
        set_text(a[16], L"入力文字");
    };
    answers[255] = [](auto &a) { set_text(a[0], L"図面1"); };
    answers[236] = [](auto &a) {
        *a[2]->pdblVal = 3.5;  // ts_haba
        *a[28]->plVal = 1;
    };
    answers[227] = [](auto &a) {
        *a[3]->plVal = 8;
        set_text(a[6], L"緑");
    };
    answers[372] = [](auto &a) { *a[3]->plVal = 2; };
    Long position = 0, clipped = 0;
    Flag dialog = 0;
    InputState state;
    std::shared_ptr<QVZ_Class> record;
    run([&](Control &c) {
        Double x1 = 0, y1 = 0, x2 = 10, y2 = 0;
        position = ZynCreateLine(c, x1, y1, x2, y2);
        ZynRunGCIN2(c);
        state = c.state();
        CurrentRecord()->ts_takasa = 2.5;
        dialog = ZynTextAtrFromDialog(c);
        record = CurrentRecord();
        Long no = 3, rgb = 0x00FF00;
        ZynSetColorRGB(c, no, rgb);
        double xs[] = {0, 1, 1}, ys[] = {0, 0, 1};
        Long ndata = 2;
        clipped = ZynClipByPolygon(c, ndata, xs, ys, -1, 0);
    });
    EXPECT_EQ(position, 5);
    EXPECT_EQ(heard(127).values, (std::vector<std::wstring>{L"5", L"1"}));
    EXPECT_EQ(heard(118).types, (std::vector<VARTYPE>{kI4, kI2}));
    EXPECT_EQ(state.mcx, 320);
    EXPECT_EQ(state.str, u"入力文字");
    EXPECT_EQ(state.ZoririDocName, u"図面1");
    EXPECT_EQ(dialog, -1);
    EXPECT_EQ(heard(236).values[1], L"2.5");
    EXPECT_EQ(record->ts_haba, 3.5);
    EXPECT_EQ(record->id, 5);
    const Heard &color = heard(313);
    EXPECT_EQ(color.values, (std::vector<std::wstring>{L"3", L"0", L"0", L"8", L"65280", L"0", L"緑"}));
    EXPECT_EQ(color.types.back(), kStr);
    EXPECT_EQ(clipped, 2);
    EXPECT_EQ(heard(371, 2).values[1], L"1");
    EXPECT_EQ(heard(371, 2).types[0], kR8);
    EXPECT_EQ(heard(372).values, (std::vector<std::wstring>{L"2", L"0", L"1", L"2"}));
}

// A window of the command's own whose messages ZynRefresh lets run.
std::vector<UINT> window_heard;

LRESULT CALLBACK record_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message >= WM_APP)
        window_heard.push_back(message);
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST_F(WrappersUnderWine, RefreshLetsPendingWindowMessagesRun) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &record_message;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"rotam_refresh_test";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"rotam_refresh_test", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    window_heard.clear();
    std::vector<UINT> seen_by_host, before_refresh;
    answers[284] = [&](auto &) {
        seen_by_host = window_heard;
        PostMessageW(window, WM_APP + 2, 0, 0);  // posted while the host redraws
    };
    run([&](Control &c) {
        PostMessageW(window, WM_APP + 1, 0, 0);
        before_refresh = window_heard;
        ZynRefresh(c);
    });
    EXPECT_TRUE(before_refresh.empty());
    EXPECT_TRUE(seen_by_host.empty());
    EXPECT_EQ(window_heard, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
    DestroyWindow(window);
}

TEST_F(WrappersUnderWine, CommandCodeCallsVostikDllByName) {
    EXPECT_EQ(GetModuleHandleA("vostik.dll"), nullptr);
    double angle = 0, normal = -450, x = 0, y = 0;
    std::int32_t perpendicular = 0;
    char text[128] = {};
    run([&](Control &) {
        angle = vostik::SubKakudoD(-1, -1);
        vostik::NormalizeDegree(&normal);
        perpendicular = vostik::GetPerpend(30, 40, 0, 0, 10, 10, &x, &y);
        vostik::DoubleToString(3.25, text, 1);
    });
    EXPECT_EQ(angle, 225.0);
    EXPECT_EQ(normal, 270.0);
    EXPECT_EQ(perpendicular, 1);
    EXPECT_EQ(std::pair(x, y), std::pair(35.0, 35.0));
    EXPECT_STREQ(text, "3.2");
    EXPECT_NE(GetModuleHandleA("vostik.dll"), nullptr);

    vostik::rebind_from("no_such_library_vostik");
    std::int32_t number = 0;
    run([&](Control &) {
        try {
            vostik::ZynBeep(0);
        } catch (const RuntimeError &e) {
            number = e.number();
        }
    });
    vostik::rebind_from(nullptr);
    EXPECT_EQ(number, 53);
}

}  // namespace
}  // namespace rotam::test
