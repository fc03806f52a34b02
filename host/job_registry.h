#pragma once
// The process-wide registry of running renders: one entry per output handle (compared as a
// pointer-sized unsigned value) owning its RenderJob and the output size the job was made for.
// Used from the host's render thread only; no lock.
#include <cstdint>
#include <map>
#include <memory>

#include "job/render_job.h"

namespace orvex_host {

struct RegisteredJob {
  std::unique_ptr<RenderJob> job;
  int32_t width = 0;  // output size in pixels; a frame world must cover it
  int32_t height = 0;
  bool audio = false;  // the movie has an audio track for the host's sound
};

class JobRegistry {
 public:
  static JobRegistry& instance();

  // The entry for `key`, or nullptr.
  RegisteredJob* find(uintptr_t key);
  bool contains(uintptr_t key) const { return jobs_.count(key) != 0; }
  // Records `entry` under `key`; `key` must not be present.
  void insert(uintptr_t key, RegisteredJob entry);
  // Removes and destroys the entry, if any.
  void erase(uintptr_t key);
  // Destroys every job: their threads are joined and their files closed, unfinished.
  void clear() { jobs_.clear(); }
  size_t size() const { return jobs_.size(); }

 private:
  std::map<uintptr_t, RegisteredJob> jobs_;
};

}  // namespace orvex_host
