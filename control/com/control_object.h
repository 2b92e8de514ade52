// The COM face of ZynOptCmd120: the automation interface _ZynOptCmd120 over
// the portable core (rotam::Control), the connection point for the host
// service events, class information and error information.
#pragma once

#include "com_util.h"

namespace rotam::com {

// Makes a new control and asks it for riid.
HRESULT create_control(REFIID riid, void **out);

}  // namespace rotam::com
