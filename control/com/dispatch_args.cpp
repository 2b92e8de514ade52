#include "dispatch_args.h"

#include <cstring>

#include "runtime_error.h"

namespace rotam::com {
namespace {

VARTYPE vartype_of(ArgType type) {
    switch (type) {
    case ArgType::I2:
        return VT_I2;
    case ArgType::R8:
        return VT_R8;
    case ArgType::Str:
        return VT_BSTR;
    case ArgType::I4:
    case ArgType::I4ByVal:
        break;
    }
    return VT_I4;
}

// The methods' switch asks for each argument by type; asking for the wrong
// one means methods.txt and the switch disagree.
template <class T>
T &checked(ArgType bound, ArgType asked, T &value) {
    if (bound != asked)
        throw RuntimeError(51, "Internal error");
    return value;
}

}  // namespace

std::int16_t &BoundArg::i2() { return checked(type_, ArgType::I2, i2_); }
std::int32_t &BoundArg::i4() { return checked(type_, ArgType::I4, i4_); }
double &BoundArg::r8() { return checked(type_, ArgType::R8, r8_); }
std::u16string &BoundArg::str() { return checked(type_, ArgType::Str, str_); }

bool is_property_put(const DISPPARAMS &dp) {
    const bool named_ok = dp.cNamedArgs == 0 || (dp.cNamedArgs == 1 && dp.rgdispidNamedArgs &&
                                                 dp.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT);
    return dp.cArgs == 1 && named_ok && dp.rgvarg;
}

HRESULT BoundArg::bind(ArgType type, VARIANTARG *caller) {
    type_ = type;
    caller_ = caller;
    const VARTYPE want = vartype_of(type);
    if (caller->vt == (VT_BYREF | want)) {
        if (!caller->byref)
            return DISP_E_TYPEMISMATCH;
        form_ = Form::ByRefExact;
        switch (want) {
        case VT_I2:
            i2_ = *caller->piVal;
            break;
        case VT_I4:
            i4_ = *caller->plVal;
            break;
        case VT_R8:
            r8_ = *caller->pdblVal;
            break;
        default:
            str_ = from_bstr(*caller->pbstrVal);
            break;
        }
    } else {
        VARIANT *source = caller;
        if (caller->vt == (VT_BYREF | VT_VARIANT)) {
            form_ = Form::ByRefVariant;
            source = caller->pvarVal;
            if (!source)
                return DISP_E_TYPEMISMATCH;
        } else if (caller->vt & VT_BYREF) {
            // A typed reference of another type cannot take our value back.
            return DISP_E_TYPEMISMATCH;
        } else {
            form_ = Form::ByValue;
        }
        if (source->vt == VT_ERROR && source->scode == DISP_E_PARAMNOTFOUND)
            return DISP_E_PARAMNOTOPTIONAL;
        unique_variant given, value;
        ROTAM_RETURN_IF_FAILED(VariantCopyInd(&given, source));
        ROTAM_RETURN_IF_FAILED(VariantChangeType(&value, &given, 0, want));
        switch (want) {
        case VT_I2:
            i2_ = value.iVal;
            break;
        case VT_I4:
            i4_ = value.lVal;
            break;
        case VT_R8:
            r8_ = value.dblVal;
            break;
        default:
            str_ = from_bstr(value.bstrVal);
            break;
        }
    }
    i2_in_ = i2_;
    i4_in_ = i4_;
    r8_in_ = r8_;
    str_in_ = str_;
    return S_OK;
}

bool BoundArg::changed() const {
    switch (type_) {
    case ArgType::I2:
        return i2_ != i2_in_;
    case ArgType::R8:
        return std::memcmp(&r8_, &r8_in_, sizeof r8_) != 0;
    case ArgType::Str:
        return str_ != str_in_;
    case ArgType::I4:
    case ArgType::I4ByVal:
        break;
    }
    return i4_ != i4_in_;
}

void BoundArg::write_back() {
    if (form_ == Form::ByValue || !caller_ || !changed())
        return;
    const VARTYPE want = vartype_of(type_);
    VARIANT *target = caller_;
    if (form_ == Form::ByRefVariant) {
        target = caller_->pvarVal;
        // A variable holding a reference of the parameter's own type is
        // written through; any other content is replaced by the typed value.
        if (target->vt != (VT_BYREF | want)) {
            BSTR text = nullptr;
            if (want == VT_BSTR && !(text = to_bstr(str_)))
                return;
            VariantClear(target);
            target->vt = want;
            switch (want) {
            case VT_I2:
                target->iVal = i2_;
                break;
            case VT_I4:
                target->lVal = i4_;
                break;
            case VT_R8:
                target->dblVal = r8_;
                break;
            default:
                target->bstrVal = text;
                break;
            }
            return;
        }
    }
    switch (want) {
    case VT_I2:
        *target->piVal = i2_;
        break;
    case VT_I4:
        *target->plVal = i4_;
        break;
    case VT_R8:
        *target->pdblVal = r8_;
        break;
    default:
        if (BSTR text = to_bstr(str_)) {
            SysFreeString(*target->pbstrVal);
            *target->pbstrVal = text;
        }
        break;
    }
}

HRESULT bind_arguments(std::span<const events::ParamInfo> params, const DISPPARAMS &dp,
                       std::vector<BoundArg> &bound, UINT *arg_error) {
    const UINT count = static_cast<UINT>(params.size());
    if (dp.cArgs != count)
        return DISP_E_BADPARAMCOUNT;
    if (dp.cNamedArgs > dp.cArgs || (count && !dp.rgvarg) || (dp.cNamedArgs && !dp.rgdispidNamedArgs))
        return E_INVALIDARG;
    bound.assign(count, BoundArg{});
    std::vector<bool> seen(count, false);
    auto fail = [arg_error](UINT index, HRESULT hr) {
        if (arg_error)
            *arg_error = index;
        return hr;
    };
    for (UINT i = 0; i < dp.cNamedArgs; ++i) {
        const DISPID id = dp.rgdispidNamedArgs[i];
        if (id < 0 || static_cast<UINT>(id) >= count || seen[id])
            return fail(i, DISP_E_PARAMNOTFOUND);
        seen[id] = true;
        const HRESULT hr = bound[id].bind(params[id].type, &dp.rgvarg[i]);
        if (FAILED(hr))
            return fail(i, hr);
    }
    const UINT positional = dp.cArgs - dp.cNamedArgs;
    for (UINT p = 0; p < positional; ++p) {
        const UINT index = dp.cArgs - 1 - p;
        if (seen[p])
            return fail(index, DISP_E_PARAMNOTFOUND);
        const HRESULT hr = bound[p].bind(params[p].type, &dp.rgvarg[index]);
        if (FAILED(hr))
            return fail(index, hr);
    }
    return S_OK;
}

}  // namespace rotam::com
