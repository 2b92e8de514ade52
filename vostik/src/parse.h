// Internals of the expression evaluator that the tests reach directly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vostik {

// Grows or frees the parser's working memory the way realloc does (size 0
// frees and returns nullptr).  The export passes realloc; tests pass one
// that fails to prove the out-of-memory path.
using Reallocate = void *(*)(void *block, std::size_t size);

// ParseString with its memory supplier and the code page's lead-byte test
// passed in.
int32_t parse_expression(const char *text, double *result, Reallocate reallocate,
                         bool (*is_lead)(unsigned char));

// Result codes of ParseString.
inline constexpr int32_t kParseOk = 0;
inline constexpr int32_t kParseDivideByZero = 1;
inline constexpr int32_t kParseZeroToNegative = 2;
inline constexpr int32_t kParseNoMemory = 0x101;
inline constexpr int32_t kParseSyntaxError = 0x8000;

}  // namespace vostik
