#include "control_object.h"

#include <ocidl.h>

#include <cstring>
#include <new>
#include <variant>
#include <vector>

#include "connection_point.h"
#include "control.h"
#include "dispatch_args.h"
#include "dispatch_base.h"
#include "event_fire.h"
#include "events_table.h"
#include "guids.h"
#include "module.h"

namespace rotam::com {
namespace {

// The input-state properties in DISPID order, as members of InputState.
using PropertyRef = std::variant<Long InputState::*, Double InputState::*, String InputState::*,
                                 Flag InputState::*>;
const PropertyRef kPropertyRefs[] = {
#define ROTAM_PROPERTY(name, Type) PropertyRef{&InputState::name},
#include "properties.inc"
#undef ROTAM_PROPERTY
};
static_assert(std::size(kPropertyRefs) == events::kProperties.size());

constexpr DISPID kPropertyCount = static_cast<DISPID>(events::kProperties.size());
constexpr DISPID kMethodCount = static_cast<DISPID>(events::kMethods.size());

class ControlObject final : public TypeLibDispatch<DIID__ZynOptCmd120>,
                            public IProvideClassInfo2,
                            public IConnectionPointContainer,
                            private ControlOwner,
                            private HostEvents {
public:
    ControlObject() : point_(*this, DIID___ZynOptCmd120), core_(*this) { object_created(); }
    ~ControlObject() { object_destroyed(); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        IUnknown *found = dispatch_interface(riid);
        if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
            found = static_cast<IProvideClassInfo2 *>(this);
        else if (riid == IID_IConnectionPointContainer)
            found = static_cast<IConnectionPointContainer *>(this);
        return answer_query(found, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    // The last release tears the control down while the sinks are still
    // connected, so that the host hears ZynExitCommand once more.  The count
    // is held at one meanwhile: a handler that takes and drops a reference
    // must not start a second teardown.
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG r = --refs_;
        if (r == 0) {
            refs_ = 1;
            core_.teardown();
            point_.disconnect_all();
            delete this;
        }
        return r;
    }

    // IDispatch
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS *params,
                        VARIANT *result, EXCEPINFO *excep, UINT *arg_error) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo **out) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
        return type_info(CLSID_ZynOptCmd120, out);
    }
    STDMETHODIMP GetGUID(DWORD kind, GUID *guid) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, guid);
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
            return E_INVALIDARG;
        *guid = DIID___ZynOptCmd120;
        return S_OK;
    }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **out) override {
        IConnectionPoint *points[] = {&point_};
        return make_connection_point_enum(points, out);
    }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **out) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
        *out = nullptr;
        if (riid != DIID___ZynOptCmd120)
            return CONNECT_E_NOCONNECTION;
        *out = &point_;
        point_.AddRef();
        return S_OK;
    }

private:
    // ControlOwner
    HostEvents &host() override { return *this; }
    void add_ref() override { AddRef(); }
    void release() override { Release(); }

    // HostEvents: the sinks connected when the raise starts hear it.
    void fire(std::int32_t dispid, EventArg *args, std::size_t count) override {
        const std::shared_ptr<const ConnectionPoint::Sinks> sinks = point_.sinks();
        fire_event(*sinks, dispid, args, count);
    }

    HRESULT property(DISPID index, WORD flags, const DISPPARAMS &params, VARIANT *result,
                     UINT *arg_error);
    HRESULT method(DISPID index, const DISPPARAMS &params, VARIANT *result, EXCEPINFO *excep,
                   UINT *arg_error);
    void call(DISPID index, std::vector<BoundArg> &a);

    ULONG refs_ = 1;
    ConnectionPoint point_;
    Control core_;
};

STDMETHODIMP ControlObject::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags,
                                   DISPPARAMS *params, VARIANT *result, EXCEPINFO *excep,
                                   UINT *arg_error) {
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ROTAM_RETURN_HR_IF_NULL(E_INVALIDARG, params);
    if (result)
        VariantInit(result);
    // A handler may drop the host's reference while a call is still inside
    // the control (the end of a run is announced from within ZynInitCommand).
    com_ptr<IDispatch> keep_alive(this);
    const DISPID property_index = dispid - events::kPropertyBase;
    if (dispid >= events::kPropertyBase && property_index < kPropertyCount)
        return property(property_index, flags, *params, result, arg_error);
    const DISPID method_index = dispid - events::kMethodBase;
    if (dispid >= events::kMethodBase && method_index < kMethodCount) {
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)))
            return DISP_E_MEMBERNOTFOUND;
        return method(method_index, *params, result, excep, arg_error);
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT ControlObject::property(DISPID index, WORD flags, const DISPPARAMS &params,
                                VARIANT *result, UINT *arg_error) {
    InputState &state = core_.state();
    const PropertyRef &ref = kPropertyRefs[index];
    const VARTYPE vt = events::kProperties[index].vt;
    if (flags & DISPATCH_PROPERTYPUT) {
        if (!is_property_put(params))
            return DISP_E_BADPARAMCOUNT;
        // A script's variable arrives as a reference to a VARIANT.
        unique_variant given, value;
        HRESULT hr = VariantCopyInd(&given, &params.rgvarg[0]);
        if (SUCCEEDED(hr))
            hr = VariantChangeType(&value, &given, 0, vt);
        if (FAILED(hr)) {
            if (arg_error)
                *arg_error = 0;
            return hr;
        }
        try {
            std::visit([&](auto member) { property_from_variant(value, state.*member); }, ref);
        } catch (const std::bad_alloc &) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)))
        return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    if (!result)
        return S_OK;
    return std::visit([&](auto member) { return property_to_variant(state.*member, vt, result); },
                      ref);
}

HRESULT ControlObject::method(DISPID index, const DISPPARAMS &params, VARIANT *result,
                              EXCEPINFO *excep, UINT *arg_error) {
    std::vector<BoundArg> args;
    try {
        ROTAM_RETURN_IF_FAILED(
            bind_arguments(events::kMethods[index].params, params, args, arg_error));
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = S_OK;
    try {
        call(index, args);
    } catch (const RuntimeError &e) {
        hr = report_error(e.number(), e.what(), DIID__ZynOptCmd120, excep);
    } catch (const std::bad_alloc &) {
        hr = report_error(7, "Out of memory", DIID__ZynOptCmd120, excep);
    } catch (...) {
        hr = report_error(51, "Internal error", DIID__ZynOptCmd120, excep);
    }
    // Like a by-reference argument in the method's own language: what the
    // method changed reaches the caller even when it then failed.
    for (BoundArg &a : args)
        a.write_back();
    if (result)
        VariantInit(result);
    return hr;
}

// In the order of methods.txt.
void ControlObject::call(DISPID index, std::vector<BoundArg> &a) {
    switch (index) {
    case 0:
        core_.ZynInitCommand();
        break;
    case 1:
        core_.ZynSelectEnd(a[0].i2(), a[1].i4());
        break;
    case 2:
    case 3: {
        auto input = index == 2 ? &Control::ZynGCINEnd : &Control::ZynTransDrag;
        (core_.*input)(a[0].i4(), a[1].i4(), a[2].i4(), a[3].i4(), a[4].r8(), a[5].r8(),
                       a[6].r8(), a[7].r8(), a[8].r8(), a[9].r8(), a[10].r8(), a[11].r8(),
                       a[12].i4(), a[13].i4(), a[14].i4(), a[15].i4(), a[16].str());
        break;
    }
    case 4:
        core_.ZynEscape();
        break;
    case 5:
        core_.ZynFromDrawingEnd(a[0].i4(), a[1].i4(), a[2].i4(), a[3].i4(), a[4].i4(), a[5].i4(),
                                a[6].i4(), a[7].r8(), a[8].r8(), a[9].r8(), a[10].r8(),
                                a[11].r8(), a[12].r8());
        break;
    case 6:
        core_.ZynUrgentExit();
        break;
    case 17:
        core_.ZynOnMouseWheel(a[0].i4(), a[1].i2(), a[2].i4(), a[3].i4(), a[4].i4());
        break;
    case 23:
        core_.ZynRestartCommand(a[0].i4());
        break;
    default:
        if (index >= 7 && index <= 16)
            core_.ZynOnMouse(a[0].i4(), a[1].i4(), a[2].i4(), a[3].i4());
        else if (index >= 18 && index <= 22)
            core_.ZynOnKey(a[0].i4(), a[1].i4(), a[2].i4(), a[3].i4());
        else
            throw RuntimeError(51, "Internal error");
        break;
    }
}

}  // namespace

HRESULT create_control(REFIID riid, void **out) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
    *out = nullptr;
    auto *control = new (std::nothrow) ControlObject;
    ROTAM_RETURN_HR_IF_NULL(E_OUTOFMEMORY, control);
    const HRESULT hr = control->QueryInterface(riid, out);
    control->Release();
    return hr;
}

}  // namespace rotam::com
