// Dynamic loading of the plug-in: dlopen on POSIX systems, LoadLibrary on Windows.
#include "host/sim/plugin_loader.h"

#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace orvex_sim {

Plugin::Plugin(const std::string& path) {
#if defined(_WIN32)
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) throw std::runtime_error("cannot load plug-in " + path);
  library_ = module;
  // Through void*: FARPROC's type is unrelated to the entry point's.
  entry_ = reinterpret_cast<EntryPointFunc_Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, "EntryPointFunc")));
#else
  // Never unmapped, as hosts keep plug-ins until they exit: the plug-in's libraries run worker
  // threads (the parallel block loop's scheduler) that would otherwise lose their code under them
  // when the library is closed at exit.
  library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (library_ == nullptr)
    throw std::runtime_error(std::string("cannot load plug-in: ") + dlerror());
  entry_ = reinterpret_cast<EntryPointFunc_Fn>(dlsym(library_, "EntryPointFunc"));
#endif
  if (entry_ == nullptr) {
    close();
    throw std::runtime_error("plug-in " + path + " has no EntryPointFunc");
  }
}

Plugin::~Plugin() {
  close();
}

void Plugin::close() {
  if (library_ == nullptr) return;
#if defined(_WIN32)
  FreeLibrary(static_cast<HMODULE>(library_));
#else
  dlclose(library_);
#endif
  library_ = nullptr;
}

}  // namespace orvex_sim
