#include <windows.h>

#include "vostik_binding.h"

namespace rotam::vostik::platform {

// LoadLibrary adds ".dll" to a name without an extension.
const char *default_library() { return "vostik"; }

void *open_library(const char *name) {
    // A missing library is reported to the caller, not in a system dialog.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(name);
    SetErrorMode(previous);
    return module;
}

void close_library(void *library) { FreeLibrary(static_cast<HMODULE>(library)); }

void *find_export(void *library, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace rotam::vostik::platform
