// VOSTIK's exports as command code calls them.
//
// The component does not link the library: each function is bound by name
// the first time it is called, from the library "vostik" (VOSTIK.DLL on
// Windows, found the way the platform finds a DLL; libvostik.so elsewhere),
// which is loaded then and not before.  A missing library raises
// RuntimeError 53 "File not found: vostik", a missing export 453 "Can't find
// DLL entry point <name> in vostik"; the call is then not made.  The next
// call tries again.
//
// What each function computes is the library's business (its header in the
// library's own tree); here only the binary interface is restated: doubles
// by value, outputs through pointers, the platform's standard calling
// convention on 32-bit Windows.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define ROTAM_VOSTIK_CALL __stdcall
#else
#define ROTAM_VOSTIK_CALL
#endif

namespace rotam::vostik {

#if defined(_WIN32)
using Key = void *;  // an open registry key
#else
using Key = int;  // an open directory descriptor
#endif

#define ROTAM_VOSTIK_EXPORT(ordinal, Result, Name, Params, Args) Result Name Params;
#include "vostik_binding.inc"
#undef ROTAM_VOSTIK_EXPORT

// Forgets every binding (closing the library if one was loaded) and binds the
// next calls from library instead of the platform's "vostik"; nullptr goes
// back to "vostik".  For tests that need a missing library or export.
void rebind_from(const char *library);

namespace platform {
// The library's name as the platform loader wants it.
const char *default_library();
// nullptr when the library cannot be loaded.
void *open_library(const char *name);
void close_library(void *library);
// nullptr when the library has no export of that name.
void *find_export(void *library, const char *name);
}  // namespace platform

}  // namespace rotam::vostik
