// AVX builds of the DXT1 cluster-fit split search. The arithmetic is the generic kernel's,
// operation for operation (no fused multiply-add: the project builds with -ffp-contract=off),
// scored eight splits at a time; the winner does not depend on the lane count, so the bytes match
// the generic kernel's. Only this file is compiled with -mavx.
#include "texture/dxt1_avx.h"

#include "texture/dxt1_cluster_rows.h"

namespace {

template <int N>
bool cluster_search_avx(const float weighted[16][4], const ClusterSplitList* list,
                        ClusterFitResult* result) {
  return cluster_search_rows<N, 8>(weighted, list, result);
}

}  // namespace

ClusterSearchFn* const kClusterSearchAvx[kClusterKernelCount] = {
    cluster_search_avx<2>,  cluster_search_avx<3>,  cluster_search_avx<4>,  cluster_search_avx<5>,
    cluster_search_avx<6>,  cluster_search_avx<7>,  cluster_search_avx<8>,  cluster_search_avx<9>,
    cluster_search_avx<10>, cluster_search_avx<11>, cluster_search_avx<12>, cluster_search_avx<13>,
    cluster_search_avx<14>, cluster_search_avx<15>, cluster_search_avx<16>,
};
