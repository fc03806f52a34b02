#pragma once
// Search effort of the three quality levels: more partitions scanned and more refinement from
// Fast to Slow.
#include "texture/bc7enc/bc7_types.h"

// Fields: partitions, weights R G B A, refinement, perceptual, least squares, pre-filter,
// try mode 5, try mode 7.
inline constexpr Bc7BlockParams g_bc7_params_fast{4,    {1, 1, 1, 1}, 0,    false,
                                                  true, true,         true, true};
inline constexpr Bc7BlockParams g_bc7_params_normal{16,   {1, 1, 1, 1}, 1,    false,
                                                    true, true,         true, true};
inline constexpr Bc7BlockParams g_bc7_params_slow{64,   {1, 1, 1, 1}, 4,    false,
                                                  true, true,         true, true};
