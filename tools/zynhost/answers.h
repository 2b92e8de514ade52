// The answers file of zynhost: per event, the values the host writes into
// the event's by-reference arguments.
//
//   {
//     "ZynGetZynVersion": {"ver": "2, 0, 3, 4"},
//     "ZynGetLayerName":  [ {"name": "WALL", "result": 1}, {"name": "DOOR"} ]
//   }
//
// An object answers every call of the event; a list answers one call per
// entry, in order, and once it is used up the event goes unanswered.  Keys
// are the event's parameter names (any case).  Numbers go to integer and
// floating parameters, strings to text parameters.
//
// Nothing here depends on Windows: the host describes the events it knows
// with the automation type numbers and writes the values itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zynhost {

// VARTYPE numbers of the parameters an answer may write.
enum : std::uint16_t { kI2 = 2, kI4 = 3, kR8 = 5, kBstr = 8, kBool = 11 };

struct ParamSpec {
    std::string name;
    std::uint16_t vt = 0;
    bool by_reference = true;
};

struct EventShape {
    std::string name;
    std::vector<ParamSpec> params;
};

// One value for one parameter, already of the parameter's type.
struct AnswerValue {
    std::size_t param = 0;  // index into the event's parameters
    std::uint16_t vt = 0;
    std::int32_t integer = 0;  // kI2, kI4, kBool
    double real = 0;           // kR8
    std::string text;          // kBstr, UTF-8
};

using Answer = std::vector<AnswerValue>;

class Answers {
public:
    // Reads the file's text; on bad JSON or a bad shape returns false with
    // "LINE:COLUMN: what" in error.  The file is read whole and at most
    // kMaxBytes long.
    static constexpr std::size_t kMaxBytes = 16u << 20;
    bool parse(const std::string &text, std::string &error);

    // Checks the names and values against the events the control fires and
    // converts every value to its parameter's type; false with error as above.
    bool bind(const std::vector<EventShape> &events, std::string &error);

    // The answer to the next call of an event (by its index in the events
    // given to bind) for one listener, whose place in the lists is cursor;
    // nullptr when the file does not answer this call.
    const Answer *next(std::size_t event, std::map<std::size_t, std::size_t> &cursor) const;

    struct Raw;  // the parsed file, until bind

private:
    struct Bound {
        bool every_call = false;  // an object: the one answer for every call
        std::vector<Answer> calls;
    };
    std::vector<Raw> raw_;
    std::map<std::size_t, Bound> bound_;
};

// The parsed file: one entry per event the file names, in file order.
struct Answers::Raw {
    struct Value {
        enum Kind { Number, String, Other } kind = Other;
        std::string text;  // a number's spelling or a string's UTF-8 value
        int line = 0, column = 0;
    };
    struct Entry {  // one answer: parameter name -> value
        struct Item {
            std::string key;
            int line = 0, column = 0;
            Value value;
        };
        std::vector<Item> items;
    };
    std::string event;
    int line = 0, column = 0;
    bool every_call = false;
    std::vector<Entry> calls;
};

}  // namespace zynhost
