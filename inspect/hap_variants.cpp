#include "inspect/hap_variants.h"

namespace orvex_inspect {
namespace {

constexpr HapTextureKind kDxt1{0xB, 8, "DXT1"};
constexpr HapTextureKind kDxt5{0xE, 16, "DXT5"};
constexpr HapTextureKind kYcocg{0xF, 16, "YCoCg DXT5"};
constexpr HapTextureKind kRgtc1{0x1, 8, "RGTC1"};
constexpr HapTextureKind kBptc{0xC, 16, "BPTC"};

constexpr HapVariant kVariants[] = {
    {"Hap1", "Hap", 1, {kDxt1, {}}, false, false},
    {"Hap5", "Hap Alpha", 1, {kDxt5, {}}, true, false},
    {"HapY", "Hap Q", 1, {kYcocg, {}}, false, false},
    {"HapM", "Hap Q Alpha", 2, {kYcocg, kRgtc1}, true, false},
    {"HapA", "Hap Alpha-Only", 1, {kRgtc1, {}}, false, true},
    {"Hap7", "Hap R", 1, {kBptc, {}}, true, false},
};

}  // namespace

const HapVariant* find_hap_variant(const std::string& code) {
  for (const HapVariant& v : kVariants)
    if (code == v.code) return &v;
  return nullptr;
}

}  // namespace orvex_inspect
