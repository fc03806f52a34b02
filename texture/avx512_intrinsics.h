#pragma once
// <immintrin.h> for the AVX-512 kernel files. GCC 12 warns that the unmasked AVX-512 intrinsics
// read an uninitialised pass-through operand (its own _mm512_undefined_*, GCC bug 105593); the
// warning points into the header, so it is silenced for the header's lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
