#pragma once

// Maths functions over arrays for the formulas' block evaluation, with SLEEF's vectorised
// functions: within 1 ulp of the exact value (its _u10 forms), sqrt exact. AVX2 when the
// processor has it, SSE2 (which every x86-64 has) otherwise: the binary is built for any
// x86-64 and picks once, at the first call.

#include <cstddef>

namespace VectorMath {

using Unary = void (*)(const double* in, double* out, size_t n);
using Binary = void (*)(const double* a, const double* b, double* out, size_t n);

// One instruction set's functions.
struct Table
{
    const char* name;
    // Not sinh and cosh: SLEEF's overflow from |x| = 709.79, the C library's at 710.48.
    Unary sin, cos, tan, asin, acos, atan, tanh, exp, log, log10, sqrt;
    Binary atan2, pow;
};

const Table& Sse2Table();
// Null when the processor lacks AVX2 or FMA.
const Table* Avx2Table();

// The table the functions below call: AVX2's when there is one. Switching is for tests and
// benchmarks, never while a calculation runs.
const Table& Current();
void Use(const Table& table);

void Sin(const double* in, double* out, size_t n);
void Cos(const double* in, double* out, size_t n);
void Tan(const double* in, double* out, size_t n);
void Asin(const double* in, double* out, size_t n);
void Acos(const double* in, double* out, size_t n);
void Atan(const double* in, double* out, size_t n);
void Tanh(const double* in, double* out, size_t n);
void Exp(const double* in, double* out, size_t n);
void Log(const double* in, double* out, size_t n);
void Log10(const double* in, double* out, size_t n);
void Sqrt(const double* in, double* out, size_t n);
void Atan2(const double* y, const double* x, double* out, size_t n);
void Pow(const double* a, const double* b, double* out, size_t n);

} // namespace VectorMath
