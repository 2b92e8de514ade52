// Expression evaluator: a tokenizer feeding an operator-precedence parser
// that evaluates as it reduces.
//
// The tokenizer hands out one token at a time instead of filling a list
// first: the parser reads the tokens strictly in order, so the outcome is the
// same, and the only working memory is the parser's stack.  That stack lives
// on the heap and grows by doubling, so a text of any length (or nesting
// depth) costs memory and time in proportion to its length and never touches
// the call stack.
#include "parse.h"

#include <cmath>
#include <cstdlib>

#include "codepage.h"
#include "vostik.h"

namespace vostik {
namespace {

enum class Kind : unsigned char { End, Number, Plus, Minus, Times, Divide, Modulo, Power, Open, Close, None, Value };

struct Item {
    Kind kind;
    double value;
};

// Precedence functions: f for the topmost operator on the stack, g for the
// incoming token; -1 stops the parser.  Indexed by Kind (Value never asks).
constexpr int kF[] = {0, 11, 2, 2, 4, 4, 4, 5, 0, 11, -1, -1};
constexpr int kG[] = {0, 10, 1, 1, 3, 3, 3, 6, 10, 0, -1, -1};

int f(Kind k) { return kF[static_cast<int>(k)]; }
int g(Kind k) { return kG[static_cast<int>(k)]; }

Kind operator_kind(unsigned char c) {
    switch (c) {
        case '+': return Kind::Plus;
        case '-': return Kind::Minus;
        case '*': return Kind::Times;
        case '/': return Kind::Divide;
        case '%': return Kind::Modulo;
        case '^': return Kind::Power;
        case '(': return Kind::Open;
        case ')': return Kind::Close;
        default: return Kind::None;
    }
}

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

class Tokenizer {
public:
    Tokenizer(const char *text, bool (*is_lead)(unsigned char))
        : p_(reinterpret_cast<const unsigned char *>(text ? text : "")), is_lead_(is_lead) {}

    // The next token; after the last one an end mark (if the text gave any
    // token and did not end on one), then None for ever.
    Item next() {
        while (!stopped_) {
            unsigned char c = *p_;
            if (c == 0) break;
            if (c >= 0x80) {
                // Skipped like a letter; a double-byte character goes whole.
                p_ += (is_lead_(c) && p_[1] != 0) ? 2 : 1;
            } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ' || c == '\t') {
                ++p_;
            } else if (c == '\n' || c == '\r' || c == '=') {
                ++p_;
                return produce(Kind::End, 0);
            } else if (Kind op = operator_kind(c); op != Kind::None) {
                ++p_;
                return produce(op, 0);
            } else if (is_digit(c) || c == '.') {
                double value;
                if (read_number(&value)) return produce(Kind::Number, value);
                break;  // the number was dropped
            } else {
                break;
            }
        }
        stopped_ = true;
        if (produced_ && last_ != Kind::End) return produce(Kind::End, 0);
        return {Kind::None, 0};
    }

private:
    Item produce(Kind kind, double value) {
        produced_ = true;
        last_ = kind;
        return {kind, value};
    }

    // Reads the number at p_ digit by digit (so ".3" is 3 * 0.1, not the
    // nearest double to 0.3).  False when a second "." or a "," in the
    // fraction drops it; the text ends there.
    bool read_number(double *out) {
        bool fraction = *p_ == '.';
        double value = fraction ? 0.0 : *p_ - '0';
        double scale = 1.0;
        for (++p_;; ++p_) {
            unsigned char c = *p_;
            if (is_digit(c)) {
                if (fraction) {
                    scale = scale * 0.1;
                    value = value + (c - '0') * scale;
                } else {
                    value = value * 10 + (c - '0');
                }
            } else if (c == ',' && !fraction) {
                // digit grouping
            } else if (c == '.' && !fraction) {
                fraction = true;
                scale = 1.0;
            } else if (c == '.' || c == ',') {
                return false;
            } else {
                break;  // anything else ends the number and is read again
            }
        }
        *out = value;
        return true;
    }

    const unsigned char *p_;
    bool (*is_lead_)(unsigned char);
    bool stopped_ = false;
    bool produced_ = false;
    Kind last_ = Kind::None;
};

// The parser's stack, on the heap through the caller's reallocate.
class Stack {
public:
    explicit Stack(Reallocate reallocate) : reallocate_(reallocate) {}
    ~Stack() {
        if (items_) reallocate_(items_, 0);
    }
    Stack(const Stack &) = delete;
    Stack &operator=(const Stack &) = delete;

    bool push(Item item) {
        if (size_ == capacity_) {
            std::size_t capacity = capacity_ ? capacity_ * 2 : 64;
            if (capacity > SIZE_MAX / sizeof(Item)) return false;
            void *grown = reallocate_(items_, capacity * sizeof(Item));
            if (!grown) return false;
            items_ = static_cast<Item *>(grown);
            capacity_ = capacity;
        }
        items_[size_++] = item;
        return true;
    }

    Item &operator[](std::size_t i) { return items_[i]; }
    std::size_t size() const { return size_; }
    void shrink(std::size_t size) { size_ = size; }

    // The topmost item at or below i that is not a value.  A value always
    // sits on an operator (a reduction leaves it right above the item below
    // its handle), so this takes at most one step; item 0 is an end mark.
    std::size_t operator_at_or_below(std::size_t i) const {
        while (items_[i].kind == Kind::Value) --i;
        return i;
    }

private:
    Reallocate reallocate_;
    Item *items_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// a % b on the truncated operands.  fmod is exact, so for operands in the
// 32-bit range it gives exactly the 32-bit remainder (sign of a), and beyond
// that range the true remainder of the truncated values; it never forms the
// quotient -2^31 / -1 that traps as an integer division.
double truncated_remainder(double a, double b) {
    double r = std::fmod(std::trunc(a), std::trunc(b));
    return r == 0 ? 0.0 : r;  // an integer remainder of 0 has no sign
}

// Replaces the handle stack[p+1 ..] by one value, or returns a non-zero code.
int32_t reduce(Stack &stack, std::size_t p) {
    Item *h = &stack[p + 1];
    std::size_t n = stack.size() - (p + 1);
    double v;
    if (n == 1 && h[0].kind == Kind::Number) {
        v = h[0].value;
    } else if (n == 2 && h[1].kind == Kind::Value && h[0].kind == Kind::Minus) {
        v = h[1].value * -1;
    } else if (n == 2 && h[1].kind == Kind::Value && h[0].kind == Kind::Plus) {
        v = h[1].value;
    } else if (n == 3 && h[0].kind == Kind::Open && h[1].kind == Kind::Value && h[2].kind == Kind::Close) {
        v = h[1].value;
    } else if (n == 3 && h[0].kind == Kind::Value && h[2].kind == Kind::Value) {
        double l = h[0].value, r = h[2].value;
        switch (h[1].kind) {
            case Kind::Plus: v = l + r; break;
            case Kind::Minus: v = l - r; break;
            case Kind::Times: v = l * r; break;
            case Kind::Divide:
                if (std::fabs(r) < 5e-14) return kParseDivideByZero;
                v = l / r;
                break;
            case Kind::Modulo:
                if (std::trunc(r) == 0) return kParseDivideByZero;
                v = truncated_remainder(l, r);
                break;
            case Kind::Power:
                if (l == 0 && r < 0) return kParseZeroToNegative;
                v = std::pow(l, r);
                break;
            default: return kParseSyntaxError;
        }
    } else {
        return kParseSyntaxError;
    }
    stack.shrink(p + 1);
    stack.push({Kind::Value, v});  // cannot fail: the handle's room is free
    return kParseOk;
}

}  // namespace

int32_t parse_expression(const char *text, double *result, Reallocate reallocate, bool (*is_lead)(unsigned char)) {
    if (result) *result = 0;
    Stack stack(reallocate);
    if (!stack.push({Kind::End, 0})) return kParseNoMemory;
    Tokenizer tokens(text, is_lead);
    Item incoming = tokens.next();
    for (;;) {
        std::size_t top = stack.operator_at_or_below(stack.size() - 1);
        Kind top_kind = stack[top].kind;
        if (top_kind == Kind::End && incoming.kind == Kind::End) break;
        if (f(top_kind) < 0 || g(incoming.kind) < 0) break;
        if (top_kind == Kind::Open && incoming.kind == Kind::End) {
            // A "(" left open at the end of the expression is closed there.
            // Shifting the end mark instead would stop the parser with the
            // operators outside the "(" never applied: "2*(3+4" would give 2.
            if (!stack.push({Kind::Close, 0})) return kParseNoMemory;
            continue;
        }
        if (f(top_kind) <= g(incoming.kind)) {
            if (!stack.push(incoming)) return kParseNoMemory;
            incoming = tokens.next();
            continue;
        }
        // Find the handle: walk down the operators until one binds less
        // tightly than the one above it.  No rule takes more than three
        // items, so a longer handle is a syntax error whatever lies below.
        std::size_t t = top;
        std::size_t p;
        for (;;) {
            if (t == 0) return kParseSyntaxError;
            p = stack.operator_at_or_below(t - 1);
            if (stack.size() - (p + 1) > 3) return kParseSyntaxError;
            if (f(stack[p].kind) < g(stack[t].kind)) break;
            t = p;
        }
        if (int32_t code = reduce(stack, p); code != kParseOk) return code;
    }
    double value = 0;
    for (std::size_t i = 0; i < stack.size(); ++i) {
        if (stack[i].kind == Kind::Value) {
            value = stack[i].value;
            break;
        }
    }
    if (result) *result = value;
    return kParseOk;
}

}  // namespace vostik

namespace {
void *heap_reallocate(void *block, std::size_t size) {
    if (size == 0) {
        std::free(block);
        return nullptr;
    }
    return std::realloc(block, size);
}
}  // namespace

VOSTIK_API int32_t VOSTIK_CALL ParseString(const char *text, double *result) {
    return vostik::parse_expression(text, result, heap_reallocate, vostik::is_lead_byte);
}
