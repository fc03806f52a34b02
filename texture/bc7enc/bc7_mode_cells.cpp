#include "texture/bc7enc/bc7_mode_cells.h"

#include "texture/bc7enc/bc7_weights.h"

const uint32_t* bc7_weights_of(uint32_t index_bits) {
  return index_bits == 2 ? g_bc7_weights2 : index_bits == 3 ? g_bc7_weights3 : g_bc7_weights4;
}

Bc7CellParams bc7_mode_cell(uint32_t mode, bool has_alpha, const Bc7Kernels& kernels,
                            uint32_t index_bits) {
  Bc7CellParams cell{};
  const Bc7ModeShape shape = bc7_mode_shape(mode);
  if (index_bits == 0) index_bits = shape.index_bits;
  cell.m_num_selector_weights = 1u << index_bits;
  cell.m_selector_weights = bc7_weights_of(index_bits);
  cell.m_selector_weightsx = index_bits == 2   ? g_bc7_weights2x.data()
                             : index_bits == 3 ? g_bc7_weights3x.data()
                                               : g_bc7_weights4x.data();
  cell.m_comp_bits = shape.comp_bits;
  cell.m_has_pbits = shape.pbits != 0;
  cell.m_endpoints_share_pbit = shape.pbits == 1;
  cell.m_has_alpha = has_alpha && mode != 4 && mode != 5;
  for (uint32_t& w : cell.m_weights) w = 1;
  bc7_use_cell_kernels(cell, kernels);
  return cell;
}
