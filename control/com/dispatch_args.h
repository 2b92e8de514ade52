// Turning the arguments of an automation call into the core's typed
// variables and back, for the lifecycle methods.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "com_util.h"
#include "events_table.h"

namespace rotam::com {

// One parameter of a method while the core has it.  Late-bound callers pass
// a by-reference argument of the parameter's own type, a by-reference VARIANT
// (what script clients pass for a variable), or a plain value.
class BoundArg {
public:
    std::int16_t &i2();
    std::int32_t &i4();
    double &r8();
    std::u16string &str();

    // Reads the caller's argument, converted to the parameter's type.
    HRESULT bind(ArgType type, VARIANTARG *caller);
    // Writes a changed value back to the caller's by-reference argument; a
    // value the method left alone leaves the caller's argument untouched.
    void write_back();

private:
    enum class Form { ByRefExact, ByRefVariant, ByValue };
    bool changed() const;

    ArgType type_ = ArgType::I4;
    Form form_ = Form::ByValue;
    VARIANTARG *caller_ = nullptr;
    std::int16_t i2_ = 0, i2_in_ = 0;
    std::int32_t i4_ = 0, i4_in_ = 0;
    double r8_ = 0, r8_in_ = 0;
    std::u16string str_, str_in_;
};

// Binds every argument of a call to a method's parameters: positional ones
// (last first in rgvarg) and named ones (by parameter index).  On failure
// *arg_error names the offending argument.
HRESULT bind_arguments(std::span<const events::ParamInfo> params, const DISPPARAMS &dp,
                       std::vector<BoundArg> &bound, UINT *arg_error);

// The control's properties and the record's fields, both ways.  A flag
// (VT_BOOL) and an integer (VT_I2) are both int16: the VARIANT type tells
// them apart.

// A property put's arguments: the one new value, unnamed or named as such.
bool is_property_put(const DISPPARAMS &dp);

// Sets a property from value, already changed to the property's type.
template <class T>
void property_from_variant(const VARIANT &value, T &property) {
    if constexpr (std::is_same_v<T, std::u16string>)
        property = from_bstr(value.bstrVal);
    else if constexpr (std::is_same_v<T, double>)
        property = value.dblVal;
    else if constexpr (std::is_same_v<T, std::int16_t>)
        property = value.vt == VT_BOOL ? value.boolVal : value.iVal;
    else
        property = value.lVal;
}

// A property's value as a VARIANT of the property's type vt.
template <class T>
HRESULT property_to_variant(const T &property, VARTYPE vt, VARIANT *result) {
    if constexpr (std::is_same_v<T, std::u16string>) {
        result->bstrVal = to_bstr(property);
        if (!result->bstrVal)
            return E_OUTOFMEMORY;
        result->vt = VT_BSTR;
    } else if constexpr (std::is_same_v<T, double>) {
        result->vt = VT_R8;
        result->dblVal = property;
    } else if constexpr (std::is_same_v<T, std::int16_t>) {
        if (vt == VT_BOOL) {
            result->vt = VT_BOOL;
            result->boolVal = property;
        } else {
            result->vt = VT_I2;
            result->iVal = property;
        }
    } else {
        result->vt = VT_I4;
        result->lVal = property;
    }
    return S_OK;
}

}  // namespace rotam::com
