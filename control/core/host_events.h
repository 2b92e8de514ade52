// How the control's portable core asks the host for a service: one event,
// identified by its DISPID, with every argument passed by reference.
//
// The COM adapter turns this into IDispatch::Invoke on each connected sink;
// native tests put a scripted fake host behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rotam {

enum class ArgType : std::uint8_t {
    I2,       // std::int16_t*
    I4,       // std::int32_t*
    R8,       // double*
    Str,      // std::u16string*   (BSTR; the host may replace it)
    I4ByVal,  // std::int32_t*     (read only; hDC of ZynQVZDisplay)
};

struct EventArg {
    ArgType type;
    void *ref;
};

inline EventArg arg(std::int16_t &v) { return {ArgType::I2, &v}; }
inline EventArg arg(std::int32_t &v) { return {ArgType::I4, &v}; }
inline EventArg arg(double &v) { return {ArgType::R8, &v}; }
inline EventArg arg(std::u16string &v) { return {ArgType::Str, &v}; }
inline EventArg arg_by_value(std::int32_t &v) { return {ArgType::I4ByVal, &v}; }

class HostEvents {
public:
    virtual ~HostEvents() = default;
    // args are in declaration order. The values the host wrote are in place
    // when this returns; a host that does not answer leaves them unchanged.
    virtual void fire(std::int32_t dispid, EventArg *args, std::size_t count) = 0;
};

}  // namespace rotam
