// The machinery behind the table-driven service wrappers.
//
// A table-driven wrapper names its event (through the event's typed firing
// function), the host version it needs, and one role per event parameter.
// The role says where the argument comes from and what becomes of it:
//
//   In           the caller's variable itself, by reference (what the host
//                writes lands in it); a by-value event parameter is taken
//                by value
//   Out          a temporary starting at 0 / 0.0 / empty, returned as it came
//   Rgb          as Out, but only its low 24 bits are returned
//   Is1          a temporary flag; returns true (-1) when the host wrote 1
//   NonZero      a temporary flag; returns true when the host wrote non-zero
//   Strict       the caller's boolean sent as a flag: 1 only for -1, else 0
//   Loose        the caller's boolean sent as a flag: 1 for any non-zero
//   Inverted     the caller's boolean sent as a flag: 1 for 0, else 0
//   Wide         the caller's 16-bit value sent as a 32-bit temporary
//   Fix<v>       a fixed value the wrapper supplies; Zero is Fix<0>
//   Tmp          a temporary starting at 0 whose answer is dropped
//   SetsNonZero  a temporary flag; afterwards the caller's boolean is set
//                true when the host wrote non-zero, false otherwise
//   SetsIsZero   the same, inverted: true when the host wrote 0
//
// The wrapper's parameters are the roles that take one (In, Strict, Loose,
// Inverted, Wide, SetsNonZero, SetsIsZero), in the event's order.  Roles
// that return something (Out, Rgb, Is1, NonZero) give the wrapper's result;
// there is at most one.  A wrapper refused by the version gate fires nothing,
// touches none of the caller's variables and returns its starting value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "control.h"
#include "service.h"

namespace rotam::wrappers {

// The host versions the catalogue asks for.
enum class Need : std::uint8_t {
    any,  // not gated
    v2017,
    v2019,
    v2020,
    v2021,
    v2023,
    v2026,
    v2028,
    v2029,
    v2031,
    v2033,
    v2034,
};

// The version text of need, as the refusal message quotes it ("2, 0, 1, 7");
// empty for Need::any.
const char16_t *need_text(Need need);

// The version gate of one call: true for Need::any; otherwise the outcome
// of ZynCheckVersion, which shows the refusal message when the host is older.
bool host_is_at_least(Need need);

// ---- Roles ----------------------------------------------------------------

struct In {};
struct Out {};
struct Rgb {};
struct Is1 {};
struct NonZero {};
struct Strict {};
struct Loose {};
struct Inverted {};
struct Wide {};
template <auto V> struct Fix {};
using Zero = Fix<0>;
struct Tmp {};
struct SetsNonZero {};
struct SetsIsZero {};

namespace detail {

template <class... T> struct List {};

// Marks a slot that takes no wrapper parameter.
struct NoParam {};

template <class E> using Value = std::remove_cvref_t<E>;

// A temporary of the event parameter's type, starting at its zero.
template <class E> struct Temp {
    static_assert(std::is_lvalue_reference_v<E>, "a temporary needs a by-reference event parameter");
    Value<E> v{};
    Value<E> &arg() { return v; }
};

// One event argument: built from the wrapper parameter its role takes (if
// any), handed to the firing function, then asked for the result.
template <class Role, class E> struct Slot;

template <class E> struct Slot<In, E> {
    using Param = E;  // T& for a by-reference parameter, T for a by-value one
    static constexpr bool takes_param = true;
    E v;
    explicit Slot(E p) : v(p) {}
    E arg() { return v; }
};

template <class E> struct Slot<Out, E> : Temp<E> {
    using Param = void;
    static constexpr bool takes_param = false;
    using Result = Value<E>;
    explicit Slot(NoParam) {}
    Result result() const { return this->v; }
};

template <class E> struct Slot<Rgb, E> : Temp<E> {
    static_assert(std::is_same_v<Value<E>, std::int32_t>);
    using Param = void;
    static constexpr bool takes_param = false;
    using Result = std::int32_t;
    explicit Slot(NoParam) {}
    Result result() const { return this->v & 0xFFFFFF; }
};

template <class E> struct Slot<Is1, E> : Temp<E> {
    using Param = void;
    static constexpr bool takes_param = false;
    using Result = Flag;
    explicit Slot(NoParam) {}
    Result result() const { return bool_strict(this->v); }
};

template <class E> struct Slot<NonZero, E> : Temp<E> {
    using Param = void;
    static constexpr bool takes_param = false;
    using Result = Flag;
    explicit Slot(NoParam) {}
    Result result() const { return bool_loose(this->v); }
};

template <class E> struct Slot<Strict, E> : Temp<E> {
    using Param = Flag;
    static constexpr bool takes_param = true;
    explicit Slot(Flag b) { this->v = flag_strict(b); }
};

template <class E> struct Slot<Loose, E> : Temp<E> {
    using Param = Flag;
    static constexpr bool takes_param = true;
    explicit Slot(Flag b) { this->v = flag_loose(b); }
};

template <class E> struct Slot<Inverted, E> : Temp<E> {
    using Param = Flag;
    static constexpr bool takes_param = true;
    explicit Slot(Flag b) { this->v = b == 0 ? 1 : 0; }
};

template <class E> struct Slot<Wide, E> : Temp<E> {
    static_assert(std::is_same_v<Value<E>, std::int32_t>, "only 32-bit parameters are widened");
    using Param = std::int16_t;
    static constexpr bool takes_param = true;
    explicit Slot(std::int16_t p) { this->v = p; }
};

template <auto V, class E> struct Slot<Fix<V>, E> : Temp<E> {
    using Param = void;
    static constexpr bool takes_param = false;
    explicit Slot(NoParam) { this->v = static_cast<Value<E>>(V); }
};

template <class E> struct Slot<Tmp, E> : Temp<E> {
    using Param = void;
    static constexpr bool takes_param = false;
    explicit Slot(NoParam) {}
};

template <class E> struct Slot<SetsNonZero, E> : Temp<E> {
    using Param = Flag &;
    static constexpr bool takes_param = true;
    Flag &target;
    explicit Slot(Flag &t) : target(t) {}
    void finish() { target = bool_loose(this->v); }
};

template <class E> struct Slot<SetsIsZero, E> : Temp<E> {
    using Param = Flag &;
    static constexpr bool takes_param = true;
    Flag &target;
    explicit Slot(Flag &t) : target(t) {}
    void finish() { target = this->v == 0 ? -1 : 0; }
};

// ---- Type lists ---------------------------------------------------------------

template <class Fire> struct EventParams;
template <class... E> struct EventParams<void (*)(HostEvents &, E...)> {
    using type = List<E...>;
};

template <class Roles, class Events> struct Zip;
template <class... R, class... E> struct Zip<List<R...>, List<E...>> {
    static_assert(sizeof...(R) == sizeof...(E), "the table needs one role per event parameter");
    using type = List<Slot<R, E>...>;
};

template <class Acc, class... S> struct ParamsOf {
    using type = Acc;
};
template <class... P, class S0, class... S> struct ParamsOf<List<P...>, S0, S...> {
    using type = typename ParamsOf<
        std::conditional_t<S0::takes_param, List<P..., typename S0::Param>, List<P...>>, S...>::type;
};

template <class S> concept Returns = requires(const S &s) { s.result(); };

template <class... S> constexpr std::size_t result_count() { return (0 + ... + (Returns<S> ? 1 : 0)); }

template <class... S> constexpr std::size_t result_index() {
    constexpr std::array<bool, sizeof...(S)> returns{Returns<S>...};
    for (std::size_t i = 0; i < returns.size(); ++i)
        if (returns[i])
            return i;
    return 0;
}

template <bool has, std::size_t I, class... S> struct ResultOf {
    using type = void;
};
template <std::size_t I, class... S> struct ResultOf<true, I, S...> {
    using type = typename std::tuple_element_t<I, std::tuple<S...>>::Result;
};

template <class R, std::size_t> using Always = R;
template <class R, class Seq> struct RepeatImpl;
template <class R, std::size_t... I> struct RepeatImpl<R, std::index_sequence<I...>> {
    using type = List<Always<R, I>...>;
};

template <class A, class B> struct Concat;
template <class... A, class... B> struct Concat<List<A...>, List<B...>> {
    using type = List<A..., B...>;
};

template <auto Fire> constexpr std::size_t arity() {
    return []<class... E>(List<E...>) { return sizeof...(E); }(typename EventParams<decltype(Fire)>::type{});
}

// ---- The wrapper --------------------------------------------------------------

template <Need N, auto Fire, class Slots, class Params> struct Impl;

template <Need N, auto Fire, class... S, class... P>
struct Impl<N, Fire, List<S...>, List<P...>> {
    static_assert(result_count<S...>() <= 1, "a wrapper returns at most one value");
    static constexpr bool has_result = result_count<S...>() == 1;
    static constexpr std::size_t result_at = result_index<S...>();
    using Result = typename ResultOf<has_result, result_at, S...>::type;
    using Params = List<P...>;
    static constexpr Need need = N;

    Result operator()(Control &c, P... p) const {
        if (!host_is_at_least(N))
            return Result();
        auto params = std::forward_as_tuple(p...);
        return run(c, params, std::index_sequence_for<S...>{});
    }

private:
    // Position of slot I's wrapper parameter among the wrapper's parameters.
    template <std::size_t I> static constexpr std::size_t param_at() {
        constexpr std::array<bool, sizeof...(S)> takes{S::takes_param...};
        std::size_t n = 0;
        for (std::size_t i = 0; i < I; ++i)
            n += takes[i];
        return n;
    }

    template <std::size_t I, class Tuple> static decltype(auto) source(Tuple &params) {
        using Sl = std::tuple_element_t<I, std::tuple<S...>>;
        if constexpr (Sl::takes_param)
            return std::get<param_at<I>()>(params);
        else
            return NoParam{};
    }

    template <class Tuple, std::size_t... I>
    static Result run(Control &c, Tuple &params, std::index_sequence<I...>) {
        std::tuple<S...> slots{source<I>(params)...};
        std::apply([&c](auto &...s) { Fire(c.host(), s.arg()...); }, slots);
        std::apply([](auto &...s) { (finish(s), ...); }, slots);
        if constexpr (has_result)
            return std::get<result_at>(slots).result();
    }

    template <class Sl> static void finish(Sl &s) {
        if constexpr (requires { s.finish(); })
            s.finish();
    }
};

template <class Slots> struct WrapperParams;
template <class... S> struct WrapperParams<List<S...>> {
    using type = typename ParamsOf<List<>, S...>::type;
};

template <Need N, auto Fire, class Roles> struct WrapperOf {
    using slots = typename Zip<Roles, typename EventParams<decltype(Fire)>::type>::type;
    using type = Impl<N, Fire, slots, typename WrapperParams<slots>::type>;
};

template <class R, std::size_t n> using Repeat = typename RepeatImpl<R, std::make_index_sequence<n>>::type;

}  // namespace detail

// A wrapper with one role per event parameter.
template <Need N, auto Fire, class... Roles>
using Wrap = typename detail::WrapperOf<N, Fire, detail::List<Roles...>>::type;

// Rule A for every parameter.
template <Need N, auto Fire>
using Pass = typename detail::WrapperOf<N, Fire, detail::Repeat<In, detail::arity<Fire>()>>::type;

// Rule A for the leading parameters, Last for the last one.
template <Need N, auto Fire, class Last>
using Query = typename detail::WrapperOf<
    N, Fire,
    typename detail::Concat<detail::Repeat<In, detail::arity<Fire>() - 1>, detail::List<Last>>::type>::type;

}  // namespace rotam::wrappers
