#include "texture/bc7enc/bc7_rotated.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "texture/bc7enc/bc7_cell_compress.h"
#include "texture/bc7enc/bc7_mode_cells.h"
#include "texture/bc7enc/bc7_refine.h"

namespace {

// Sweeps of the alpha slot's refinement while ranking candidates; the chosen block is refined
// in full afterwards.
constexpr uint32_t kScalarSweeps = 2;

}  // namespace

uint64_t bc7_rotated_search(uint32_t mode, uint32_t rotation, uint32_t index_selector,
                            const Bc7Color* pixels, const Bc7Kernels& kernels,
                            const Bc7BlockParams& params, uint64_t limit_err,
                            Bc7BlockResult& result) {
  std::memset(&result, 0, sizeof result);
  result.m_mode = mode;
  result.m_rotation = rotation;
  result.m_index_selector = index_selector;
  const Bc7ModeShape shape = bc7_mode_shape(mode);
  const bool swap_sets = mode == 4 && index_selector != 0;

  Bc7Color rotated[16];
  uint8_t values[16];
  uint32_t v_min = 255, v_max = 0;
  for (uint32_t i = 0; i < 16; ++i) {
    rotated[i] = pixels[i];
    if (rotation != 0) std::swap(rotated[i].m_c[3], rotated[i].m_c[rotation - 1]);
    values[i] = rotated[i].m_c[3];
    v_min = std::min<uint32_t>(v_min, values[i]);
    v_max = std::max<uint32_t>(v_max, values[i]);
  }
  const uint32_t top = (1u << shape.alpha_bits) - 1;
  result.m_low[0].m_c[3] = static_cast<uint8_t>((v_min * top + 127) / 255);
  result.m_high[0].m_c[3] = static_cast<uint8_t>((v_max * top + 127) / 255);
  const uint64_t scalar_err =
      bc7_refine_scalar(values, shape.alpha_bits, mode == 4 && !swap_sets ? 3 : 2, kScalarSweeps,
                        result.m_low[0].m_c[3], result.m_high[0].m_c[3], result.m_alpha_selectors);
  if (scalar_err >= limit_err) return scalar_err;

  Bc7CellParams cell = bc7_mode_cell(mode, false, kernels, swap_sets ? 3 : shape.index_bits);
  cell.m_num_pixels = 16;
  cell.m_pixels = rotated;
  uint8_t temp[16];
  Bc7CellResults results{};
  results.m_selectors = result.m_selectors;
  results.m_selectors_temp = temp;
  const uint64_t colour_err = bc7_cell_compress(mode, cell, results, params);
  for (uint32_t c = 0; c < 3; ++c) {
    result.m_low[0].m_c[c] = results.m_low_endpoint.m_c[c];
    result.m_high[0].m_c[c] = results.m_high_endpoint.m_c[c];
  }
  return scalar_err + colour_err;
}
