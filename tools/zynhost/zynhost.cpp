// zynhost: a reference host for option command controls.
//
// It does what the CAD host does for one run of the command: creates the
// control by its program identifier (registering rotamcmd.dll for the
// current user first when the identifier is unknown), connects a sink to the
// control's event interface, calls ZynInitCommand and releases the control.
// The sink answers events from an answers file when it is given one and
// ZynGetZynVersion with the version given on the command line otherwise, and
// writes every event it receives as one line of JSON, with the arguments as
// they are after the handler ran and whether the host answered.  Scheduled
// actions let a test or a developer close the dialog, press Escape or make
// nested lifecycle calls while the command runs.
//
//   zynhost [options]
//     --version TEXT      answer of ZynGetZynVersion (default "2, 0, 3, 4")
//     --progid ID         the control to create (default rotamcmd.ZynOptCmd120)
//     --dll PATH          the component to register when the identifier is
//                         unknown (default: rotamcmd.dll beside zynhost.exe)
//     --sinks N           connect N sinks (default 1); each logs what it hears
//     --no-init           create, connect and release without a run
//     --before ACTION     do ACTION before ZynInitCommand
//     --after MS:ACTION   do ACTION MS milliseconds into the run
//     --then ACTION       do ACTION after ZynInitCommand has returned
//     --on-exit ACTION    do ACTION inside the first ZynExitCommand that
//                         sink 1 hears (repeatable, done in order)
//     --timeout MS        give up (exit code 3) when still running after MS
//     --log PATH          write the log there instead of standard output
//     --answers FILE      answer events from FILE, a JSON object: per event
//                         name, the values written into its by-reference
//                         arguments, by parameter name
//                           {"ZynGetLayerName": [{"name": "WALL", "result": 1},
//                                                {"name": "DOOR"}],
//                            "ZynGetBackColor": {"m_BackColor": 255}}
//                         an object answers every call, a list one call per
//                         entry (used up, the event goes unanswered); numbers
//                         for number parameters, strings for text ones;
//                         arguments not named keep their values; each sink
//                         keeps its own place in the lists.  Unanswered
//                         events log "answered":false; ZynGetZynVersion falls
//                         back to --version.  A bad file is an error naming
//                         its line and column (exit code 1).
//   ACTION is one of
//     close               the dialog's close box
//     escape              the Escape key in the dialog
//     shot:PATH           a picture of the screen as a BMP file
//     call:METHOD[:V,...] a lifecycle method, arguments by reference in
//                         order (missing ones are 0 or empty)
//     get:PROPERTY        read a property
//     put:PROPERTY:VALUE  write a property
//     unadvise            disconnect every sink
//     second:MS           create a second control of the same class, connect
//                         one sink to it (numbered after the others), run its
//                         ZynInitCommand with its dialog's close box clicked
//                         MS milliseconds into the run, and release it
//
// Exit code 0 when the run went through, 2 when the control could not be
// created, 3 on timeout, 1 on a bad command line or answers file.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "answers.h"
#include "com_util.h"

namespace {

// --- output -------------------------------------------------------------

HANDLE g_log = nullptr;

std::string utf8(const wchar_t *s, std::size_t n) {
    if (n == 0)
        return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, s, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s, static_cast<int>(n), out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string utf8(const std::wstring &s) { return utf8(s.data(), s.size()); }

std::string json_string(const std::string &s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string json_bstr(BSTR b) { return json_string(b ? utf8(b, SysStringLen(b)) : std::string()); }

std::string hex(HRESULT hr) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr));
    return buf;
}

void log_line(const std::string &line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(g_log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// A VARIANT argument as JSON, through its reference when it has one.
std::string json_value(const VARIANT &v) {
    const VARIANT *p = &v;
    if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal)
        p = v.pvarVal;
    char buf[40];
    switch (p->vt) {
    case VT_I2:
        return std::to_string(p->iVal);
    case VT_BYREF | VT_I2:
        return std::to_string(*p->piVal);
    case VT_I4:
        return std::to_string(p->lVal);
    case VT_BYREF | VT_I4:
        return std::to_string(*p->plVal);
    case VT_BOOL:
        return std::to_string(p->boolVal);
    case VT_R8:
    case VT_BYREF | VT_R8:
        std::snprintf(buf, sizeof buf, "%.17g", p->vt == VT_R8 ? p->dblVal : *p->pdblVal);
        return buf;
    case VT_BSTR:
        return json_bstr(p->bstrVal);
    case VT_BYREF | VT_BSTR:
        return json_bstr(*p->pbstrVal);
    case VT_EMPTY:
        return "null";
    default:
        std::snprintf(buf, sizeof buf, "\"vt:%u\"", p->vt);
        return buf;
    }
}

// --- the control's interfaces as its type information describes them ----

struct Member {
    std::wstring name;
    std::vector<std::wstring> params;
    std::vector<VARTYPE> types;  // by-reference types without VT_BYREF
    std::vector<bool> by_reference;
};

std::map<DISPID, Member> describe(ITypeInfo *info, INVOKEKIND kind) {
    std::map<DISPID, Member> members;
    TYPEATTR *attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr)))
        return members;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC *f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f)))
            continue;
        if (f->invkind == kind) {
            std::vector<BSTR> names(static_cast<std::size_t>(f->cParams) + 1);
            UINT got = 0;
            info->GetNames(f->memid, names.data(), static_cast<UINT>(names.size()), &got);
            Member m;
            for (UINT n = 0; n < got; ++n) {
                std::wstring s = names[n] ? std::wstring(names[n], SysStringLen(names[n])) : L"";
                if (n == 0)
                    m.name = s;
                else
                    m.params.push_back(s);
                SysFreeString(names[n]);
            }
            for (SHORT p = 0; p < f->cParams; ++p) {
                const TYPEDESC &t = f->lprgelemdescParam[p].tdesc;
                m.types.push_back(t.vt == VT_PTR ? t.lptdesc->vt : t.vt);
                m.by_reference.push_back(t.vt == VT_PTR);
            }
            m.params.resize(m.types.size());
            members[f->memid] = std::move(m);
        }
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    return members;
}

std::string json_args(const Member *m, const DISPPARAMS &dp) {
    std::string out = "{";
    for (UINT i = 0; i < dp.cArgs; ++i) {
        const VARIANT &v = dp.rgvarg[dp.cArgs - 1 - i];
        std::string name = m && i < m->params.size() ? utf8(m->params[i]) : "arg" + std::to_string(i);
        if (i)
            out += ",";
        out += json_string(name) + ":" + json_value(v);
    }
    return out + "}";
}

// --- answers ---------------------------------------------------------------

std::wstring g_version = L"2, 0, 3, 4";
zynhost::Answers g_answers;
std::map<DISPID, std::size_t> g_answer_index;  // event -> index given to bind

BSTR bstr_of(const std::string &s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (b && n)
        MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), b, n);
    return b;
}

// One value into the argument it answers, through whatever reference the
// control passed; an argument of another type than declared is left alone.
void write_answer(VARIANTARG &arg, const zynhost::AnswerValue &v) {
    VARIANT *inner = arg.vt == (VT_BYREF | VT_VARIANT) ? arg.pvarVal : nullptr;
    const VARTYPE vt = inner ? v.vt : static_cast<VARTYPE>(arg.vt & ~VT_BYREF);
    if (!(arg.vt & VT_BYREF) || vt != v.vt || (!inner && !arg.byref))
        return;
    if (inner) {
        VariantClear(inner);
        inner->vt = vt;
    }
    switch (vt) {
    case VT_I2:
        *(inner ? &inner->iVal : arg.piVal) = static_cast<SHORT>(v.integer);
        break;
    case VT_I4:
        *(inner ? &inner->lVal : arg.plVal) = static_cast<LONG>(v.integer);
        break;
    case VT_BOOL:
        *(inner ? &inner->boolVal : arg.pboolVal) = v.integer ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case VT_R8:
        *(inner ? &inner->dblVal : arg.pdblVal) = v.real;
        break;
    case VT_BSTR:
        if (!inner)
            SysFreeString(*arg.pbstrVal);
        *(inner ? &inner->bstrVal : arg.pbstrVal) = bstr_of(v.text);
        break;
    default:
        break;
    }
}

// The events the control fires, as the answers file is checked against.
bool bind_answers(const std::map<DISPID, Member> &events, std::string &error) {
    std::vector<zynhost::EventShape> shapes;
    for (const auto &[dispid, m] : events) {
        zynhost::EventShape shape{utf8(m.name), {}};
        for (std::size_t i = 0; i < m.types.size(); ++i)
            shape.params.push_back({utf8(m.params[i]), m.types[i], m.by_reference[i]});
        g_answer_index[dispid] = shapes.size();
        shapes.push_back(std::move(shape));
    }
    return g_answers.bind(shapes, error);
}

// --- the sink --------------------------------------------------------------

std::vector<std::wstring> g_on_exit;
void act(const std::wstring &action);

class Sink final : public rotam::com::RefCounted<Sink, IDispatch> {
public:
    Sink(int index, const IID &events, const std::map<DISPID, Member> &catalogue)
        : index_(index), events_(events), catalogue_(catalogue) {}

    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        const bool known = riid == IID_IUnknown || riid == IID_IDispatch || riid == events_;
        return rotam::com::answer_query(known ? this : nullptr, out);
    }
    STDMETHODIMP GetTypeInfoCount(UINT *count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS *dp, VARIANT *, EXCEPINFO *,
                        UINT *) override {
        auto it = catalogue_.find(dispid);
        const Member *m = it == catalogue_.end() ? nullptr : &it->second;
        const auto index = g_answer_index.find(dispid);
        const zynhost::Answer *answer =
            index == g_answer_index.end() ? nullptr : g_answers.next(index->second, cursor_);
        if (answer) {
            for (const zynhost::AnswerValue &v : *answer)
                if (v.param < dp->cArgs)
                    write_answer(dp->rgvarg[dp->cArgs - 1 - v.param], v);
        } else if (m && m->name == L"ZynGetZynVersion" && dp->cArgs == 1 &&
                   dp->rgvarg[0].vt == (VT_BYREF | VT_BSTR)) {
            SysFreeString(*dp->rgvarg[0].pbstrVal);
            *dp->rgvarg[0].pbstrVal = SysAllocStringLen(g_version.data(), static_cast<UINT>(g_version.size()));
            answer = &kDefault;
        }
        log_line("{\"sink\":" + std::to_string(index_) + ",\"dispid\":" + std::to_string(dispid) +
                 ",\"event\":" + json_string(m ? utf8(m->name) : "?") +
                 ",\"args\":" + json_args(m, *dp) + ",\"answered\":" + (answer ? "true" : "false") + "}");
        if (index_ == 1 && m && m->name == L"ZynExitCommand" && !g_on_exit.empty()) {
            const std::vector<std::wstring> actions = std::move(g_on_exit);
            g_on_exit.clear();
            for (const std::wstring &a : actions)
                act(a);
        }
        return S_OK;
    }

private:
    static inline const zynhost::Answer kDefault{};
    int index_;
    IID events_;
    const std::map<DISPID, Member> &catalogue_;
    std::map<std::size_t, std::size_t> cursor_;  // this sink's place in the answer lists
};

// --- actions ---------------------------------------------------------------

IDispatch *g_control = nullptr;
std::map<DISPID, Member> g_methods;
std::map<DISPID, Member> g_events;  // outlives every sink
IID g_events_iid = IID_NULL;
IConnectionPoint *g_point = nullptr;
std::vector<DWORD> g_cookies;
int g_sinks = 0;
const wchar_t kDialogCaption[] = L"ロタムリスト作成 Ver1.0";

HWND find_dialog() {
    struct Search {
        static BOOL CALLBACK each(HWND w, LPARAM p) {
            wchar_t text[64] = {};
            GetWindowTextW(w, text, 64);
            if (std::wcscmp(text, kDialogCaption) == 0 && IsWindowVisible(w)) {
                *reinterpret_cast<HWND *>(p) = w;
                return FALSE;
            }
            return TRUE;
        }
    };
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &Search::each, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<std::wstring> split(const std::wstring &s, wchar_t sep, std::size_t max_parts = 0) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = s.find(sep, start);
        if (at == std::wstring::npos || (max_parts && parts.size() + 1 == max_parts)) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, at - start));
        start = at + 1;
    }
}

void call_method(const std::wstring &name, const std::wstring &values, IDispatch *target = g_control) {
    const Member *m = nullptr;
    DISPID id = 0;
    for (const auto &[d, member] : g_methods)
        if (_wcsicmp(member.name.c_str(), name.c_str()) == 0) {
            m = &member;
            id = d;
        }
    if (!m) {
        log_line("{\"host\":\"call\",\"method\":" + json_string(utf8(name)) + ",\"error\":\"no such method\"}");
        return;
    }
    const std::vector<std::wstring> given = values.empty() ? std::vector<std::wstring>{} : split(values, L',');
    const std::size_t n = m->types.size();
    std::vector<SHORT> i2(n);
    std::vector<LONG> i4(n);
    std::vector<double> r8(n);
    std::vector<BSTR> bstr(n);
    std::vector<VARIANTARG> va(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::wstring text = i < given.size() ? given[i] : L"";
        VARIANTARG &v = va[n - 1 - i];
        switch (m->types[i]) {
        case VT_I2:
            i2[i] = static_cast<SHORT>(_wtoi(text.c_str()));
            v.vt = VT_BYREF | VT_I2;
            v.piVal = &i2[i];
            break;
        case VT_R8:
            r8[i] = _wtof(text.c_str());
            v.vt = VT_BYREF | VT_R8;
            v.pdblVal = &r8[i];
            break;
        case VT_BSTR:
            bstr[i] = SysAllocString(text.c_str());
            v.vt = VT_BYREF | VT_BSTR;
            v.pbstrVal = &bstr[i];
            break;
        default:
            i4[i] = static_cast<LONG>(_wtoi64(text.c_str()));
            v.vt = VT_BYREF | VT_I4;
            v.plVal = &i4[i];
            break;
        }
    }
    DISPPARAMS dp{va.data(), nullptr, static_cast<UINT>(n), 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    UINT arg_error = 0;
    const HRESULT hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp,
                                      &result, &excep, &arg_error);
    std::string line = "{\"host\":\"call\",\"method\":" + json_string(utf8(m->name)) + ",\"hr\":" +
                       json_string(hex(hr));
    if (hr == DISP_E_EXCEPTION)
        line += ",\"scode\":" + json_string(hex(excep.scode)) +
                ",\"error\":" + json_bstr(excep.bstrDescription);
    line += ",\"result\":" + json_value(result) + ",\"args\":" + json_args(m, dp) + "}";
    log_line(line);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    VariantClear(&result);
    for (BSTR b : bstr)
        SysFreeString(b);
}

void property(const std::wstring &name, const std::wstring *value) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    HRESULT hr = g_control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    VARIANT result;
    VariantInit(&result);
    if (SUCCEEDED(hr)) {
        VARIANTARG arg;
        VariantInit(&arg);
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS dp{nullptr, nullptr, 0, 0};
        if (value) {
            arg.vt = VT_BSTR;
            arg.bstrVal = SysAllocString(value->c_str());
            dp = DISPPARAMS{&arg, &put, 1, 1};
        }
        hr = g_control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                               value ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYGET, &dp,
                               value ? nullptr : &result, nullptr, nullptr);
        VariantClear(&arg);
    }
    log_line(std::string("{\"host\":") + (value ? "\"put\"" : "\"get\"") +
             ",\"property\":" + json_string(utf8(name)) + ",\"hr\":" + json_string(hex(hr)) +
             ",\"value\":" + json_value(result) + "}");
    VariantClear(&result);
}

bool save_screen(const std::wstring &path) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
        const DWORD size = stride * static_cast<DWORD>(h);
        BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                            static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader)};
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD n = 0;
            ok = WriteFile(file, &fh, sizeof fh, &n, nullptr) &&
                 WriteFile(file, &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr) &&
                 WriteFile(file, bits, size, &n, nullptr);
            CloseHandle(file);
        }
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

void unadvise_all() {
    for (DWORD cookie : g_cookies)
        if (g_point)
            g_point->Unadvise(cookie);
    log_line("{\"host\":\"unadvise\",\"sinks\":" + std::to_string(g_cookies.size()) + "}");
    g_cookies.clear();
}

HRESULT create_another(IDispatch **out);
std::map<UINT_PTR, std::wstring> g_timed;
void CALLBACK on_timer(HWND, UINT, UINT_PTR id, DWORD);

void second_run(UINT ms) {
    IDispatch *control = nullptr;
    HRESULT hr = create_another(&control);
    const int index = ++g_sinks;
    if (SUCCEEDED(hr)) {
        IConnectionPointContainer *container = nullptr;
        IConnectionPoint *point = nullptr;
        hr = control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&container));
        if (SUCCEEDED(hr)) {
            hr = container->FindConnectionPoint(g_events_iid, &point);
            container->Release();
        }
        if (SUCCEEDED(hr)) {
            auto *sink = new Sink(index, g_events_iid, g_events);
            DWORD cookie = 0;
            hr = point->Advise(sink, &cookie);
            sink->Release();
            point->Release();
        }
    }
    log_line("{\"host\":\"second\",\"sink\":" + std::to_string(index) + ",\"hr\":" + json_string(hex(hr)) + "}");
    if (!control)
        return;
    if (SUCCEEDED(hr)) {
        g_timed[SetTimer(nullptr, 0, ms, &on_timer)] = L"close";
        call_method(L"ZynInitCommand", L"", control);
    }
    const ULONG left = control->Release();
    log_line("{\"host\":\"second\",\"release\":" + std::to_string(left) + "}");
}

void act(const std::wstring &action) {
    const std::vector<std::wstring> parts = split(action, L':', 3);
    const std::wstring &verb = parts[0];
    if (verb == L"close" || verb == L"escape") {
        HWND dialog = find_dialog();
        if (dialog && verb == L"close") {
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (dialog) {
            GUITHREADINFO gui{};
            gui.cbSize = sizeof gui;
            HWND target = GetGUIThreadInfo(GetCurrentThreadId(), &gui) && gui.hwndFocus ? gui.hwndFocus : dialog;
            PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        }
        log_line("{\"host\":" + json_string(utf8(verb)) + ",\"dialog\":" + (dialog ? "true" : "false") + "}");
    } else if (verb == L"shot" && parts.size() >= 2) {
        const std::wstring path = action.substr(5);
        const bool ok = save_screen(path);
        log_line("{\"host\":\"shot\",\"path\":" + json_string(utf8(path)) + ",\"ok\":" + (ok ? "true" : "false") + "}");
    } else if (verb == L"call" && parts.size() >= 2) {
        call_method(parts[1], parts.size() >= 3 ? parts[2] : L"");
    } else if (verb == L"get" && parts.size() == 2) {
        property(parts[1], nullptr);
    } else if (verb == L"put" && parts.size() == 3) {
        property(parts[1], &parts[2]);
    } else if (verb == L"unadvise") {
        unadvise_all();
    } else if (verb == L"second" && parts.size() == 2) {
        second_run(static_cast<UINT>(_wtoi(parts[1].c_str())));
    } else {
        log_line("{\"host\":\"action\",\"error\":\"unknown\",\"action\":" + json_string(utf8(action)) + "}");
    }
}

void CALLBACK on_timer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = g_timed.find(id);
    if (it == g_timed.end())
        return;
    // A timer procedure runs inside DispatchMessage: nothing may unwind
    // through it.
    try {
        const std::wstring action = it->second;
        g_timed.erase(it);
        act(action);
    } catch (...) {
        try {
            log_line("{\"host\":\"action\",\"error\":\"exception\"}");
        } catch (...) {
        }
    }
}

// --- registration ------------------------------------------------------------

std::wstring beside_exe(const wchar_t *file) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1) + file;
}

HRESULT register_for_user(const std::wstring &dll) {
    HMODULE module = LoadLibraryW(dll.c_str());
    if (!module)
        return HRESULT_FROM_WIN32(GetLastError());
    using Install = HRESULT(STDAPICALLTYPE *)(BOOL, LPCWSTR);
    auto install = reinterpret_cast<Install>(reinterpret_cast<void *>(GetProcAddress(module, "DllInstall")));
    const HRESULT hr = install ? install(TRUE, L"user") : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    FreeLibrary(module);
    return hr;
}

struct Options {
    std::wstring progid = L"rotamcmd.ZynOptCmd120";
    std::wstring dll;
    int sinks = 1;
    bool init = true;
    std::vector<std::wstring> before, then, on_exit;
    std::vector<std::pair<UINT, std::wstring>> after;
    DWORD timeout = 0;
    std::wstring log;
    std::wstring answers;
};

bool parse(int argc, wchar_t **argv, Options &o) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == L"--version" && has_value)
            g_version = argv[++i];
        else if (a == L"--progid" && has_value)
            o.progid = argv[++i];
        else if (a == L"--dll" && has_value)
            o.dll = argv[++i];
        else if (a == L"--sinks" && has_value)
            o.sinks = _wtoi(argv[++i]);
        else if (a == L"--no-init")
            o.init = false;
        else if (a == L"--before" && has_value)
            o.before.push_back(argv[++i]);
        else if (a == L"--then" && has_value)
            o.then.push_back(argv[++i]);
        else if (a == L"--on-exit" && has_value)
            o.on_exit.push_back(argv[++i]);
        else if (a == L"--after" && has_value) {
            const std::wstring timed = argv[++i];
            const std::size_t colon = timed.find(L':');
            if (colon == std::wstring::npos)
                return false;
            o.after.emplace_back(static_cast<UINT>(_wtoi(timed.substr(0, colon).c_str())), timed.substr(colon + 1));
        } else if (a == L"--timeout" && has_value)
            o.timeout = static_cast<DWORD>(_wtoi(argv[++i]));
        else if (a == L"--log" && has_value)
            o.log = argv[++i];
        else if (a == L"--answers" && has_value)
            o.answers = argv[++i];
        else
            return false;
    }
    return o.sinks >= 0;
}

// The answers file, read and checked for its form before anything runs; its
// names and values are checked once the control has described its events.
bool read_answers(const std::wstring &path) {
    std::string text, error;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    if (!ok) {
        error = " cannot be read";
    } else {
        LARGE_INTEGER size{};
        ok = GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(zynhost::Answers::kMaxBytes);
        if (ok) {
            text.resize(static_cast<std::size_t>(size.QuadPart));
            DWORD got = 0;
            ok = text.empty() || (ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr) &&
                                  got == text.size());
        }
        CloseHandle(file);
        if (!ok)
            error = " cannot be read, or is larger than " + std::to_string(zynhost::Answers::kMaxBytes) + " bytes";
        else if (!g_answers.parse(text, error))
            ok = false, error = ":" + error;
    }
    if (!ok)
        std::fprintf(stderr, "zynhost: %s%s\n", utf8(path).c_str(), error.c_str());
    return ok;
}

DWORD WINAPI watchdog(void *ms) {
    Sleep(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(ms)));
    log_line("{\"host\":\"timeout\"}");
    ExitProcess(3);
}

// Reads a default value from the current user's own classes.
std::wstring user_class_value(const std::wstring &key) {
    wchar_t data[1024] = {};
    DWORD bytes = sizeof data - sizeof(wchar_t);
    const std::wstring path = L"Software\\Classes\\" + key;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS)
        return {};
    return data;
}

HMODULE g_private_server = nullptr;
CLSID g_clsid = CLSID_NULL;

// A control from the server's own class factory, loaded by path.
HRESULT create_from_private_server(REFCLSID clsid, IDispatch **out) {
    using GetClassObject = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void *>(GetProcAddress(g_private_server, "DllGetClassObject")));
    if (!get)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    IClassFactory *factory = nullptr;
    HRESULT hr = get(clsid, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (SUCCEEDED(hr)) {
        hr = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void **>(out));
        factory->Release();
    }
    return hr;
}

// Another control, made the way the first one was.
HRESULT create_another(IDispatch **out) {
    *out = nullptr;
    if (g_private_server)
        return create_from_private_server(g_clsid, out);
    return CoCreateInstance(g_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void **>(out));
}

// Windows sees the user's own classes through the classes root; a system
// that does not merge them in (Wine) gets the same lookup done here: the
// identifier and the server path from the user's classes, and the server's
// class factory asked directly.
HRESULT create_from_user_classes(const std::wstring &progid, IDispatch **out) {
    const std::wstring clsid_text = user_class_value(progid + L"\\CLSID");
    CLSID clsid;
    if (clsid_text.empty() || FAILED(CLSIDFromString(clsid_text.c_str(), &clsid)))
        return REGDB_E_CLASSNOTREG;
    const std::wstring server = user_class_value(L"CLSID\\" + clsid_text + L"\\InprocServer32");
    if (server.empty())
        return REGDB_E_CLASSNOTREG;
    g_private_server = LoadLibraryW(server.c_str());
    if (!g_private_server)
        return HRESULT_FROM_WIN32(GetLastError());
    g_clsid = clsid;
    return create_from_private_server(clsid, out);
}

HRESULT create(const Options &o) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(o.progid.c_str(), &clsid);
    if (FAILED(hr) && user_class_value(o.progid + L"\\CLSID").empty()) {
        const std::wstring dll = o.dll.empty() ? beside_exe(L"rotamcmd.dll") : o.dll;
        const HRESULT registered = register_for_user(dll);
        log_line("{\"host\":\"register\",\"scope\":\"user\",\"dll\":" + json_string(utf8(dll)) +
                 ",\"hr\":" + json_string(hex(registered)) + "}");
        hr = CLSIDFromProgID(o.progid.c_str(), &clsid);
    }
    const char *via = "system";
    if (SUCCEEDED(hr))
        g_clsid = clsid;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void **>(&g_control));
    if (FAILED(hr)) {
        const HRESULT user = create_from_user_classes(o.progid, &g_control);
        if (SUCCEEDED(user) || user != REGDB_E_CLASSNOTREG) {
            hr = user;
            via = "user classes";
        }
    }
    log_line("{\"host\":\"create\",\"progid\":" + json_string(utf8(o.progid)) + ",\"via\":" +
             json_string(via) + ",\"hr\":" + json_string(hex(hr)) + "}");
    return hr;
}

int run(const Options &o) {
    HRESULT hr = create(o);
    if (FAILED(hr))
        return 2;

    // What the control fires and what it answers to, from its own type
    // information.
    std::map<DISPID, Member> &events = g_events;
    IID &events_iid = g_events_iid;
    IProvideClassInfo2 *class_info = nullptr;
    if (SUCCEEDED(g_control->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void **>(&class_info)))) {
        class_info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events_iid);
        ITypeInfo *coclass = nullptr;
        if (SUCCEEDED(class_info->GetClassInfo(&coclass))) {
            ITypeLib *lib = nullptr;
            UINT index = 0;
            ITypeInfo *source = nullptr;
            if (SUCCEEDED(coclass->GetContainingTypeLib(&lib, &index)) &&
                SUCCEEDED(lib->GetTypeInfoOfGuid(events_iid, &source))) {
                events = describe(source, INVOKE_FUNC);
                source->Release();
            }
            if (lib)
                lib->Release();
            coclass->Release();
        }
        class_info->Release();
    }
    std::string answers_error;
    if (!o.answers.empty() && !bind_answers(events, answers_error)) {
        std::fprintf(stderr, "zynhost: %s:%s\n", utf8(o.answers).c_str(), answers_error.c_str());
        g_control->Release();
        g_control = nullptr;
        return 1;
    }
    ITypeInfo *own = nullptr;
    if (SUCCEEDED(g_control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &own))) {
        g_methods = describe(own, INVOKE_FUNC);
        own->Release();
    }

    IConnectionPointContainer *container = nullptr;
    if (SUCCEEDED(g_control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&container)))) {
        container->FindConnectionPoint(events_iid, &g_point);
        container->Release();
    }
    for (int i = 1; i <= o.sinks && g_point; ++i) {
        auto *sink = new Sink(i, events_iid, events);
        DWORD cookie = 0;
        hr = g_point->Advise(sink, &cookie);
        sink->Release();
        log_line("{\"host\":\"advise\",\"sink\":" + std::to_string(i) + ",\"hr\":" + json_string(hex(hr)) + "}");
        if (SUCCEEDED(hr))
            g_cookies.push_back(cookie);
    }
    g_sinks = o.sinks;
    g_on_exit = o.on_exit;

    for (const std::wstring &a : o.before)
        act(a);
    if (o.init) {
        for (const auto &[ms, action] : o.after)
            g_timed[SetTimer(nullptr, 0, ms, &on_timer)] = action;
        call_method(L"ZynInitCommand", L"");
        for (const auto &[id, action] : g_timed)
            KillTimer(nullptr, id);
        g_timed.clear();
    }
    for (const std::wstring &a : o.then)
        act(a);

    // The sinks stay connected: the control says goodbye as it goes.
    if (g_point) {
        g_point->Release();
        g_point = nullptr;
    }
    const ULONG left = g_control->Release();
    g_control = nullptr;
    log_line("{\"host\":\"release\",\"references\":" + std::to_string(left) + "}");
    if (g_private_server) {
        using CanUnloadNow = HRESULT(STDAPICALLTYPE *)();
        auto can_unload = reinterpret_cast<CanUnloadNow>(
            reinterpret_cast<void *>(GetProcAddress(g_private_server, "DllCanUnloadNow")));
        const HRESULT unload = can_unload ? can_unload() : E_FAIL;
        log_line("{\"host\":\"unload\",\"hr\":" + json_string(hex(unload)) + "}");
        if (unload == S_OK)
            FreeLibrary(g_private_server);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs("usage: zynhost [--version TEXT] [--progid ID] [--dll PATH] [--sinks N] [--no-init]\n"
                   "               [--before ACTION] [--after MS:ACTION] [--then ACTION]\n"
                   "               [--on-exit ACTION]\n"
                   "               [--timeout MS] [--log PATH] [--answers FILE]\n",
                   stderr);
        return 1;
    }
    if (!options.answers.empty() && !read_answers(options.answers))
        return 1;
    g_log = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!options.log.empty()) {
        g_log = CreateFileW(options.log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (g_log == INVALID_HANDLE_VALUE)
            return 1;
    }
    if (options.timeout)
        CloseHandle(CreateThread(nullptr, 0, &watchdog, reinterpret_cast<void *>(static_cast<UINT_PTR>(options.timeout)), 0, nullptr));
    if (FAILED(OleInitialize(nullptr)))
        return 2;
    const int code = run(options);
    OleUninitialize();
    return code;
}
