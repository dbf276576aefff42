#include "formula/VectorMath.h"

#include <atomic>

#include <emmintrin.h>
#include <sleef.h>

// SSE2, which every x86-64 has; SLEEF's two-lane functions pick SSE4.1 themselves when
// they find it.
#define VM_NAME "sse2"
#define VM_VEC __m128d
#define VM_WIDTH size_t(2)
#define VM_LOAD _mm_loadu_pd
#define VM_STORE _mm_storeu_pd
#define VM_SQRT _mm_sqrt_pd
#define VM_SLEEF(name, accuracy) Sleef_##name##d2_##accuracy

#include "formula/VectorMathKernels.inc"

const VectorMath::Table& VectorMathAvx2Kernels();

namespace VectorMath {

namespace {

const Table* Detect()
{
    const Table* avx2 = Avx2Table();
    return avx2 ? avx2 : &Sse2Table();
}

std::atomic<const Table*> g_current{Detect()};

} // namespace

const Table& Sse2Table()
{
    return KERNELS;
}

const Table* Avx2Table()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return &VectorMathAvx2Kernels();
    return nullptr;
}

const Table& Current()
{
    return *g_current.load(std::memory_order_relaxed);
}

void Use(const Table& table)
{
    g_current.store(&table, std::memory_order_relaxed);
}

#define VM_FORWARD1(NAME, member)                                                                  \
    void NAME(const double* in, double* out, size_t n)                                             \
    {                                                                                              \
        Current().member(in, out, n);                                                              \
    }
#define VM_FORWARD2(NAME, member)                                                                  \
    void NAME(const double* a, const double* b, double* out, size_t n)                             \
    {                                                                                              \
        Current().member(a, b, out, n);                                                            \
    }

VM_FORWARD1(Sin, sin)
VM_FORWARD1(Cos, cos)
VM_FORWARD1(Tan, tan)
VM_FORWARD1(Asin, asin)
VM_FORWARD1(Acos, acos)
VM_FORWARD1(Atan, atan)
VM_FORWARD1(Tanh, tanh)
VM_FORWARD1(Exp, exp)
VM_FORWARD1(Log, log)
VM_FORWARD1(Log10, log10)
VM_FORWARD1(Sqrt, sqrt)
VM_FORWARD2(Atan2, atan2)
VM_FORWARD2(Pow, pow)

} // namespace VectorMath
