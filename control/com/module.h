// What the whole component shares: its module handle, the counts that decide
// whether it may be unloaded, and its type library.
#pragma once

#include "com_util.h"

namespace rotam::com {

HINSTANCE module_instance();
std::wstring module_path();

// Every live COM object of the component counts; so do class factory
// references and server locks.
void object_created();
void object_destroyed();
void lock_server(bool lock);

// The type library embedded in the component, loaded on first use.
HRESULT type_library(ITypeLib **out);
HRESULT type_info(REFGUID guid, ITypeInfo **out);

// Reports a run-time error the way automation clients expect it: error info
// for the calling thread, and EXCEPINFO when the caller passed one.  Returns
// the HRESULT Invoke should answer.
HRESULT report_error(std::int32_t number, const char *text, REFGUID source_iid, EXCEPINFO *excep);

// HRESULT of a run-time error number: 0x800A0000 + number.
constexpr HRESULT error_hresult(std::int32_t number) {
    return static_cast<HRESULT>(0x800A0000u | (static_cast<std::uint32_t>(number) & 0xFFFFu));
}

}  // namespace rotam::com
