// The identifiers of the component's type library, classes and interfaces
// (the same values as in its type library), and the names the registry knows
// them by.  Each component has its own: they come from the
// component_identity.h that cmake/RotamOptionCommand.cmake generates for it.
#pragma once

#include <windows.h>

#include "component_identity.h"

namespace rotam::com {

inline constexpr GUID LIBID_component = ROTAM_LIBID_STRUCT;
inline constexpr GUID DIID__ZynOptCmd120 = ROTAM_CONTROL_IID_STRUCT;
inline constexpr GUID DIID___ZynOptCmd120 = ROTAM_EVENTS_IID_STRUCT;
inline constexpr GUID CLSID_ZynOptCmd120 = ROTAM_CLSID_STRUCT;
inline constexpr GUID DIID__QVZ_Class = ROTAM_RECORD_IID_STRUCT;
inline constexpr GUID CLSID_QVZ_Class = ROTAM_RECORD_CLSID_STRUCT;
// The name rotamcmd's own code and tests have always used.
inline constexpr const GUID &LIBID_rotamcmd = LIBID_component;

inline constexpr wchar_t kProgId[] = ROTAM_PROGID_W;
inline constexpr wchar_t kLibraryName[] = ROTAM_LIBRARY_W;
inline constexpr WORD kLibraryMajor = ROTAM_LIBRARY_MAJOR;
inline constexpr WORD kLibraryMinor = ROTAM_LIBRARY_MINOR;

}  // namespace rotam::com
