// The one error type of the component: a run-time error with the number and
// text that components of this kind report (6 "Overflow", 9 "Subscript out
// of range", 13 "Type mismatch", ...). It travels up to the nearest trap;
// the COM adapter turns it into HRESULT 0x800A0000 + number with error info.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace rotam {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(std::int32_t number, const std::string &text)
        : std::runtime_error(text), number_(number) {}
    std::int32_t number() const noexcept { return number_; }

private:
    std::int32_t number_;
};

}  // namespace rotam
