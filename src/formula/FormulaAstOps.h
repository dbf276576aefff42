#pragma once

// The operators of the syntax tree (see FormulaAst.h).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace FormulaAst {

// Operators. Apply fixes the order in which the operands are evaluated; it is visible
// through functions with side effects ("rand") and through which error is raised first.
namespace Ops {

// NaN is true, -0 is false.
inline bool IsTrue(double v)
{
    return v != 0.0;
}

struct Plus
{
    static constexpr int32_t OP_PRECEDENCE = 2;
    static const wchar_t* Symbol() { return L"+"; }
    template <typename T, typename A> static T Apply(const A& a) { return a.Get(); }
    template <typename T> static T Element(T a) { return a; }
};

struct Minus
{
    static constexpr int32_t OP_PRECEDENCE = 2;
    static const wchar_t* Symbol() { return L"-"; }
    template <typename T, typename A> static T Apply(const A& a) { return -a.Get(); }
    template <typename T> static T Element(T a) { return -a; }
};

struct Not
{
    static constexpr int32_t OP_PRECEDENCE = 2;
    static const wchar_t* Symbol() { return L"!"; }
    template <typename T, typename A> static T Apply(const A& a)
    {
        return a.Get() == T(0) ? T(1) : T(0);
    }
    template <typename T> static T Element(T a) { return a == T(0) ? T(1) : T(0); }
};

template <typename T, typename R> bool HasZero(const R& r, size_t n)
{
    bool zero = false;
    for (size_t k = 0; k < n; ++k)
        zero |= r[k] == T(0);
    return zero;
}

// Over a block both operands are known and nothing is left out: ELEMENT is the value at
// one point of l and r, and a zero divisor anywhere throws for the whole block.
#define ARDENTINE_FORMULA_BINARY_OP(NAME, SYMBOL, PRECEDENCE, DIVIDES, BODY, ELEMENT)              \
    struct NAME                                                                                    \
    {                                                                                              \
        static constexpr int32_t OP_PRECEDENCE = PRECEDENCE;                                       \
        static const wchar_t* Symbol() { return SYMBOL; }                                          \
        template <typename T, typename L, typename R>                                              \
        static T Apply(const L& left, const R& right)                                              \
        {                                                                                          \
            BODY                                                                                   \
        }                                                                                          \
        template <typename T, typename L, typename R>                                              \
        static void ApplyBlock(T* out, size_t n, const L& l, const R& r)                           \
        {                                                                                          \
            if (DIVIDES && HasZero<T>(r, n))                                                       \
                throw std::runtime_error("Zero division!.");                                       \
            for (size_t k = 0; k < n; ++k)                                                         \
                out[k] = ELEMENT;                                                                  \
        }                                                                                          \
    };

// clang-format off
ARDENTINE_FORMULA_BINARY_OP(Mul, L"*", 3, false,
    const T r = right.Get(); const T l = left.Get(); return l * r;,
    l[k] * r[k])
ARDENTINE_FORMULA_BINARY_OP(Div, L"/", 3, true,
    const T l = left.Get(); const T r = right.Get();
    if (r == T(0)) throw std::runtime_error("Zero division!.");
    return l / r;,
    l[k] / r[k])
ARDENTINE_FORMULA_BINARY_OP(Mod, L"%", 3, false,
    const T r = right.Get(); const T l = left.Get(); return std::fmod(l, r);,
    std::fmod(l[k], r[k]))
ARDENTINE_FORMULA_BINARY_OP(Add, L"+", 4, false,
    const T r = right.Get(); const T l = left.Get(); return l + r;,
    l[k] + r[k])
ARDENTINE_FORMULA_BINARY_OP(Sub, L"-", 4, false,
    const T l = left.Get(); const T r = right.Get(); return l - r;,
    l[k] - r[k])
ARDENTINE_FORMULA_BINARY_OP(Lss, L"<", 5, false,
    const T l = left.Get(); const T r = right.Get(); return l < r ? T(1) : T(0);,
    l[k] < r[k] ? T(1) : T(0))
ARDENTINE_FORMULA_BINARY_OP(Gtr, L">", 5, false,
    const T l = left.Get(); const T r = right.Get(); return l > r ? T(1) : T(0);,
    l[k] > r[k] ? T(1) : T(0))
ARDENTINE_FORMULA_BINARY_OP(Leq, L"<=", 5, false,
    const T l = left.Get(); const T r = right.Get(); return l <= r ? T(1) : T(0);,
    l[k] <= r[k] ? T(1) : T(0))
ARDENTINE_FORMULA_BINARY_OP(Geq, L">=", 5, false,
    const T l = left.Get(); const T r = right.Get(); return l >= r ? T(1) : T(0);,
    l[k] >= r[k] ? T(1) : T(0))
ARDENTINE_FORMULA_BINARY_OP(Equ, L"==", 5, false,
    const T l = left.Get(); const T r = right.Get(); return l == r ? T(1) : T(0);,
    l[k] == r[k] ? T(1) : T(0))
ARDENTINE_FORMULA_BINARY_OP(Neq, L"!=", 5, false,
    const T l = left.Get(); const T r = right.Get(); return l != r ? T(1) : T(0);,
    l[k] != r[k] ? T(1) : T(0))
ARDENTINE_FORMULA_BINARY_OP(And, L"&&", 6, false,
    if (!IsTrue(left.Get())) return T(0);
    return IsTrue(right.Get()) ? T(1) : T(0);,
    IsTrue(l[k]) && IsTrue(r[k]) ? T(1) : T(0))
ARDENTINE_FORMULA_BINARY_OP(Or, L"||", 6, false,
    if (IsTrue(left.Get())) return T(1);
    return IsTrue(right.Get()) ? T(1) : T(0);,
    IsTrue(l[k]) || IsTrue(r[k]) ? T(1) : T(0))
// clang-format on

#undef ARDENTINE_FORMULA_BINARY_OP

} // namespace Ops

} // namespace FormulaAst
