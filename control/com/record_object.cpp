#include "record_object.h"

#include <new>
#include <type_traits>
#include <variant>

#include "events_table.h"
#include "guids.h"
#include "module.h"
#include "record.h"

namespace rotam::com {
namespace {

using FieldRef = std::variant<Long QVZ_Class::*, Integer QVZ_Class::*, Double QVZ_Class::*,
                              String QVZ_Class::*>;
const FieldRef kFields[] = {
#define ROTAM_RECORD_FIELD(name, Type) FieldRef{&QVZ_Class::name},
#include "record_fields.inc"
#undef ROTAM_RECORD_FIELD
};
static_assert(std::size(kFields) == events::kRecordFields.size());

constexpr DISPID kFieldBase = 0x40030000;

class RecordObject final : public IDispatch, public ISupportErrorInfo {
public:
    explicit RecordObject(std::shared_ptr<QVZ_Class> record) : record_(std::move(record)) {
        object_created();
    }
    ~RecordObject() { object_destroyed(); }

    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__QVZ_Class)
            *out = static_cast<IDispatch *>(this);
        else if (riid == IID_ISupportErrorInfo)
            *out = static_cast<ISupportErrorInfo *>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG r = --refs_;
        if (r == 0)
            delete this;
        return r;
    }

    STDMETHODIMP GetTypeInfoCount(UINT *count) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, count);
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo **out) override {
        ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
        *out = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return type_info(DIID__QVZ_Class, out);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count, LCID,
                               DISPID *ids) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        com_ptr<ITypeInfo> info;
        ROTAM_RETURN_IF_FAILED(type_info(DIID__QVZ_Class, info.put()));
        return info->GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS *params,
                        VARIANT *result, EXCEPINFO *, UINT *arg_error) override;

    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == DIID__QVZ_Class || riid == IID_IDispatch ? S_OK : S_FALSE;
    }

private:
    HRESULT put(const FieldRef &field, VARTYPE vt, const DISPPARAMS &params, UINT *arg_error);
    HRESULT get(const FieldRef &field, VARIANT *result) const;

    ULONG refs_ = 1;
    std::shared_ptr<QVZ_Class> record_;
};

STDMETHODIMP RecordObject::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags,
                                  DISPPARAMS *params, VARIANT *result, EXCEPINFO *,
                                  UINT *arg_error) {
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ROTAM_RETURN_HR_IF_NULL(E_INVALIDARG, params);
    const DISPID index = dispid - kFieldBase;
    if (dispid < kFieldBase || index >= static_cast<DISPID>(std::size(kFields)))
        return DISP_E_MEMBERNOTFOUND;
    if (flags & DISPATCH_PROPERTYPUT)
        return put(kFields[index], events::kRecordFields[index].vt, *params, arg_error);
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)))
        return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    if (result) {
        VariantInit(result);
        return get(kFields[index], result);
    }
    return S_OK;
}

HRESULT RecordObject::put(const FieldRef &field, VARTYPE vt, const DISPPARAMS &params,
                          UINT *arg_error) {
    const bool named_ok = params.cNamedArgs == 0 ||
                          (params.cNamedArgs == 1 && params.rgdispidNamedArgs &&
                           params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT);
    if (params.cArgs != 1 || !named_ok || !params.rgvarg)
        return DISP_E_BADPARAMCOUNT;
    unique_variant value;
    const HRESULT hr = VariantChangeType(&value, &params.rgvarg[0], 0, vt);
    if (FAILED(hr)) {
        if (arg_error)
            *arg_error = 0;
        return hr;
    }
    try {
        std::visit(
            [&](auto member) {
                auto &target = (*record_).*member;
                using T = std::remove_reference_t<decltype(target)>;
                if constexpr (std::is_same_v<T, String>)
                    target = from_bstr(value.bstrVal);
                else if constexpr (std::is_same_v<T, Double>)
                    target = value.dblVal;
                else if constexpr (std::is_same_v<T, Integer>)
                    target = value.iVal;
                else
                    target = value.lVal;
            },
            field);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT RecordObject::get(const FieldRef &field, VARIANT *result) const {
    return std::visit(
        [&](auto member) -> HRESULT {
            const auto &source = (*record_).*member;
            using T = std::remove_cvref_t<decltype(source)>;
            if constexpr (std::is_same_v<T, String>) {
                result->bstrVal = to_bstr(source);
                if (!result->bstrVal)
                    return E_OUTOFMEMORY;
                result->vt = VT_BSTR;
            } else if constexpr (std::is_same_v<T, Double>) {
                result->vt = VT_R8;
                result->dblVal = source;
            } else if constexpr (std::is_same_v<T, Integer>) {
                result->vt = VT_I2;
                result->iVal = source;
            } else {
                result->vt = VT_I4;
                result->lVal = source;
            }
            return S_OK;
        },
        field);
}

}  // namespace

HRESULT create_record_object(std::shared_ptr<QVZ_Class> record, IDispatch **out) {
    ROTAM_RETURN_HR_IF_NULL(E_POINTER, out);
    *out = nullptr;
    ROTAM_RETURN_HR_IF_NULL(E_INVALIDARG, record);
    auto *object = new (std::nothrow) RecordObject(std::move(record));
    ROTAM_RETURN_HR_IF_NULL(E_OUTOFMEMORY, object);
    *out = object;
    return S_OK;
}

}  // namespace rotam::com
