// A scripted host for tests of the control's core: it records every event
// the control raises (DISPID, the arguments as sent and as left after the
// handler) and answers events through handlers the test installs.
//
//   FakeHost host;
//   host.on(224, [](HostCall &c) { c.str(0) = u"2, 0, 3, 4"; });
//   ... drive the control ...
//   EXPECT_EQ(host.dispids(), (std::vector<std::int32_t>{224, 1}));
//
// An argument passed by value (ArgType::I4ByVal) reaches the handler as a
// copy, so a handler that writes to it changes nothing, as with a real host.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "control.h"
#include "host_events.h"
#include "service.h"

namespace rotam::testing {

using ArgValue = std::variant<std::int16_t, std::int32_t, double, std::u16string>;

// One event as the handler sees it: typed access to each argument by index.
class HostCall {
public:
    HostCall(std::int32_t dispid, EventArg *args, std::size_t count)
        : dispid_(dispid), args_(args), count_(count) {}
    std::int32_t dispid() const { return dispid_; }
    std::size_t count() const { return count_; }
    std::int16_t &i2(std::size_t i) { return ref<std::int16_t>(i, ArgType::I2); }
    std::int32_t &i4(std::size_t i) {
        return ref<std::int32_t>(i, args_[check(i)].type == ArgType::I4ByVal ? ArgType::I4ByVal
                                                                             : ArgType::I4);
    }
    double &r8(std::size_t i) { return ref<double>(i, ArgType::R8); }
    std::u16string &str(std::size_t i) { return ref<std::u16string>(i, ArgType::Str); }

private:
    std::size_t check(std::size_t i) const {
        if (i >= count_)
            throw std::logic_error("event " + std::to_string(dispid_) + " has no argument " +
                                   std::to_string(i));
        return i;
    }
    template <class T> T &ref(std::size_t i, ArgType want) {
        if (args_[check(i)].type != want)
            throw std::logic_error("event " + std::to_string(dispid_) + ": argument " +
                                   std::to_string(i) + " has another type");
        return *static_cast<T *>(args_[i].ref);
    }
    std::int32_t dispid_;
    EventArg *args_;
    std::size_t count_;
};

struct RecordedEvent {
    std::int32_t dispid;
    std::vector<ArgType> types;
    std::vector<ArgValue> sent;  // as the control passed them
    std::vector<ArgValue> after;  // as the control reads them back
};

class FakeHost : public HostEvents {
public:
    using Handler = std::function<void(HostCall &)>;

    // Answers every later event with this DISPID (replacing an earlier handler;
    // an empty one leaves the event unanswered).
    void on(std::int32_t dispid, Handler handler) { handlers_[dispid] = std::move(handler); }
    // Answers ZynGetZynVersion (224) with a fixed text.
    void answer_version(std::u16string version) {
        on(224, [version](HostCall &c) { c.str(0) = version; });
    }

    void fire(std::int32_t dispid, EventArg *args, std::size_t count) override {
        // Stored before the handler runs: it may fire nested events itself.
        events_.push_back({dispid, {}, {}, {}});
        const std::size_t at = events_.size() - 1;
        for (std::size_t i = 0; i < count; ++i) {
            events_[at].types.push_back(args[i].type);
            events_[at].sent.push_back(read(args[i]));
        }
        if (auto h = handlers_.find(dispid); h != handlers_.end() && h->second) {
            std::vector<EventArg> seen(args, args + count);
            std::vector<std::int32_t> by_value(count);
            for (std::size_t i = 0; i < count; ++i)
                if (seen[i].type == ArgType::I4ByVal) {
                    by_value[i] = *static_cast<std::int32_t *>(seen[i].ref);
                    seen[i].ref = &by_value[i];
                }
            HostCall call(dispid, seen.data(), count);
            Handler handler = h->second;  // the handler may replace itself
            handler(call);
        }
        for (std::size_t i = 0; i < count; ++i)
            events_[at].after.push_back(read(args[i]));
    }

    const std::vector<RecordedEvent> &events() const { return events_; }
    std::vector<std::int32_t> dispids() const {
        std::vector<std::int32_t> out;
        for (const auto &e : events_)
            out.push_back(e.dispid);
        return out;
    }
    std::size_t count(std::int32_t dispid) const {
        std::size_t n = 0;
        for (const auto &e : events_)
            n += e.dispid == dispid;
        return n;
    }
    void clear() { events_.clear(); }

private:
    static ArgValue read(const EventArg &a) {
        switch (a.type) {
        case ArgType::I2:
            return *static_cast<const std::int16_t *>(a.ref);
        case ArgType::I4:
        case ArgType::I4ByVal:
            return *static_cast<const std::int32_t *>(a.ref);
        case ArgType::R8:
            return *static_cast<const double *>(a.ref);
        case ArgType::Str:
            return *static_cast<const std::u16string *>(a.ref);
        }
        throw std::logic_error("unknown argument type");
    }

    std::map<std::int32_t, Handler> handlers_;
    std::vector<RecordedEvent> events_;
};

// The names of the input-state properties that differ between two states, in
// interface order: an empty list means equal.
inline std::vector<std::string> changed_properties(const InputState &a, const InputState &b) {
    std::vector<std::string> names;
#define ROTAM_PROPERTY(name, Type) \
    if (!(a.name == b.name))        \
        names.push_back(#name);
#include "properties.inc"
#undef ROTAM_PROPERTY
    return names;
}

// Owns a control the way the COM object does: counts references and tears
// the control down when the last one goes.  The test holds the first
// reference, as the host holds the one it created.
class FakeOwner : public ControlOwner {
public:
    FakeHost host_events;
    Control control{*this};

    HostEvents &host() override { return host_events; }
    void add_ref() override { ++refs_; }
    void release() override {
        if (refs_ <= 0)
            throw std::logic_error("control released more often than referenced");
        if (--refs_ == 0) {
            control.teardown();
            torn_down_ = true;
        }
    }
    int refs() const { return refs_; }
    bool torn_down() const { return torn_down_; }

private:
    int refs_ = 1;
    bool torn_down_ = false;
};

// The run-time error a call raises (number 0 when it raises none), and just
// its number.
template <class F> RuntimeError raised(F &&f) {
    try {
        f();
    } catch (const RuntimeError &e) {
        return e;
    }
    return RuntimeError(0, "");
}
template <class F> std::int32_t error_of(F &&f) { return raised(std::forward<F>(f)).number(); }

// Stands in for the platform's message boxes while it lives: records every
// box asked for and answers with `answer` (IDOK unless a test says else).
class FakeMessageBox : public MessageBoxUi {
public:
    struct Shown {
        std::u16string text;
        std::u16string title;
        std::uint32_t style;
    };
    std::vector<Shown> shown;
    int answer = 1;

    FakeMessageBox() { set_message_box(this); }
    ~FakeMessageBox() override { set_message_box(nullptr); }
    FakeMessageBox(const FakeMessageBox &) = delete;
    FakeMessageBox &operator=(const FakeMessageBox &) = delete;

    int show(const std::u16string &text, const std::u16string &title, std::uint32_t style) override {
        shown.push_back({text, title, style});
        return answer;
    }
};

}  // namespace rotam::testing
