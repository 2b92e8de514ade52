// What the wrapper tests share: a control on a scripted host with the
// message box and the message pump replaced, and typed access to what the
// host was sent.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "fake_host.h"
#include "record.h"
#include "refresh_pump.h"
#include "wrappers.h"

namespace rotam::testing {

// Counts how often pending window messages were let run, and how many
// events had been fired by then.
class FakePump : public MessagePump {
public:
    explicit FakePump(const FakeHost &host) : host_(host) { set_message_pump(this); }
    ~FakePump() override { set_message_pump(nullptr); }
    void run_pending() override { ran_after.push_back(host_.events().size()); }
    std::vector<std::size_t> ran_after;

private:
    const FakeHost &host_;
};

class WrapperTest : public ::testing::Test {
protected:
    void SetUp() override {
        HostVersion() = u"2, 0, 3, 4";
        DropCurrentRecord();
    }
    void TearDown() override {
        HostVersion().clear();
        DropCurrentRecord();
    }

    const RecordedEvent &last() const { return host.events().back(); }
    const RecordedEvent &event(std::size_t i) const { return host.events().at(i); }

    FakeOwner owner;
    FakeHost &host = owner.host_events;
    Control &c = owner.control;
    FakeMessageBox box;
    FakePump pump{host};
};

// An argument as a number, whatever its width.
inline double num(const ArgValue &v) {
    return std::visit(
        [](const auto &x) -> double {
            if constexpr (std::is_same_v<std::decay_t<decltype(x)>, std::u16string>)
                return -999999;
            else
                return static_cast<double>(x);
        },
        v);
}
inline std::u16string text(const ArgValue &v) { return std::get<std::u16string>(v); }

inline std::vector<double> nums(const std::vector<ArgValue> &args) {
    std::vector<double> out;
    for (const auto &a : args)
        out.push_back(num(a));
    return out;
}

// The refusal message for a required version.
inline std::u16string refusal(const std::u16string &need) {
    return u"このオプションコマンドはZYN-CAD for Windows Ver " + need + u"以上で使用して下さい";
}

// Calls a table-driven wrapper with a sample value for each of its
// parameters: non-zero numbers, true, a non-empty text.
template <class W> void call_with_samples(const W &w, Control &c) {
    [&]<class... P>(wrappers::detail::List<P...>) {
        std::tuple<std::remove_cvref_t<P>...> values{};
        std::apply(
            [&](auto &...v) {
                [[maybe_unused]] auto fill = [](auto &x) {
                    if constexpr (std::is_same_v<std::decay_t<decltype(x)>, std::u16string>)
                        x = u"x";
                    else if constexpr (std::is_same_v<std::decay_t<decltype(x)>, std::int16_t>)
                        x = -1;
                    else
                        x = 3;
                };
                (fill(v), ...);
                w(c, v...);
            },
            values);
    }(typename W::Params{});
}

}  // namespace rotam::testing
