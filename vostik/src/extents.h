// Internals of the extents family that the tests reach directly.
#pragma once

#include <cstdint>

namespace vostik {

// GetTextCorner with the lead-byte test passed in, so that double-byte texts
// can be measured under any code page.
void text_corner(const char *text, double x0, double y0, double ts_takasa, double ts_haba, double ts_kankaku,
                 double linegap, double kaiten, int32_t genten, double *xs, double *ys,
                 bool (*is_lead)(unsigned char));

}  // namespace vostik
