#pragma once
// Loads the plug-in library at run time and finds its entry point, as the host does at start-up.
#include <string>

#include "host/host_suites.h"

namespace orvex_sim {

class Plugin {
 public:
  // Loads `path`; throws std::runtime_error when the library or EntryPointFunc is missing.
  explicit Plugin(const std::string& path);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  EntryPointFunc_Fn entry_point() const { return entry_; }

 private:
  void close();

  void* library_ = nullptr;
  EntryPointFunc_Fn entry_ = nullptr;
};

}  // namespace orvex_sim
