// Binding VOSTIK's exports on first call.  Everything runs on the host's
// user-interface thread, so the bindings need no lock.
#include "vostik_binding.h"

#include <array>
#include <string>

#include "runtime_error.h"

namespace rotam::vostik {
namespace {

struct Binding {
    std::string library_name;  // empty: the platform's default
    void *library = nullptr;
    std::array<void *, 49> entries{};
};

Binding &binding() {
    static Binding b;
    return b;
}

void *entry(int ordinal, const char *name) {
    Binding &b = binding();
    void *&slot = b.entries[ordinal - 1];
    if (slot)
        return slot;
    if (!b.library) {
        b.library = platform::open_library(b.library_name.empty() ? platform::default_library()
                                                                  : b.library_name.c_str());
        if (!b.library)
            throw RuntimeError(53, "File not found: vostik");
    }
    slot = platform::find_export(b.library, name);
    if (!slot)
        throw RuntimeError(453, std::string("Can't find DLL entry point ") + name + " in vostik");
    return slot;
}

}  // namespace

#define ROTAM_VOSTIK_EXPORT(ordinal, Result, Name, Params, Args)             \
    Result Name Params {                                                     \
        using Export = Result(ROTAM_VOSTIK_CALL *) Params;                   \
        return reinterpret_cast<Export>(entry(ordinal, #Name)) Args;         \
    }
#include "vostik_binding.inc"
#undef ROTAM_VOSTIK_EXPORT

void rebind_from(const char *library) {
    Binding &b = binding();
    if (b.library)
        platform::close_library(b.library);
    b = Binding{};
    b.library_name = library ? library : "";
}

}  // namespace rotam::vostik
