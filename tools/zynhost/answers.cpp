// The answers file: a small JSON reader that knows where every value stood,
// so that a mistake in a hand-written file is reported by line and column.
// It refuses rather than guesses: bad UTF-8, duplicate keys, numbers that do
// not fit their parameter and nesting deeper than any answers file needs.
#include "answers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

namespace zynhost {
namespace {

struct Node {
    enum Type { Null, Bool, Number, String, Array, Object } type = Null;
    int line = 0, column = 0;
    std::string text;          // a string's value, a number's spelling
    std::vector<Node> items;   // array items, object values
    std::vector<Node> keys;    // object keys (as String nodes)
};

// Deeper than this is no answers file: a file nested deeper is refused
// before it can exhaust the stack.
constexpr int kMaxDepth = 32;

class Parser {
public:
    explicit Parser(const std::string &text) : s_(text) {}

    bool document(Node &root, std::string &error) {
        if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0)
            pos_ = 3;  // a byte order mark, as Windows editors write
        skip_space();
        if (!value(root, 0))
            return fail_out(error);
        skip_space();
        if (pos_ < s_.size()) {
            fail("unexpected text after the end of the document");
            return fail_out(error);
        }
        return true;
    }

private:
    bool fail(const std::string &what) {
        if (message_.empty())
            message_ = std::to_string(line_) + ":" + std::to_string(column_) + ": " + what;
        return false;
    }
    bool fail_out(std::string &error) {
        error = message_.empty() ? "1:1: unreadable" : message_;
        return false;
    }

    bool at_end() const { return pos_ >= s_.size(); }
    unsigned char peek() const { return at_end() ? 0 : static_cast<unsigned char>(s_[pos_]); }

    // Columns count characters: UTF-8 continuation bytes do not move on.
    void advance() {
        const unsigned char c = peek();
        ++pos_;
        if (c == '\n') {
            ++line_;
            column_ = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column_;
        }
    }

    void skip_space() {
        while (!at_end() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            advance();
    }

    bool literal(const char *word) {
        for (const char *w = word; *w; ++w) {
            if (peek() != static_cast<unsigned char>(*w))
                return fail(std::string("expected ") + word);
            advance();
        }
        return true;
    }

    bool value(Node &n, int depth) {
        n.line = line_;
        n.column = column_;
        if (at_end())
            return fail("unexpected end of the file");
        const unsigned char c = peek();
        if (c == '{' || c == '[') {
            if (depth >= kMaxDepth)
                return fail("nested too deeply");
            return c == '{' ? object(n, depth + 1) : array(n, depth + 1);
        }
        if (c == '"') {
            n.type = Node::String;
            return string(n.text);
        }
        if (c == '-' || (c >= '0' && c <= '9')) {
            n.type = Node::Number;
            return number(n.text);
        }
        if (c == 't' || c == 'f') {
            n.type = Node::Bool;
            n.text = c == 't' ? "true" : "false";
            return literal(n.text.c_str());
        }
        if (c == 'n') {
            n.type = Node::Null;
            return literal("null");
        }
        return fail("expected a value");
    }

    bool object(Node &n, int depth) {
        n.type = Node::Object;
        advance();  // {
        skip_space();
        if (peek() == '}') {
            advance();
            return true;
        }
        for (;;) {
            Node key;
            key.type = Node::String;
            key.line = line_;
            key.column = column_;
            if (peek() != '"')
                return fail("expected a name in double quotes");
            if (!string(key.text))
                return false;
            skip_space();
            if (peek() != ':')
                return fail("expected ':' after a name");
            advance();
            skip_space();
            Node item;
            if (!value(item, depth))
                return false;
            n.keys.push_back(std::move(key));
            n.items.push_back(std::move(item));
            bool closed = false;
            if (!separator('}', &closed))
                return false;
            if (closed)
                return true;
        }
    }

    bool array(Node &n, int depth) {
        n.type = Node::Array;
        advance();  // [
        skip_space();
        if (peek() == ']') {
            advance();
            return true;
        }
        for (;;) {
            Node item;
            if (!value(item, depth))
                return false;
            n.items.push_back(std::move(item));
            bool closed = false;
            if (!separator(']', &closed))
                return false;
            if (closed)
                return true;
        }
    }

    // What follows a member or an element: a comma, or `close`, which ends
    // the object or array (*closed).
    bool separator(char close, bool *closed) {
        skip_space();
        if (peek() == ',') {
            advance();
            skip_space();
            return true;
        }
        if (peek() == close) {
            advance();
            *closed = true;
            return true;
        }
        if (at_end())
            return fail("unexpected end of the file");
        return fail(close == '}' ? "expected ',' or '}'" : "expected ',' or ']'");
    }

    bool digits() {
        if (peek() < '0' || peek() > '9')
            return fail("expected a digit");
        while (peek() >= '0' && peek() <= '9')
            advance();
        return true;
    }

    bool number(std::string &out) {
        const std::size_t start = pos_;
        if (peek() == '-')
            advance();
        if (peek() == '0') {
            advance();
            if (peek() >= '0' && peek() <= '9')
                return fail("a number does not start with 0");
        } else if (!digits()) {
            return false;
        }
        if (peek() == '.') {
            advance();
            if (!digits())
                return false;
        }
        if (peek() == 'e' || peek() == 'E') {
            advance();
            if (peek() == '+' || peek() == '-')
                advance();
            if (!digits())
                return false;
        }
        out.assign(s_, start, pos_ - start);
        return true;
    }

    bool hex4(std::uint32_t &out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const unsigned char c = peek();
            std::uint32_t d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return fail("expected four hexadecimal digits after \\u");
            out = out * 16 + d;
            advance();
        }
        return true;
    }

    static void put_utf8(std::string &out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // One UTF-8 character as it stands in the file, checked: no overlong
    // forms, no surrogates, nothing past U+10FFFF.
    bool utf8_char(std::string &out) {
        const unsigned char c = peek();
        int more;
        std::uint32_t cp, min;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1, cp = c & 0x1F, min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2, cp = c & 0x0F, min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3, cp = c & 0x07, min = 0x10000;
        } else {
            return fail("the file is not valid UTF-8");
        }
        if (s_.size() - pos_ <= static_cast<std::size_t>(more))
            return fail("the file is not valid UTF-8");
        for (int i = 1; i <= more; ++i) {
            const unsigned char d = static_cast<unsigned char>(s_[pos_ + i]);
            if ((d & 0xC0) != 0x80)
                return fail("the file is not valid UTF-8");
            cp = cp << 6 | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return fail("the file is not valid UTF-8");
        out.append(s_, pos_, static_cast<std::size_t>(more) + 1);
        for (int i = 0; i <= more; ++i)
            advance();
        return true;
    }

    bool string(std::string &out) {
        advance();  // "
        for (;;) {
            if (at_end())
                return fail("unterminated string");
            const unsigned char c = peek();
            if (c == '"') {
                advance();
                return true;
            }
            if (c < 0x20)
                return fail(c == '\n' ? "unterminated string" : "control character in a string");
            if (c >= 0x80) {
                if (!utf8_char(out))
                    return false;
                continue;
            }
            advance();
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            const unsigned char e = peek();
            const char *plain = "\"\\/bfnrt";
            const char *meant = "\"\\/\b\f\n\r\t";
            bool done = false;
            for (int i = 0; plain[i]; ++i)
                if (e == static_cast<unsigned char>(plain[i])) {
                    out += meant[i];
                    advance();
                    done = true;
                    break;
                }
            if (done)
                continue;
            if (e != 'u')
                return fail("unknown escape in a string");
            advance();
            std::uint32_t cp;
            if (!hex4(cp))
                return false;
            if (cp >= 0xDC00 && cp <= 0xDFFF)
                return fail("lone surrogate in a string");
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                std::uint32_t low;
                if (peek() != '\\')
                    return fail("lone surrogate in a string");
                advance();
                if (peek() != 'u')
                    return fail("lone surrogate in a string");
                advance();
                if (!hex4(low))
                    return false;
                if (low < 0xDC00 || low > 0xDFFF)
                    return fail("lone surrogate in a string");
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            }
            put_utf8(out, cp);
        }
    }

    const std::string &s_;
    std::size_t pos_ = 0;
    int line_ = 1, column_ = 1;
    std::string message_;
};

std::string at(int line, int column) { return std::to_string(line) + ":" + std::to_string(column) + ": "; }

bool same_name(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// A second use of a key (in any case) in one object.
bool duplicate_key(const Node &object, std::string &error) {
    for (std::size_t i = 1; i < object.keys.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (same_name(object.keys[i].text, object.keys[j].text)) {
                error = at(object.keys[i].line, object.keys[i].column) + "\"" + object.keys[i].text +
                        "\" is given twice";
                return true;
            }
    return false;
}

bool entry(const Node &n, const std::string &event, Answers::Raw::Entry &out, std::string &error) {
    if (n.type != Node::Object) {
        error = at(n.line, n.column) + "the answer to " + event + " must be an object of parameter values";
        return false;
    }
    if (duplicate_key(n, error))
        return false;
    for (std::size_t i = 0; i < n.keys.size(); ++i) {
        const Node &v = n.items[i];
        Answers::Raw::Entry::Item item;
        item.key = n.keys[i].text;
        item.line = n.keys[i].line;
        item.column = n.keys[i].column;
        item.value.kind = v.type == Node::Number   ? Answers::Raw::Value::Number
                          : v.type == Node::String ? Answers::Raw::Value::String
                                                   : Answers::Raw::Value::Other;
        item.value.text = v.text;
        item.value.line = v.line;
        item.value.column = v.column;
        out.items.push_back(std::move(item));
    }
    return true;
}

bool to_integer(const std::string &spelling, double low, double high, std::int32_t &out) {
    double d = 0;
    const auto [end, ec] = std::from_chars(spelling.data(), spelling.data() + spelling.size(), d);
    if (ec != std::errc() || end != spelling.data() + spelling.size())
        return false;
    if (!(d >= low && d <= high) || std::floor(d) != d)
        return false;
    out = static_cast<std::int32_t>(d);
    return true;
}

const char *type_name(std::uint16_t vt) {
    switch (vt) {
    case kI2:
        return "a 16-bit integer";
    case kI4:
        return "a 32-bit integer";
    case kR8:
        return "a number";
    case kBool:
        return "a boolean number (0 or not)";
    case kBstr:
        return "a string";
    default:
        return "an unsupported type";
    }
}

bool convert(const Answers::Raw::Value &v, const ParamSpec &p, const std::string &event, AnswerValue &out,
             std::string &error) {
    out.vt = p.vt;
    const std::string where = at(v.line, v.column) + event + "." + p.name + " takes " + type_name(p.vt);
    if (p.vt == kBstr) {
        if (v.kind != Answers::Raw::Value::String) {
            error = where;
            return false;
        }
        out.text = v.text;
        return true;
    }
    if (v.kind != Answers::Raw::Value::Number || (p.vt != kI2 && p.vt != kI4 && p.vt != kR8 && p.vt != kBool)) {
        error = where;
        return false;
    }
    bool ok = false;
    switch (p.vt) {
    case kI2:
        ok = to_integer(v.text, -32768.0, 32767.0, out.integer);
        break;
    case kI4:
        ok = to_integer(v.text, -2147483648.0, 2147483647.0, out.integer);
        break;
    case kBool: {
        double d = 0;
        const auto [end, ec] = std::from_chars(v.text.data(), v.text.data() + v.text.size(), d);
        ok = ec == std::errc() && end == v.text.data() + v.text.size();
        out.integer = d != 0 ? -1 : 0;
        break;
    }
    default: {
        const auto [end, ec] = std::from_chars(v.text.data(), v.text.data() + v.text.size(), out.real);
        ok = ec == std::errc() && end == v.text.data() + v.text.size() && std::isfinite(out.real);
    }
    }
    if (!ok)
        error = at(v.line, v.column) + v.text + " does not fit " + event + "." + p.name + ", " + type_name(p.vt);
    return ok;
}

}  // namespace

bool Answers::parse(const std::string &text, std::string &error) {
    raw_.clear();
    bound_.clear();
    if (text.size() > kMaxBytes) {
        error = "1:1: the file is larger than " + std::to_string(kMaxBytes) + " bytes";
        return false;
    }
    Node root;
    if (!Parser(text).document(root, error))
        return false;
    if (root.type != Node::Object) {
        error = at(root.line, root.column) + "the file must hold one object: event name -> answer";
        return false;
    }
    if (duplicate_key(root, error))
        return false;
    for (std::size_t i = 0; i < root.keys.size(); ++i) {
        Raw r;
        r.event = root.keys[i].text;
        r.line = root.keys[i].line;
        r.column = root.keys[i].column;
        const Node &answer = root.items[i];
        r.every_call = answer.type != Node::Array;
        if (r.every_call) {
            r.calls.emplace_back();
            if (!entry(answer, r.event, r.calls.back(), error))
                return false;
        } else {
            for (const Node &call : answer.items) {
                r.calls.emplace_back();
                if (!entry(call, r.event, r.calls.back(), error))
                    return false;
            }
        }
        raw_.push_back(std::move(r));
    }
    return true;
}

bool Answers::bind(const std::vector<EventShape> &events, std::string &error) {
    bound_.clear();
    for (const Raw &r : raw_) {
        std::size_t e = 0;
        while (e < events.size() && !same_name(events[e].name, r.event))
            ++e;
        if (e == events.size()) {
            error = at(r.line, r.column) + "unknown event \"" + r.event +
                    "\" (the keys are the names of the events the control fires, not of its wrappers)";
            return false;
        }
        const EventShape &shape = events[e];
        Bound b;
        b.every_call = r.every_call;
        for (const Raw::Entry &call : r.calls) {
            Answer answer;
            for (const Raw::Entry::Item &item : call.items) {
                std::size_t p = 0;
                while (p < shape.params.size() && !same_name(shape.params[p].name, item.key))
                    ++p;
                if (p == shape.params.size()) {
                    error = at(item.line, item.column) + "unknown parameter \"" + item.key + "\" of " + shape.name;
                    return false;
                }
                if (!shape.params[p].by_reference) {
                    error = at(item.line, item.column) + shape.name + "." + shape.params[p].name +
                            " is passed by value: the host cannot answer it";
                    return false;
                }
                AnswerValue value;
                value.param = p;
                if (!convert(item.value, shape.params[p], shape.name, value, error))
                    return false;
                answer.push_back(std::move(value));
            }
            b.calls.push_back(std::move(answer));
        }
        bound_[e] = std::move(b);
    }
    return true;
}

const Answer *Answers::next(std::size_t event, std::map<std::size_t, std::size_t> &cursor) const {
    const auto it = bound_.find(event);
    if (it == bound_.end())
        return nullptr;
    const Bound &b = it->second;
    if (b.every_call)
        return &b.calls.front();
    std::size_t &done = cursor[event];
    if (done >= b.calls.size())
        return nullptr;
    return &b.calls[done++];
}

}  // namespace zynhost
