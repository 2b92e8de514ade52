// Typed firing of the four host events the control's core raises itself.
//
// The event catalogue's generator writes one such function per event into
// events_generated.h; once that header is on the include path it takes over
// and the hand-written stand-ins below drop out.  They have the generated
// functions' names and signatures, so nothing that includes this header
// notices the switch.  Internal linkage keeps the stand-ins from clashing with
// the generated definitions if both ever end up in one link.
#pragma once

#if __has_include("events_generated.h")
#include "events_generated.h"
#else

#include <cstdint>
#include <string>

#include "host_events.h"

namespace rotam::events {
namespace {

inline void ZynExitCommand(HostEvents &h) { h.fire(1, nullptr, 0); }

inline void ZynGetZynVersion(HostEvents &h, std::u16string &ver) {
    EventArg args[] = {arg(ver)};
    h.fire(224, args, 1);
}

inline void ZynGetActiveZoririTitle(HostEvents &h, std::u16string &DocTitle,
                                    std::u16string &VwTitle, std::int16_t &result) {
    EventArg args[] = {arg(DocTitle), arg(VwTitle), arg(result)};
    h.fire(255, args, 3);
}

inline void ZynGetRestGCIN(HostEvents &h, double &vcx, double &vcy, double &vcxUp, double &vcyUp,
                           double &dcz, double &dczUp, double &gcz, double &gczUp, double &scx,
                           double &scy, double &scz, double &scxUp, double &scyUp, double &sczUp) {
    EventArg args[] = {arg(vcx), arg(vcy), arg(vcxUp), arg(vcyUp), arg(dcz),
                       arg(dczUp), arg(gcz), arg(gczUp), arg(scx), arg(scy),
                       arg(scz), arg(scxUp), arg(scyUp), arg(sczUp)};
    h.fire(264, args, 14);
}

}  // namespace
}  // namespace rotam::events

#endif
