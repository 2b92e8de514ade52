#include <dlfcn.h>

#include "vostik_binding.h"

namespace rotam::vostik::platform {

const char *default_library() { return "libvostik.so"; }

void *open_library(const char *name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void close_library(void *library) { dlclose(library); }

void *find_export(void *library, const char *name) { return dlsym(library, name); }

}  // namespace rotam::vostik::platform
