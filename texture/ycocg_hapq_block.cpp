// The Hap Q block entry point: conversion, all-black shortcut, then the Y and Co/Cg halves.
#include <cstring>

#include "texture/ycocg.h"

void write_hapq_black_block(uint8_t out[16]) {
  static constexpr uint8_t kBlack[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0x03, 0x84, 0, 0, 0, 0, 0, 0};
  std::memcpy(out, kBlack, sizeof kBlack);
}

void encode_hapq_block(DxtEncOps ops, uint8_t* out, const uint8_t* const planes[4],
                       const size_t strides[4]) {
  YCoCgWorkBlock block;
  if (ops.ycocg_convert(planes[0], strides[0], &block)) {
    write_hapq_black_block(out);
    return;
  }
  ops.ycocg_y_block(&block, out);
  ops.ycocg_cocg_block(&block, out + 8);
}
