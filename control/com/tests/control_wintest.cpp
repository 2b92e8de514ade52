// The control as a late-bound host drives it: creation, properties and
// methods through IDispatch with by-reference arguments, its connection
// point, error reporting, and whole runs with the real dialog.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "events_table.h"
#include "wintest_util.h"

namespace rotam::test {
namespace {

constexpr DISPID kInitCommand = 0x60030000, kSelectEnd = 0x60030001, kGCINEnd = 0x60030002,
                 kTransDrag = 0x60030003, kEscape = 0x60030004, kFromDrawingEnd = 0x60030005,
                 kUrgentExit = 0x60030006, kOnMouseWheel = 0x60030011, kRestartCommand = 0x60030017;
constexpr DISPID kExitCommand = 1, kGetActiveZoririTitle = 255, kGetRestGCIN = 264, kGetZynVersion = 224;

Dll &dll() {
    static Dll d;
    return d;
}

DISPID prop(const wchar_t *name) {
    for (const auto &p : events::kProperties)
        if (std::wstring(name) == std::wstring(p.name, p.name + std::strlen(p.name)))
            return p.dispid;
    ADD_FAILURE() << "no property";
    return DISPID_UNKNOWN;
}

class Control : public ::testing::Test {
protected:
    OleThread ole;
    com_ptr<IDispatch> control;
    com_ptr<Sink> sink = Sink::make();

    void SetUp() override {
        ASSERT_TRUE(dll().ok());
        control = dll().create();
        ASSERT_TRUE(control);
        ASSERT_NE(advise(control.get(), sink.get()), 0u);
    }

    // Every property as text, to see what a call changed.
    std::vector<std::wstring> properties() {
        std::vector<std::wstring> all;
        for (const auto &p : events::kProperties)
            all.push_back(get(control.get(), p.dispid).text);
        return all;
    }
    std::wstring text(const wchar_t *name) { return get(control.get(), prop(name)).text; }
    void set(const wchar_t *name, double value) {
        VARIANT v;
        v.vt = VT_R8;
        v.dblVal = value;
        ASSERT_EQ(put(control.get(), prop(name), v), S_OK);
    }
    void set(const wchar_t *name, const wchar_t *value) {
        VARIANT v;
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(value);
        ASSERT_EQ(put(control.get(), prop(name), v), S_OK);
        SysFreeString(v.bstrVal);
    }
};

// --- the object and its interfaces ------------------------------------------

TEST_F(Control, AnswersForItsInterfacesAndDescribesItself) {
    EXPECT_TRUE(control.query<IDispatch>(com::DIID__ZynOptCmd120));
    EXPECT_TRUE(control.query<IConnectionPointContainer>(IID_IConnectionPointContainer));
    EXPECT_TRUE(control.query<ISupportErrorInfo>(IID_ISupportErrorInfo));
    EXPECT_FALSE(control.query<IUnknown>(IID_IPersistStreamInit));

    auto info = control.query<IProvideClassInfo2>(IID_IProvideClassInfo2);
    ASSERT_TRUE(info);
    GUID source{};
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_EQ(source, com::DIID___ZynOptCmd120);
    com_ptr<ITypeInfo> coclass;
    ASSERT_EQ(info->GetClassInfo(coclass.put()), S_OK);
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, com::CLSID_ZynOptCmd120);
    coclass->ReleaseTypeAttr(attr);

    auto errors = control.query<ISupportErrorInfo>(IID_ISupportErrorInfo);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(com::DIID__ZynOptCmd120), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IConnectionPointContainer), S_FALSE);
}

TEST_F(Control, TheClassFactoryKeepsTheComponentLoadedWhileLocked) {
    com_ptr<IClassFactory> factory;
    ASSERT_EQ(dll().get_class_object(com::CLSID_ZynOptCmd120, IID_IClassFactory, factory.put_void()), S_OK);
    com_ptr<IUnknown> object;
    EXPECT_EQ(factory->CreateInstance(control.get(), IID_IUnknown, object.put_void()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, object.put_void()), E_NOINTERFACE);
    com_ptr<IClassFactory> other;
    EXPECT_EQ(dll().get_class_object(com::CLSID_QVZ_Class, IID_IClassFactory, other.put_void()),
              CLASS_E_CLASSNOTAVAILABLE);

    control.reset();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(dll().can_unload_now(), S_FALSE);
    ASSERT_EQ(dll().get_class_object(com::CLSID_ZynOptCmd120, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(dll().can_unload_now(), S_FALSE) << "a factory reference is still held";
    factory.reset();
    EXPECT_EQ(dll().can_unload_now(), S_OK);
}

// --- properties -------------------------------------------------------------

TEST_F(Control, PropertiesStartEmptyWithTheirAutomationTypes) {
    for (const auto &p : events::kProperties) {
        const Got g = get(control.get(), p.dispid);
        EXPECT_EQ(g.hr, S_OK) << p.name;
        EXPECT_EQ(g.vt, p.vt) << p.name;
        const std::wstring zero = p.vt == VT_BSTR ? L"" : L"0";
        EXPECT_EQ(g.text, zero) << p.name;
    }
}

TEST_F(Control, PropertiesAreReachedByNameAndConvertWhatTheyAreGiven) {
    EXPECT_EQ(id_of(control.get(), L"MCX"), 0x40030000);
    EXPECT_EQ(id_of(control.get(), L"FDgcy2"), 0x4003004D);
    EXPECT_EQ(id_of(control.get(), L"ZynRestartCommand"), kRestartCommand);

    set(L"mcx", L"12");
    EXPECT_EQ(text(L"mcx"), L"12");
    set(L"gcx", 0.1);
    EXPECT_EQ(get(control.get(), prop(L"gcx")).vt, VT_R8);
    set(L"str", L"図面");
    EXPECT_EQ(text(L"str"), L"図面");
    // A flag put as 1 reads back as the automation true.
    VARIANT one;
    one.vt = VT_I4;
    one.lVal = 1;
    ASSERT_EQ(put(control.get(), prop(L"Snap"), one), S_OK);
    const Got snap = get(control.get(), prop(L"Snap"));
    EXPECT_EQ(snap.vt, VT_BOOL);
    EXPECT_EQ(snap.text, L"-1");
    // By reference works too.
    LONG value = 77;
    ASSERT_EQ(put(control.get(), prop(L"key"), ref(value)), S_OK);
    EXPECT_EQ(text(L"key"), L"77");
    VARIANT variable;
    variable.vt = VT_I2;
    variable.iVal = 78;
    ASSERT_EQ(put(control.get(), prop(L"key"), ref(variable)), S_OK);
    EXPECT_EQ(text(L"key"), L"78");

    VARIANT bad;
    bad.vt = VT_BSTR;
    bad.bstrVal = SysAllocString(L"abc");
    EXPECT_EQ(put(control.get(), prop(L"mcx"), bad), DISP_E_TYPEMISMATCH);
    SysFreeString(bad.bstrVal);
    VARIANT big;
    big.vt = VT_R8;
    big.dblVal = 3e10;
    EXPECT_EQ(put(control.get(), prop(L"mcx"), big), DISP_E_OVERFLOW);
    EXPECT_EQ(text(L"mcx"), L"12");
}

// --- methods ----------------------------------------------------------------

TEST_F(Control, CallsThatCannotBeMadeAreRefused) {
    EXPECT_EQ(call(control.get(), 0x60030018, {}).hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(control.get(), 0x4003004E, {}, DISPATCH_PROPERTYGET).hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(control.get(), kUrgentExit, {}, DISPATCH_PROPERTYPUT).hr, DISP_E_MEMBERNOTFOUND);
    LONG mode = 0;
    EXPECT_EQ(call(control.get(), kRestartCommand, {}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(control.get(), kRestartCommand, {ref(mode), ref(mode)}).hr, DISP_E_BADPARAMCOUNT);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(control->Invoke(kEscape, IID_IDispatch, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    // A typed reference of another type cannot take a value back.
    SHORT narrow = 1;
    DISPPARAMS dp{nullptr, nullptr, 1, 0};
    VARIANTARG arg = ref(narrow);
    dp.rgvarg = &arg;
    UINT arg_error = 99;
    EXPECT_EQ(control->Invoke(kRestartCommand, IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, &arg_error),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(arg_error, 0u);
}

TEST_F(Control, MouseAndKeyMethodsAnswerContZeroInEveryArgumentForm) {
    for (const auto &m : events::kMethods) {
        const std::string name = m.name;
        if (name.rfind("ZynOn", 0) != 0 || m.dispid == kOnMouseWheel)
            continue;
        LONG a = 1, b = 2, c = 3, cont = 5;
        const Outcome o = call(control.get(), m.dispid, {ref(a), ref(b), ref(c), ref(cont)});
        EXPECT_EQ(o.hr, S_OK) << name;
        EXPECT_EQ(o.result_type, VT_EMPTY) << name;
        EXPECT_EQ(cont, 0) << name;
        EXPECT_EQ(a + b + c, 6) << name;
    }
    // As a script passes its variables: by-reference VARIANTs, any numeric type.
    VARIANT flags, x, y, cont;
    flags.vt = x.vt = y.vt = VT_I2;
    flags.iVal = x.iVal = y.iVal = 4;
    cont.vt = VT_BSTR;
    cont.bstrVal = SysAllocString(L"7");
    SHORT delta = 120;
    const Outcome o = call(control.get(), kOnMouseWheel, {ref(flags), ref(delta), ref(x), ref(y), ref(cont)});
    EXPECT_EQ(o.hr, S_OK);
    EXPECT_EQ(cont.vt, VT_I4);
    EXPECT_EQ(cont.lVal, 0);
    EXPECT_EQ(x.vt, VT_I2) << "an argument the method did not change keeps its own type";
    // Plain values are accepted and nothing is written anywhere.
    VARIANTARG v[4];
    for (VARIANTARG &a : v) {
        a.vt = VT_I4;
        a.lVal = 9;
    }
    EXPECT_EQ(call(control.get(), 0x60030012, {v[0], v[1], v[2], v[3]}).hr, S_OK);
    EXPECT_TRUE(sink->heard.empty());
}

TEST_F(Control, NamedArgumentsBindByParameterName) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"ZynOnKeyDown"), const_cast<LPOLESTR>(L"cont"),
                        const_cast<LPOLESTR>(L"nFlags")};
    DISPID ids[3] = {};
    ASSERT_EQ(control->GetIDsOfNames(IID_NULL, names, 3, 0, ids), S_OK);
    EXPECT_EQ(ids[0], 0x60030013);
    EXPECT_EQ(ids[1], 3);
    LONG cont = 8, nchar = 65, rep = 1, flags = 0;
    // The named arguments come first, then the positional ones, last first.
    VARIANTARG args[] = {ref(cont), ref(flags), ref(rep), ref(nchar)};
    DISPID named[] = {ids[1], ids[2]};
    DISPPARAMS dp{args, named, 4, 2};
    EXPECT_EQ(control->Invoke(ids[0], IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(cont, 0);
    EXPECT_EQ(nchar, 65);
    // Naming a parameter twice, or one that is not there, is refused.
    DISPID twice[] = {ids[1], ids[1]};
    dp.rgdispidNamedArgs = twice;
    EXPECT_EQ(control->Invoke(ids[0], IID_NULL, 0, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr),
              DISP_E_PARAMNOTFOUND);
}

TEST_F(Control, EscapeRestartAndSelectEndChangeNothing) {
    set(L"mcx", 3);
    set(L"msg", L"message");
    const auto before = properties();
    LONG mode = 2, nselect = 4;
    SHORT sw = 1;
    EXPECT_EQ(call(control.get(), kEscape, {}).result_type, VT_EMPTY);
    EXPECT_EQ(call(control.get(), kRestartCommand, {ref(mode)}).hr, S_OK);
    EXPECT_EQ(call(control.get(), kSelectEnd, {ref(sw), ref(nselect)}).hr, S_OK);
    EXPECT_EQ(properties(), before);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(sw, 1);
    EXPECT_EQ(nselect, 4);
    EXPECT_TRUE(sink->heard.empty());
}

// The 17 arguments of a cursor input, as the host's variables.
struct CursorInput {
    LONG mcx = 10, mcy = 11, mcxUp = 12, mcyUp = 13;
    double gcx = 1.5, gcy = 2.5, gcxUp = 3.5, gcyUp = 4.5, dcx = 5.5, dcy = 6.5, dcxUp = 7.5, dcyUp = 8.5;
    LONG sw = 2, nFlags = 3, nFlagsUp = 4, key = 27;
    BSTR str = SysAllocString(L"入力");
    ~CursorInput() { SysFreeString(str); }
    std::vector<VARIANTARG> args() {
        return {ref(mcx), ref(mcy), ref(mcxUp), ref(mcyUp), ref(gcx), ref(gcy), ref(gcxUp), ref(gcyUp), ref(dcx),
                ref(dcy), ref(dcxUp), ref(dcyUp), ref(sw), ref(nFlags), ref(nFlagsUp), ref(key), ref(str)};
    }
};

const wchar_t *const kCopied[] = {L"mcx", L"mcy", L"mcxUp", L"mcyUp", L"gcx", L"gcy", L"gcxUp", L"gcyUp", L"dcx",
                                  L"dcy", L"dcxUp", L"dcyUp", L"sw", L"nFlags", L"nFlagsUp", L"key", L"str"};
const wchar_t *const kFromHost[] = {L"vcx", L"vcy", L"vcxUp", L"vcyUp", L"dcz", L"dczUp", L"gcz", L"gczUp",
                                    L"scx", L"scy", L"scz", L"scxUp", L"scyUp", L"sczUp"};

TEST_F(Control, CursorInputEndWithASilentHostCopiesTheArgumentsOnly) {
    for (const wchar_t *name : kFromHost)
        set(name, 9.25);
    set(L"ZoririDocName", L"doc");
    set(L"ZoririViewName", L"view");
    CursorInput in;
    const BSTR passed = in.str;
    ASSERT_EQ(call(control.get(), kGCINEnd, in.args()).hr, S_OK);
    const std::vector<std::wstring> expected = {L"10", L"11",  L"12",  L"13", L"1.5", L"2.5", L"3.5", L"4.5", L"5.5",
                                                L"6.5", L"7.5", L"8.5", L"2",  L"3",   L"4",   L"27",  L"入力"};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(text(kCopied[i]), expected[i]) << kCopied[i];
    for (const wchar_t *name : kFromHost)
        EXPECT_EQ(text(name), L"9.25");
    EXPECT_EQ(text(L"ZoririDocName"), L"doc");
    EXPECT_EQ(text(L"ZoririViewName"), L"view");
    // The host's own variables are as they were, the string not even replaced.
    EXPECT_EQ(in.str, passed);
    EXPECT_EQ(in.mcx, 10);
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kGetActiveZoririTitle, kGetRestGCIN}));
}

TEST_F(Control, CursorInputEndTakesTitlesAndTheRestOfTheInputFromTheHost) {
    sink->handler = [](DISPID id, std::vector<VARIANTARG *> &args) {
        if (id == kGetActiveZoririTitle) {
            SysFreeString(*args[0]->pbstrVal);
            *args[0]->pbstrVal = SysAllocString(L"D:\\図面\\A.QVZ");
            SysFreeString(*args[1]->pbstrVal);
            *args[1]->pbstrVal = SysAllocString(L"A.QVZ:1");
            *args[2]->piVal = 1;
        } else if (id == kGetRestGCIN) {
            for (std::size_t i = 0; i < args.size(); ++i)
                *args[i]->pdblVal = 100 + static_cast<double>(i);
        }
        return S_OK;
    };
    CursorInput in;
    ASSERT_EQ(call(control.get(), kGCINEnd, in.args()).hr, S_OK);
    EXPECT_EQ(text(L"ZoririDocName"), L"D:\\図面\\A.QVZ");
    EXPECT_EQ(text(L"ZoririViewName"), L"A.QVZ:1");
    for (std::size_t i = 0; i < std::size(kFromHost); ++i)
        EXPECT_EQ(text(kFromHost[i]), std::to_wstring(100 + i)) << kFromHost[i];
    // What the host sent back in result is kept nowhere.
    for (const auto &p : events::kProperties) {
        if (p.vt == VT_I2 || p.vt == VT_BOOL) {
            EXPECT_EQ(get(control.get(), p.dispid).text, L"0") << p.name;
        }
    }
    // The titles went out as the properties held them.
    ASSERT_EQ(sink->heard.size(), 2u);
    EXPECT_EQ(sink->heard[0].types,
              (std::vector<VARTYPE>{VT_BYREF | VT_BSTR, VT_BYREF | VT_BSTR, VT_BYREF | VT_I2}));
}

TEST_F(Control, DragUpdatesTheSameArgumentsButNothingFromTheHost) {
    for (const wchar_t *name : kFromHost)
        set(name, -1);
    set(L"ZoririDocName", L"doc");
    CursorInput in;
    ASSERT_EQ(call(control.get(), kTransDrag, in.args()).hr, S_OK);
    EXPECT_EQ(text(L"key"), L"27");
    EXPECT_EQ(text(L"str"), L"入力");
    for (const wchar_t *name : kFromHost)
        EXPECT_EQ(text(name), L"-1");
    EXPECT_EQ(text(L"ZoririDocName"), L"doc");
    EXPECT_TRUE(sink->heard.empty());
}

struct FromDrawing {
    LONG psw;
    LONG m[6] = {1, 2, 3, 4, 5, 6};
    double g[6] = {0.5, 1.5, 2.5, 3.5, 4.5, 5.5};
    std::vector<VARIANTARG> args() {
        std::vector<VARIANTARG> a{ref(psw)};
        for (LONG &v : m)
            a.push_back(ref(v));
        for (double &v : g)
            a.push_back(ref(v));
        return a;
    }
};

TEST_F(Control, FromDrawingEndTakesA16BitSwitchAndOverflowsPastIt) {
    for (LONG good : {32767, -32768}) {
        FromDrawing fd{good};
        EXPECT_EQ(call(control.get(), kFromDrawingEnd, fd.args()).hr, S_OK) << good;
    }
    FromDrawing fd{32768};
    fd.m[5] = 66;
    fd.g[5] = 6.25;
    const Outcome o = call(control.get(), kFromDrawingEnd, fd.args());
    EXPECT_EQ(o.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(o.scode, static_cast<SCODE>(0x800A0006));
    EXPECT_EQ(o.error, L"Overflow");
    EXPECT_EQ(o.result_type, VT_EMPTY);
    // The points were taken before the switch failed; the host's switch stays.
    EXPECT_EQ(text(L"FDmcy2"), L"66");
    EXPECT_EQ(text(L"FDgcy2"), L"6.25");
    EXPECT_EQ(fd.psw, 32768);

    // Without EXCEPINFO the error is the call's own result, and the thread's
    // error information tells the rest.
    FromDrawing low{-32769};
    EXPECT_EQ(call(control.get(), kFromDrawingEnd, low.args(), DISPATCH_METHOD, false).hr,
              static_cast<HRESULT>(0x800A0006));
    com_ptr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    com::unique_bstr description, source;
    info->GetDescription(description.put());
    info->GetSource(source.put());
    EXPECT_STREQ(description.get(), L"Overflow");
    EXPECT_STREQ(source.get(), L"rotamcmd");
}

TEST_F(Control, UrgentExitWithNoRunIsHarmless) {
    EXPECT_EQ(call(control.get(), kUrgentExit, {}).hr, S_OK);
    EXPECT_TRUE(sink->heard.empty());
}

// --- the connection point ---------------------------------------------------

TEST_F(Control, SinksConnectAndDisconnectAndEachHearsTheEvents) {
    auto container = control.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
    com_ptr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.put()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(com::DIID___ZynOptCmd120, point.put()), S_OK);
    IID iid{};
    point->GetConnectionInterface(&iid);
    EXPECT_EQ(iid, com::DIID___ZynOptCmd120);

    com_ptr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
    IConnectionPoint *listed[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(listed[0], point.get());
    listed[0]->Release();

    auto second = Sink::make();
    const DWORD cookie = advise(control.get(), second.get());
    ASSERT_NE(cookie, 0u);
    EXPECT_GT(second->refs, 1u);
    com_ptr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(connections.put()), S_OK);
    CONNECTDATA data[3] = {};
    EXPECT_EQ(connections->Next(3, data, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    for (ULONG i = 0; i < fetched; ++i)
        data[i].pUnk->Release();
    connections.reset();

    CursorInput in;
    call(control.get(), kGCINEnd, in.args());
    EXPECT_EQ(sink->heard.size(), 2u);
    EXPECT_EQ(second->heard.size(), 2u);

    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(second->refs, 1u);
    call(control.get(), kGCINEnd, in.args());
    EXPECT_EQ(sink->heard.size(), 4u);
    EXPECT_EQ(second->heard.size(), 2u);

    // Something that speaks no dispatch interface cannot connect.
    DWORD none = 1;
    EXPECT_EQ(point->Advise(points.get(), &none), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(none, 0u);
}

TEST_F(Control, ASinkMayDisconnectItselfWhileHearingAnEvent) {
    auto leaving = Sink::make();
    const DWORD cookie = advise(control.get(), leaving.get());
    IDispatch *raw = control.get();
    leaving->handler = [&](DISPID, std::vector<VARIANTARG *> &) {
        EXPECT_EQ(unadvise(raw, cookie), S_OK);
        return S_OK;
    };
    CursorInput in;
    EXPECT_EQ(call(control.get(), kGCINEnd, in.args()).hr, S_OK);
    // It heard the raise it left during, and no other.
    EXPECT_EQ(leaving->dispids(), std::vector<DISPID>{kGetActiveZoririTitle});
    EXPECT_EQ(sink->heard.size(), 2u);
}

// --- whole runs with the dialog ---------------------------------------------

class Run : public Control {
protected:
    void close_dialog_after(UINT ms, UINT message = WM_SYSCOMMAND) {
        later_ = std::make_unique<Later>(ms, [this, message] {
            HWND dialog = find_dialog();
            saw_dialog_ = dialog != nullptr;
            if (message == WM_SYSCOMMAND)
                PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        });
    }
    std::unique_ptr<Later> later_;
    bool saw_dialog_ = false;
};

TEST_F(Run, ClosingTheDialogEndsTheRunAndReleasingSaysSoAgain) {
    sink->handler = [](DISPID id, std::vector<VARIANTARG *> &args) {
        if (id == kGetZynVersion) {
            EXPECT_EQ(args[0]->vt, VT_BYREF | VT_BSTR);
            SysFreeString(*args[0]->pbstrVal);
            *args[0]->pbstrVal = SysAllocString(L"2, 0, 3, 4");
        }
        return S_OK;
    };
    close_dialog_after(200);
    const Outcome o = call(control.get(), kInitCommand, {});
    EXPECT_TRUE(saw_dialog_);
    EXPECT_EQ(o.hr, S_OK);
    EXPECT_EQ(o.result_type, VT_EMPTY);
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kGetZynVersion, kExitCommand}));
    EXPECT_EQ(find_dialog(), nullptr);
    control.reset();
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kGetZynVersion, kExitCommand, kExitCommand}));
    EXPECT_EQ(sink->refs, 1u) << "the control let go of its sink";
}

TEST_F(Run, EscapeClosesTheDialog) {
    close_dialog_after(200, WM_KEYDOWN);
    EXPECT_EQ(call(control.get(), kInitCommand, {}).hr, S_OK);
    EXPECT_TRUE(saw_dialog_);
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kGetZynVersion, kExitCommand}));
}

TEST_F(Run, TheDialogHasItsCaptionAndSizeAndNoOwner) {
    RECT client{};
    std::wstring caption;
    HWND owner = reinterpret_cast<HWND>(1);
    Later look(200, [&] {
        HWND dialog = find_dialog();
        ASSERT_NE(dialog, nullptr);
        GetClientRect(dialog, &client);
        wchar_t text[64] = {};
        GetWindowTextW(dialog, text, 64);
        caption = text;
        owner = GetWindow(dialog, GW_OWNER);
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(call(control.get(), kInitCommand, {}).hr, S_OK);
    ASSERT_TRUE(look.ran());
    EXPECT_EQ(caption, L"ロタムリスト作成 Ver1.0");
    EXPECT_EQ(owner, nullptr);
    HDC screen = GetDC(nullptr);
    const double dpi_x = GetDeviceCaps(screen, LOGPIXELSX), dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_NEAR(client.right, 7320 * dpi_x / 1440, 1.0);
    EXPECT_NEAR(client.bottom, 2955 * dpi_y / 1440, 1.0);
}

TEST_F(Run, LifecycleCallsMadeWhileTheDialogIsOpenRunNested) {
    Outcome nested;
    Later act(200, [&] {
        CursorInput in;
        nested = call(control.get(), kGCINEnd, in.args());
        PostMessageW(find_dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(call(control.get(), kInitCommand, {}).hr, S_OK);
    EXPECT_EQ(nested.hr, S_OK);
    EXPECT_EQ(text(L"key"), L"27");
    EXPECT_EQ(sink->dispids(),
              (std::vector<DISPID>{kGetZynVersion, kGetActiveZoririTitle, kGetRestGCIN, kExitCommand}));
}

// An urgent exit while the dialog is open ends the run there; the dialog
// loop then finds the run over and must neither fail nor announce it again.
TEST_F(Run, UrgentExitDuringTheDialogEndsTheRunOnce) {
    Outcome urgent;
    bool dialog_gone = false;
    Later act(200, [&] {
        urgent = call(control.get(), kUrgentExit, {});
        dialog_gone = find_dialog() == nullptr;
    });
    EXPECT_EQ(call(control.get(), kInitCommand, {}).hr, S_OK);
    EXPECT_EQ(urgent.hr, S_OK);
    EXPECT_TRUE(dialog_gone);
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kGetZynVersion, kExitCommand}));
    EXPECT_EQ(call(control.get(), kUrgentExit, {}).hr, S_OK);
    control.reset();
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kGetZynVersion, kExitCommand, kExitCommand}));
}

// A host may end the command and release the control from its handler of
// the end notice, while ZynInitCommand is still running inside the control.
TEST_F(Run, TheHostMayReleaseTheControlFromItsEndHandler) {
    IDispatch *held = control.detach();
    bool released = false;
    sink->handler = [&](DISPID id, std::vector<VARIANTARG *> &) {
        if (id == kExitCommand && !released) {
            released = true;
            held->Release();
        }
        return S_OK;
    };
    close_dialog_after(200);
    // Our own reference for the call itself, dropped right after it.
    held->AddRef();
    EXPECT_EQ(call(held, kInitCommand, {}).hr, S_OK);
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kGetZynVersion, kExitCommand}));
    held->Release();
    EXPECT_EQ(sink->dispids(), (std::vector<DISPID>{kGetZynVersion, kExitCommand, kExitCommand}));
}

// --- many controls ----------------------------------------------------------

TEST(Lifetime, AThousandControlsComeAndGoWithoutATrace) {
    OleThread ole;
    ASSERT_TRUE(dll().ok());
    auto sink = Sink::make();
    auto cycle = [&] {
        com_ptr<IDispatch> control = dll().create();
        advise(control.get(), sink.get());
    };
    for (int i = 0; i < 50; ++i)
        cycle();
    sink->heard.clear();
    sink->heard.shrink_to_fit();
    const SIZE_T before = heap_bytes_in_use();
    for (int i = 0; i < 1000; ++i)
        cycle();
    const std::size_t heard = sink->heard.size();
    sink->heard.clear();
    sink->heard.shrink_to_fit();
    const SIZE_T after = heap_bytes_in_use();
    EXPECT_EQ(heard, 1000u) << "each control says goodbye once";
    EXPECT_EQ(sink->refs, 1u);
    EXPECT_EQ(dll().can_unload_now(), S_OK);
    EXPECT_LT(after, before + 64 * 1024) << "heap grew by " << (after - before) << " bytes";
}

}  // namespace
}  // namespace rotam::test
