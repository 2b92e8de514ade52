// GetVal on any text and slot count: never a store outside the count given
// or beyond the fields found, never a read past the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "vostik.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    int32_t count = static_cast<int8_t>(data[0]) % 20;  // negative counts too
    ++data;
    --size;
    std::size_t len = strnlen(reinterpret_cast<const char *>(data), size);
    char *text = static_cast<char *>(std::malloc(len + 1));
    std::memcpy(text, data, len);
    text[len] = '\0';

    std::size_t fields = 1;
    for (std::size_t i = 0; i < len; ++i) fields += text[i] == ',';
    std::size_t slots = count > 0 ? static_cast<std::size_t>(count) : 0;
    // Exactly count slots on the heap, marked so that untouched ones show.
    auto *values = static_cast<double *>(std::malloc((slots ? slots : 1) * sizeof(double)));
    const double mark = -12345.678;
    for (std::size_t i = 0; i < slots; ++i) values[i] = mark;

    GetVal(text, values, count);
    for (std::size_t i = fields; i < slots; ++i)
        if (values[i] != mark) std::abort();

    std::free(values);
    std::free(text);
    return 0;
}
