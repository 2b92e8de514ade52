#include "record_object.h"

#include <new>
#include <variant>

#include "dispatch_args.h"
#include "dispatch_base.h"
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

class RecordObject final : public RefCounted<RecordObject, TypeLibDispatch<DIID__QVZ_Class>> {
public:
    explicit RecordObject(std::shared_ptr<QVZ_Class> record) : record_(std::move(record)) {
        object_created();
    }
    ~RecordObject() { object_destroyed(); }

    STDMETHODIMP QueryInterface(REFIID riid, void **out) override {
        return answer_query(dispatch_interface(riid), out);
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS *params,
                        VARIANT *result, EXCEPINFO *, UINT *arg_error) override;

private:
    HRESULT put(const FieldRef &field, VARTYPE vt, const DISPPARAMS &params, UINT *arg_error);
    HRESULT get(const FieldRef &field, VARTYPE vt, VARIANT *result) const;

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
        return get(kFields[index], events::kRecordFields[index].vt, result);
    }
    return S_OK;
}

HRESULT RecordObject::put(const FieldRef &field, VARTYPE vt, const DISPPARAMS &params,
                          UINT *arg_error) {
    if (!is_property_put(params))
        return DISP_E_BADPARAMCOUNT;
    unique_variant value;
    const HRESULT hr = VariantChangeType(&value, &params.rgvarg[0], 0, vt);
    if (FAILED(hr)) {
        if (arg_error)
            *arg_error = 0;
        return hr;
    }
    try {
        std::visit([&](auto member) { property_from_variant(value, (*record_).*member); }, field);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT RecordObject::get(const FieldRef &field, VARTYPE vt, VARIANT *result) const {
    return std::visit(
        [&](auto member) { return property_to_variant((*record_).*member, vt, result); }, field);
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
