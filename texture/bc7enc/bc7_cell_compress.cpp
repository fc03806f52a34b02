#include "texture/bc7enc/bc7_cell_compress.h"

#include <cassert>
#include <cmath>
#include <cstring>

#include "texture/bc7enc/bc7_least_squares.h"
#include "texture/bc7enc/bc7_one_colour.h"
#include "texture/bc7enc/bc7_principal_axis.h"
#include "texture/bc7enc/bc7_solution.h"
#include "texture/bc7enc/bc7_vec.h"

namespace {

bool all_pixels_equal(const Bc7CellParams& cell, uint32_t comps) {
  for (uint32_t i = 1; i < cell.m_num_pixels; ++i)
    if (std::memcmp(cell.m_pixels[i].m_c, cell.m_pixels[0].m_c, comps) != 0) return false;
  return true;
}

// Endpoint codes already scored for this cell. Scoring a solution a second time cannot change
// the results: it kept the solution only if it beat the best of its time, and the best never
// grows. The refits of the selector perturbations often land on the same codes.
class TriedSolutions {
 public:
  // True when `codes` were scored before; otherwise records them (while there is room).
  bool seen_or_add(const Bc7EndpointCodes& codes) {
    uint64_t key;
    std::memcpy(&key, &codes.m_low, 4);
    std::memcpy(reinterpret_cast<uint8_t*>(&key) + 4, &codes.m_high, 4);
    const uint32_t pbits = codes.m_pbits[0] | (codes.m_pbits[1] << 1);
    for (uint32_t i = 0; i < count_; ++i)
      if (keys_[i] == key && pbits_[i] == pbits) return true;
    if (count_ < kCapacity) {
      keys_[count_] = key;
      pbits_[count_++] = static_cast<uint8_t>(pbits);
    }
    return false;
  }

 private:
  static constexpr uint32_t kCapacity = 32;
  uint64_t keys_[kCapacity];
  uint8_t pbits_[kCapacity];
  uint32_t count_ = 0;
};

// Endpoint codes of the least-squares fit to `selectors`.
Bc7EndpointCodes fitted_codes(uint32_t mode, const Bc7CellParams& cell, const uint8_t* selectors) {
  Bc7Vec4 low, high;
  cell.m_least_squares(cell, selectors, low, high);
  const Bc7Vec4 low_colour = bc7_vec_scale(low, 1.0f / 255.0f);
  const Bc7Vec4 high_colour = bc7_vec_scale(high, 1.0f / 255.0f);
  return cell.m_quantise_endpoints(mode, low_colour, high_colour, cell);
}

// Scores `codes` unless they were scored before; returns the best error so far.
uint64_t score_codes(const Bc7CellParams& cell, Bc7CellResults& results, TriedSolutions& tried,
                     const Bc7EndpointCodes& codes) {
  if (!tried.seen_or_add(codes))
    bc7_evaluate_solution(codes.m_low, codes.m_high, codes.m_pbits, cell, results);
  return results.m_best_overall_err;
}

// One refit: least squares for `selectors`, then quantise and score.
uint64_t refit(uint32_t mode, const Bc7CellParams& cell, Bc7CellResults& results,
               TriedSolutions& tried, const uint8_t* selectors) {
  return score_codes(cell, results, tried, fitted_codes(mode, cell, selectors));
}

// Trial selector sets derived from the same selectors, refitted in the order they are queued.
// No fit depends on how another one scores, so all are fitted first (side by side in the
// processor), then scored in order: the same results as one refit after another.
class RefitBatch {
 public:
  // Room for the next trial's selectors (16 entries); queue() takes it.
  uint8_t* next() { return trials_[count_]; }

  // Queues the trial written at next(); a full batch is run at once. Returns the best error so
  // far, 0 as soon as a trial reaches 0 (the caller stops there).
  uint64_t queue(uint32_t mode, const Bc7CellParams& cell, Bc7CellResults& results,
                 TriedSolutions& tried) {
    return ++count_ == kCapacity ? run(mode, cell, results, tried) : results.m_best_overall_err;
  }

  // Refits the queued trials; returns as queue() does.
  uint64_t run(uint32_t mode, const Bc7CellParams& cell, Bc7CellResults& results,
               TriedSolutions& tried) {
    // Every fit, then every quantisation: the calls of one loop do not wait on each other.
    Bc7Vec4 fits[kCapacity][2];
    for (uint32_t t = 0; t < count_; ++t)
      cell.m_least_squares(cell, trials_[t], fits[t][0], fits[t][1]);
    Bc7EndpointCodes codes[kCapacity];
    for (uint32_t t = 0; t < count_; ++t)
      codes[t] = cell.m_quantise_endpoints(mode, bc7_vec_scale(fits[t][0], 1.0f / 255.0f),
                                           bc7_vec_scale(fits[t][1], 1.0f / 255.0f), cell);
    const uint32_t count = count_;
    count_ = 0;
    for (uint32_t t = 0; t < count; ++t)
      if (score_codes(cell, results, tried, codes[t]) == 0) return 0;
    return results.m_best_overall_err;
  }

 private:
  static constexpr uint32_t kCapacity = 16;
  uint8_t trials_[kCapacity][16];
  uint32_t count_ = 0;
};

}  // namespace

uint64_t bc7_cell_compress(uint32_t mode, const Bc7CellParams& cell, Bc7CellResults& results,
                           const Bc7BlockParams& block, const Bc7Vec4* given_axis) {
  assert((mode == 6) || (mode == 7) || (!cell.m_has_alpha));
  results.m_best_overall_err = UINT64_MAX;
  const uint32_t n = cell.m_num_pixels;
  const Bc7Color& first = cell.m_pixels[0];

  if (mode == 1 && (n < 2 || all_pixels_equal(cell, 3)))
    return bc7_pack_mode1_one_colour(cell, results, first.m_c[0], first.m_c[1], first.m_c[2],
                                     results.m_selectors);
  if (mode == 7 && (n == 1 || all_pixels_equal(cell, 4)))
    return bc7_pack_mode7_one_colour(cell, results, first.m_c[0], first.m_c[1], first.m_c[2],
                                     first.m_c[3], results.m_selectors, n, cell.m_pixels);

  // mean / 255 as a division, as the mean itself (bc7_cell_mean).
  const Bc7Vec4 mean = bc7_cell_mean(cell.m_pixels, n);
  Bc7Vec4 mean_colour;
  for (int c = 0; c < 4; ++c) mean_colour.m_c[c] = mean.m_c[c] / 255.0f;
  mean_colour = bc7_vec_clamp01(mean_colour);

  Bc7Vec4 axis;
  if (given_axis != nullptr)
    axis = *given_axis;
  else if (cell.m_has_alpha)
    axis = bc7_principal_axis_rgba(cell.m_pixels, n, mean);
  else
    axis = bc7_principal_axis_rgb(cell.m_pixels, n, mean);
  if (bc7_vec_dot(axis, axis) < 0.5f) {
    // Flat subset: no direction to follow; the diagonal keeps both trial endpoints on the mean.
    axis = Bc7Vec4{{1.0f, 1.0f, 1.0f, cell.m_has_alpha ? 1.0f : 0.0f}};
    bc7_vec_normalize(axis);
  }

  float l = 1e9f, h = -1e9f;
  for (uint32_t i = 0; i < n; ++i) {
    Bc7Vec4 d;
    for (int c = 0; c < 4; ++c) d.m_c[c] = cell.m_pixels[i].m_c[c] - mean.m_c[c];
    const float t = bc7_vec_dot(d, axis);
    l = std::min(l, t);
    h = std::max(h, t);
  }
  Bc7Vec4 low_colour, high_colour;
  for (int c = 0; c < 4; ++c) {
    low_colour.m_c[c] = mean_colour.m_c[c] + axis.m_c[c] * l / 255.0f;
    high_colour.m_c[c] = mean_colour.m_c[c] + axis.m_c[c] * h / 255.0f;
  }
  low_colour = bc7_vec_clamp01(low_colour);
  high_colour = bc7_vec_clamp01(high_colour);
  const auto sum = [](const Bc7Vec4& v) { return v.m_c[0] + v.m_c[1] + v.m_c[2] + v.m_c[3]; };
  if (sum(low_colour) > sum(high_colour)) std::swap(low_colour, high_colour);

  TriedSolutions tried;
  if (score_codes(cell, results, tried,
                  cell.m_quantise_endpoints(mode, low_colour, high_colour, cell)) == 0)
    return 0;

  if (block.m_least_squares) {
    if (refit(mode, cell, results, tried, results.m_selectors) == 0) return 0;
  }

  if (block.m_refinement_level >= 1) {
    const uint32_t top = cell.m_num_selector_weights - 1;
    uint8_t s[16];
    std::memcpy(s, results.m_selectors, n);
    uint32_t smin = top, smax = 0;
    for (uint32_t i = 0; i < n; ++i) {
      smin = std::min<uint32_t>(smin, s[i]);
      smax = std::max<uint32_t>(smax, s[i]);
    }
    // Three perturbations of the best selectors, refitted as one batch.
    RefitBatch batch;
    uint8_t* trial = batch.next();
    for (uint32_t i = 0; i < n; ++i) trial[i] = (s[i] == smin && s[i] < top) ? s[i] + 1 : s[i];
    batch.queue(mode, cell, results, tried);

    trial = batch.next();
    for (uint32_t i = 0; i < n; ++i) trial[i] = (s[i] == smax && s[i] > 0) ? s[i] - 1 : s[i];
    batch.queue(mode, cell, results, tried);

    trial = batch.next();
    for (uint32_t i = 0; i < n; ++i) {
      if (s[i] == smin && s[i] < top)
        trial[i] = s[i] + 1;
      else if (s[i] == smax && s[i] > 0)
        trial[i] = s[i] - 1;
      else
        trial[i] = s[i];
    }
    batch.queue(mode, cell, results, tried);
    if (batch.run(mode, cell, results, tried) == 0) return 0;

    // Stretch the selector range against several low/high anchors.
    if (block.m_refinement_level >= 2 && results.m_best_overall_err > ((n * 56) >> 4)) {
      const int32_t q =
          block.m_refinement_level >= 4 ? static_cast<int32_t>(block.m_refinement_level) - 2 : 1;
      const int32_t top_i = static_cast<int32_t>(top);
      for (int32_t ly = -q; ly <= 1; ++ly) {
        for (int32_t hy = top_i - 1; hy <= top_i + q; ++hy) {
          if (ly == 0 && hy == top_i) continue;
          const float scale = static_cast<float>(top_i) / static_cast<float>(hy - ly);
          // clamp(floor(v), 0, top) by truncation: the two differ only for negative
          // non-integers, which the clamp sends to 0 either way.
          trial = batch.next();
          for (uint32_t i = 0; i < n; ++i) {
            const float v = (static_cast<float>(s[i]) - static_cast<float>(ly)) * scale + 0.5f;
            trial[i] = static_cast<uint8_t>(std::clamp(static_cast<int32_t>(v), 0, top_i));
          }
          if (batch.queue(mode, cell, results, tried) == 0) return 0;
        }
      }
      if (batch.run(mode, cell, results, tried) == 0) return 0;
    }
  }

  if (mode == 1 || mode == 7) {
    uint32_t c[4];
    for (int k = 0; k < 4; ++k) c[k] = static_cast<uint32_t>(mean_colour.m_c[k] * 255.0f + 0.5f);
    uint8_t scratch_selectors[16];
    Bc7CellResults scratch{};
    scratch.m_selectors = scratch_selectors;
    const uint64_t err =
        mode == 1 ? bc7_pack_mode1_one_colour(cell, scratch, c[0], c[1], c[2], scratch_selectors)
                  : bc7_pack_mode7_one_colour(cell, scratch, c[0], c[1], c[2], c[3],
                                              scratch_selectors, n, cell.m_pixels);
    if (err < results.m_best_overall_err) {
      results.m_best_overall_err = err;
      results.m_low_endpoint = scratch.m_low_endpoint;
      results.m_high_endpoint = scratch.m_high_endpoint;
      results.m_pbits[0] = scratch.m_pbits[0];
      results.m_pbits[1] = scratch.m_pbits[1];
      std::memcpy(results.m_selectors, scratch_selectors, n);
    }
  }
  return results.m_best_overall_err;
}
