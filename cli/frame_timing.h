#pragma once
// Constant-rate placement of timestamped frames, as a player shows them: output slot k (time
// k / rate from the start) shows the latest frame whose start time, in slots and rounded to the
// nearest, is at most k. A frame is therefore repeated until the next one starts, and a frame
// that another replaces within the same slot is dropped. Pure arithmetic, no decoding.

#include <cstdint>

namespace orvex_cli {

class FramePlacer {
 public:
  // The next frame starts at slot `start_slot` (negative before the start). Returns how many
  // slots the previous frame fills (0: it is dropped or lies before the start); the first call
  // returns 0.
  uint64_t next(int64_t start_slot);
  // The input ended at slot `end_slot` (the end of the last frame). Returns how many slots the
  // last frame fills: at least 1 when no frame was placed yet and the end is not before the
  // start.
  uint64_t end(int64_t end_slot);

  uint64_t placed() const { return filled_; }
  // Frames left out because a later one started in the same slot.
  uint64_t dropped() const { return dropped_; }

 private:
  uint64_t fill(int64_t until_slot, bool last);

  bool pending_ = false;  // a frame waits for the start of the next one
  uint64_t filled_ = 0;   // slots 0 .. filled_ - 1 are placed
  uint64_t dropped_ = 0;
};

}  // namespace orvex_cli
