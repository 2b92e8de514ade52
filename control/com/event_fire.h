// Raising a host service event on the connected sinks.
#pragma once

#include <cstddef>
#include <span>

#include "com_util.h"
#include "host_events.h"

namespace rotam::com {

// Invokes dispid on each sink in turn, with the arguments as by-reference
// VARIANTs of their declared types (the one by-value kind goes by value), in
// automation order (last argument first).  What a sink leaves in the
// arguments is read back before the next sink sees them; a sink that fails
// leaves the caller's values as they were, and so does having no sink.
// Throws RuntimeError only when memory runs out.
void fire_event(std::span<const com_ptr<IDispatch>> sinks, DISPID dispid, EventArg *args,
                std::size_t count);

}  // namespace rotam::com
