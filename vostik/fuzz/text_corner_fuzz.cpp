// GetTextCorner on any text, sizes, angle and anchor code, under the
// process's code page and under a double-byte one: five corners written,
// never more, never a read past the text; finite inputs of sane size give
// finite corners.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "codepage.h"
#include "extents.h"
#include "vostik.h"

namespace {

bool lead_932(unsigned char c) { return vostik::is_lead_byte_in(932, c); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    double v[7];
    for (double &d : v) d = in.ConsumeFloatingPoint<double>();
    int32_t genten = in.ConsumeIntegral<int32_t>();
    bool sane = in.ConsumeBool();
    if (sane)  // also search the ordinary range, where results must be finite
        for (double &d : v) d = std::isfinite(d) ? std::fmod(d, 1e4) : 1;
    std::string bytes = in.ConsumeRemainingBytesAsString();
    std::size_t len = strnlen(bytes.data(), bytes.size());
    char *text = static_cast<char *>(std::malloc(len + 1));
    std::memcpy(text, bytes.data(), len);
    text[len] = '\0';

    auto *xs = static_cast<double *>(std::malloc(5 * sizeof(double)));
    auto *ys = static_cast<double *>(std::malloc(5 * sizeof(double)));
    GetTextCorner(text, v[0], v[1], 0, v[2], v[3], v[4], v[5], v[6], genten, xs, ys);
    vostik::text_corner(text, v[0], v[1], v[2], v[3], v[4], v[5], v[6], genten, xs, ys, lead_932);
    if (sane && len < 4096)
        for (int i = 0; i < 5; ++i)
            if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) std::abort();
    GetTextCorner(nullptr, v[0], v[1], 0, v[2], v[3], v[4], v[5], v[6], genten, xs, ys);
    std::free(xs);
    std::free(ys);
    std::free(text);
    return 0;
}
