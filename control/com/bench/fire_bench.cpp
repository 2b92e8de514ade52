// What raising an event costs the component: the record event (ZynAddData,
// the 58 record arguments and position) fired to one sink through the
// generated firing function, beside a bare IDispatch::Invoke of the same 59
// by-reference arguments to the same sink.  Prints nanoseconds per raise and
// their ratio.  (Google Benchmark is not built for Windows; a timing loop
// does here.)
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "event_fire.h"
#include "events_generated.h"

namespace {

using rotam::com::com_ptr;

// A sink that answers at once, as a host does for an event it ignores.
class Sink final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID, void **out) override {
        *out = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT *n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *dp, VARIANT *, EXCEPINFO *, UINT *) override {
        seen += dp->cArgs;
        return S_OK;
    }
    unsigned long long seen = 0;
};

struct Host : rotam::HostEvents {
    std::vector<com_ptr<IDispatch>> sinks;
    void fire(std::int32_t dispid, rotam::EventArg *args, std::size_t count) override {
        rotam::com::fire_event(sinks, dispid, args, count);
    }
};

// The record as a command holds it between raises.
struct Record {
    std::int32_t id = 5, flag = 0, layer = 1, segment = 0, color = 7, ltype = 1, width = 1, page = 0, ndata = 1,
                 group = 0, undo = 0, dimension = 0, fillcolor = 0, fillrgb = 0, position = 0;
    double x1 = 1, y1 = 2, x2 = 3, y2 = 4, h = 3.5, t = 0, r = 0, sdeg = 0, edeg = 0, cx1 = 0, cy1 = 0, cx2 = 0,
           cy2 = 0, kaiten = 0, dbl[5] = {3.5, 3, 0, 0, 0};
    std::int16_t style = 0, genten = 1, ints[21] = {};
    std::u16string text = u"ロタム", atr01 = u"ＭＳ ゴシック";
};

template <class F>
double ns_per_op(int n, F &&f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        f();
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    return took.count() / n;
}

}  // namespace

int main(int argc, char **argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 200000;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Sink sink;
    Host host;
    host.sinks.emplace_back(&sink);
    Record rec;

    auto fire = [&] {
        Record &d = rec;
        rotam::events::ZynAddData(host, d.id, d.flag, d.layer, d.segment, d.color, d.ltype, d.width, d.page, d.ndata,
                                  d.group, d.undo, d.dimension, d.x1, d.y1, d.x2, d.y2, d.h, d.t, d.r, d.sdeg, d.edeg,
                                  d.fillcolor, d.fillrgb, d.text, d.style, d.genten, d.cx1, d.cy1, d.cx2, d.cy2,
                                  d.kaiten, d.dbl[0], d.dbl[1], d.dbl[2], d.dbl[3], d.dbl[4], d.ints[0], d.ints[1],
                                  d.ints[2], d.ints[3], d.ints[4], d.ints[5], d.ints[6], d.ints[7], d.ints[8],
                                  d.ints[9], d.ints[10], d.ints[11], d.ints[12], d.ints[13], d.ints[14], d.ints[15],
                                  d.ints[16], d.ints[17], d.ints[18], d.ints[19], d.ints[20], d.atr01, d.position);
    };

    // The same 59 by-reference arguments, prepared once, for the bare call.
    LONG longs[15] = {};
    double doubles[19] = {};
    SHORT shorts[23] = {};
    BSTR text = SysAllocString(L"ロタム"), atr = SysAllocString(L"ＭＳ ゴシック");
    std::vector<VARIANTARG> va;
    auto add = [&](VARTYPE vt, void *p) {
        VARIANTARG v;
        v.vt = VT_BYREF | vt;
        v.byref = p;
        va.push_back(v);
    };
    int l = 0, d = 0, s = 0;
    for (int i = 0; i < 12; ++i)
        add(VT_I4, &longs[l++]);
    for (int i = 0; i < 9; ++i)
        add(VT_R8, &doubles[d++]);
    add(VT_I4, &longs[l++]);
    add(VT_I4, &longs[l++]);
    add(VT_BSTR, &text);
    add(VT_I2, &shorts[s++]);
    add(VT_I2, &shorts[s++]);
    for (int i = 0; i < 10; ++i)
        add(VT_R8, &doubles[d++]);
    for (int i = 0; i < 21; ++i)
        add(VT_I2, &shorts[s++]);
    add(VT_BSTR, &atr);
    add(VT_I4, &longs[l++]);
    std::vector<VARIANTARG> reversed(va.rbegin(), va.rend());
    DISPPARAMS dp{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    auto bare = [&] {
        EXCEPINFO excep{};
        UINT arg_error = 0;
        VARIANT result;
        VariantInit(&result);
        sink.Invoke(rotam::events::dispid::ZynAddData, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, &result,
                    &excep, &arg_error);
    };

    // A by-reference string must be the callee's to replace, so any raiser
    // makes fresh strings for each raise: the bare call plus that much.
    auto bare_with_strings = [&] {
        text = SysAllocString(L"ロタム");
        atr = SysAllocString(L"ＭＳ ゴシック");
        bare();
        SysFreeString(text);
        SysFreeString(atr);
    };

    // Warm up, then take the best of three rounds of each.
    ns_per_op(n / 10, fire);
    ns_per_op(n / 10, bare);
    double fired = 1e300, invoked = 1e300, with_strings = 1e300;
    for (int round = 0; round < 3; ++round) {
        fired = std::min(fired, ns_per_op(n, fire));
        invoked = std::min(invoked, ns_per_op(n, bare));
        with_strings = std::min(with_strings, ns_per_op(n, bare_with_strings));
    }
    text = SysAllocString(L"");
    atr = SysAllocString(L"");
    std::printf("arguments per raise:                    %zu\n", va.size());
    std::printf("raise through the component:            %.1f ns\n", fired);
    std::printf("bare IDispatch::Invoke:                 %.1f ns  (ratio %.1f)\n", invoked, fired / invoked);
    std::printf("bare Invoke with its two fresh strings: %.1f ns  (ratio %.2f)\n", with_strings,
                fired / with_strings);
    SysFreeString(text);
    SysFreeString(atr);
    CoUninitialize();
    return sink.seen == 0;
}
