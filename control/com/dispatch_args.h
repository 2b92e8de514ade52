// Turning the arguments of an automation call into the core's typed
// variables and back, for the lifecycle methods.
#pragma once

#include <cstdint>
#include <span>
#include <string>
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

}  // namespace rotam::com
