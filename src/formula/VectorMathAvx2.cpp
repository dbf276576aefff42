// Built with -mavx2 -mfma (src/formula/CMakeLists.txt); called only after VectorMath.cpp has
// seen both on the processor.
#include <cstddef>

#include <immintrin.h>
#include <sleef.h>

#include "formula/VectorMath.h"

#define VM_NAME "avx2"
#define VM_VEC __m256d
#define VM_WIDTH size_t(4)
#define VM_LOAD _mm256_loadu_pd
#define VM_STORE _mm256_storeu_pd
#define VM_SQRT _mm256_sqrt_pd
#define VM_SLEEF(name, accuracy) Sleef_##name##d4_##accuracy##avx2

#include "formula/VectorMathKernels.inc"

const VectorMath::Table& VectorMathAvx2Kernels()
{
    return KERNELS;
}
