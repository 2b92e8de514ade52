// The service wrappers: how command code asks the host for a service.
//
// Command code never fires a host event itself; it calls the wrapper of the
// same name with the running control first:
//
//     using namespace rotam::wrappers;
//     Long layer = ZynGetCLayer(control);
//     Flag on = ZynLayerOn(control, no, onoff, /*Disp*/ -1);
//     Long p = ZynCreateLine(control, x1, y1, x2, y2);
//
// The list of wrappers, grouped as the host services are grouped, one line
// each with what it fires, what it returns and the host version it needs, is
// wrappers_catalogue.inc.  What every wrapper does the same way:
//
//   - Booleans are -1 (true) and 0 (false) on this side; the host's flags are
//     1 and 0.  A boolean sent strictly reaches the host as 1 only when it is
//     -1 (so 1 is sent as 0); sent loosely, any non-zero value is 1.
//   - Parameters that are not booleans are the caller's own variables, passed
//     by reference: what the host writes lands in them.  16-bit values sent
//     in 32-bit slots (Wide), and booleans, go as temporaries instead.
//   - A gated wrapper first checks the host version (HostVersion).  When the
//     host is older it shows the refusal message, fires nothing, leaves the
//     caller's variables alone and returns 0, empty text or false.
//   - A host that does not answer leaves the temporaries at 0, 0.0 or empty.
//   - Errors (a malformed host version, a subscript beyond an array) are
//     RuntimeError, raised to the caller.
//
// The roles that the table-driven lines use (In, Out, Strict, Loose, ...) are
// explained in wrappers_engine.h.  The record and package wrappers are in
// record.h; the version gate's ZynVersionNumber and ZynCheckVersion in
// service.h.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "control.h"
#include "core_events.h"
#include "service.h"
#include "wrappers_engine.h"

namespace rotam::wrappers {

#define ROTAM_PASS(Name, need) inline constexpr Pass<Need::need, &events::Name> Name{};
#define ROTAM_GET(Name, need, Role) inline constexpr Query<Need::need, &events::Name, Role> Name{};
#define ROTAM_QUERY(Name, need, Role) inline constexpr Query<Need::need, &events::Name, Role> Name{};
#define ROTAM_WRAP(Name, need, ...) inline constexpr Wrap<Need::need, &events::Name, __VA_ARGS__> Name{};
#define ROTAM_WRAP_OF(Name, Event, need, ...) \
    inline constexpr Wrap<Need::need, &events::Event, __VA_ARGS__> Name{};
#define ROTAM_SETTING_GET(Type, id, need) \
    inline constexpr Wrap<Need::need, &events::ZynGet##Type, Fix<id>, Out> ZynGet##Type##id{};
#define ROTAM_SETTING_SET(Type, id, need) \
    inline constexpr Wrap<Need::need, &events::ZynSet##Type, Fix<id>, In> ZynSet##Type##id{};
#define ROTAM_SETTING(Type, id, need) ROTAM_SETTING_GET(Type, id, need) ROTAM_SETTING_SET(Type, id, need)
#define ROTAM_SPECIAL(Result, Name, ...) Result Name(Control &c __VA_OPT__(, ) __VA_ARGS__);

#include "wrappers_catalogue.inc"

#undef ROTAM_PASS
#undef ROTAM_GET
#undef ROTAM_QUERY
#undef ROTAM_WRAP
#undef ROTAM_WRAP_OF
#undef ROTAM_SETTING_GET
#undef ROTAM_SETTING_SET
#undef ROTAM_SETTING
#undef ROTAM_SPECIAL

}  // namespace rotam::wrappers
