// Constant-rate frame placement.
#include "cli/frame_timing.h"

namespace orvex_cli {

uint64_t FramePlacer::fill(int64_t until_slot, bool last) {
  const int64_t free_slots = until_slot - static_cast<int64_t>(filled_);
  uint64_t count = free_slots > 0 ? static_cast<uint64_t>(free_slots) : 0;
  if (last && filled_ == 0 && count == 0 && until_slot >= 0) count = 1;
  // A frame that ends at or before the start was never meant to be seen (a seek's pre-roll).
  if (count == 0 && until_slot > 0) ++dropped_;
  filled_ += count;
  return count;
}

uint64_t FramePlacer::next(int64_t start_slot) {
  if (!pending_) {
    pending_ = true;
    return 0;
  }
  return fill(start_slot, false);
}

uint64_t FramePlacer::end(int64_t end_slot) {
  if (!pending_) return 0;
  pending_ = false;
  return fill(end_slot, true);
}

}  // namespace orvex_cli
