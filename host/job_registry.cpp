// The registry of running renders.
#include "host/job_registry.h"

#include <cassert>
#include <utility>

namespace orvex_host {

JobRegistry& JobRegistry::instance() {
  static JobRegistry registry;
  return registry;
}

RegisteredJob* JobRegistry::find(uintptr_t key) {
  auto it = jobs_.find(key);
  return it == jobs_.end() ? nullptr : &it->second;
}

void JobRegistry::insert(uintptr_t key, RegisteredJob entry) {
  const bool inserted = jobs_.emplace(key, std::move(entry)).second;
  assert(inserted);
  (void)inserted;
}

void JobRegistry::erase(uintptr_t key) {
  jobs_.erase(key);
}

}  // namespace orvex_host
