// The version gate.  Version texts are parsed the way a component of this
// kind converts text to a 32-bit integer: blanks around the digits are
// ignored, a fraction rounds half to even, and anything else is a type
// mismatch; every step of the arithmetic is checked for overflow.
#include "service.h"

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "option_command.h"

namespace rotam {
namespace {

[[noreturn]] void type_mismatch() { throw RuntimeError(13, "Type mismatch"); }
[[noreturn]] void overflow() { throw RuntimeError(6, "Overflow"); }

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

// One field of a version text as a 32-bit integer.
Long to_long(std::u16string_view field) {
    while (!field.empty() && is_blank(field.front()))
        field.remove_prefix(1);
    while (!field.empty() && is_blank(field.back()))
        field.remove_suffix(1);

    bool negative = false;
    if (!field.empty() && (field.front() == u'+' || field.front() == u'-')) {
        negative = field.front() == u'-';
        field.remove_prefix(1);
    }
    // Digits with an optional fraction; at least one digit somewhere.
    double whole = 0;
    std::size_t i = 0, digits = 0;
    for (; i < field.size() && field[i] >= u'0' && field[i] <= u'9'; ++i, ++digits)
        whole = whole * 10 + (field[i] - u'0');
    double fraction = 0;
    if (i < field.size() && field[i] == u'.') {
        double scale = 0.1;
        for (++i; i < field.size() && field[i] >= u'0' && field[i] <= u'9'; ++i, ++digits) {
            fraction += (field[i] - u'0') * scale;
            scale /= 10;
        }
    }
    if (digits == 0 || i != field.size())
        type_mismatch();

    double value = whole + fraction;
    value = std::nearbyint(value);  // round half to even
    if (negative)
        value = -value;
    if (value < std::numeric_limits<Long>::min() || value > std::numeric_limits<Long>::max())
        overflow();
    return static_cast<Long>(value);
}

Long checked_mul(Long a, Long b) {
    Long r;
    if (__builtin_mul_overflow(a, b, &r))
        overflow();
    return r;
}

Long checked_add(Long a, Long b) {
    Long r;
    if (__builtin_add_overflow(a, b, &r))
        overflow();
    return r;
}

// The position after the first comma at or after from, or raises 5 as taking
// a field up to a missing comma does.
std::size_t comma_after(const String &text, std::size_t from) {
    const std::size_t at = text.find(u',', from);
    if (at == String::npos)
        throw RuntimeError(5, "Invalid procedure call or argument");
    return at;
}

MessageBoxUi *installed_box = nullptr;

std::u16string &name_of_component() {
    static std::u16string name = u"rotamcmd";
    return name;
}

}  // namespace

const std::u16string &component_name() { return name_of_component(); }
void set_component_name(std::u16string name) { name_of_component() = std::move(name); }

void set_message_box(MessageBoxUi *ui) { installed_box = ui; }

MessageBoxUi &message_box() { return installed_box ? *installed_box : platform_message_box(); }

Control &service_control() {
    Control *control = CommandControl();
    if (!control)
        throw RuntimeError(91, "Object variable or With block variable not set");
    return *control;
}

namespace wrappers {

Long ZynVersionNumber(const String &text) {
    if (text.size() <= 3)
        return 0;
    const std::size_t p1 = comma_after(text, 0);
    const std::size_t p2 = comma_after(text, p1 + 1);
    const std::size_t p3 = comma_after(text, p2 + 1);
    const std::u16string_view all(text);
    const Long a = to_long(all.substr(0, p1));
    const Long b = to_long(all.substr(p1 + 1, p2 - p1 - 1));
    const Long c = to_long(all.substr(p2 + 1, p3 - p2 - 1));
    const Long d = to_long(all.substr(p3 + 1));
    Long n = checked_mul(a, 1000000);
    n = checked_add(n, checked_mul(b, 10000));
    n = checked_add(n, checked_mul(c, 100));
    return checked_add(n, d);
}

Flag ZynCheckVersion(const String &required) {
    const Long need = ZynVersionNumber(required);
    const Long have = ZynVersionNumber(HostVersion());
    if (have >= need)
        return -1;
    message_box().show(u"このオプションコマンドはZYN-CAD for Windows Ver " + required +
                           u"以上で使用して下さい",
                       component_name(), kMbOk);
    return 0;
}

}  // namespace wrappers
}  // namespace rotam
