#pragma once

// Call nodes of the syntax tree and the creators through which the parser builds them.

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "formula/FormulaAst.h"

namespace FormulaAst {

// The form of a function for a block of points (vectorised maths): out[k] = f(in[k]).
template <typename T> using Block1 = void (*)(const T* in, T* out, size_t n);
template <typename T> using Block2 = void (*)(const T* a, const T* b, T* out, size_t n);

template <typename T, typename F>
NodePtr<T> MakeFunc1(NodePtr<T> argument, std::wstring name, F function, bool foldable,
                     Block1<T> block = nullptr);
template <typename T, typename F>
NodePtr<T> MakeFunc2(NodePtr<T> first, NodePtr<T> second, std::wstring name, F function,
                     bool foldable, Block2<T> block = nullptr);

// A member function bound to one object: the callable of "rand", "y" and "Y".
template <typename Object, typename Member> struct BoundMember
{
    Object* object;
    Member member;
    template <typename... Args> auto operator()(Args... args) const
    {
        return (object->*member)(args...);
    }
};

template <typename T, typename F> class Func0 final : public Base<T>
{
public:
    Func0(std::wstring name, F function, bool foldable)
        : m_name(std::move(name)), m_function(std::move(function)), m_foldable(foldable)
    {
    }
    T Evaluate() const override { return m_function(); }
    void EvaluateBlock(T* out, const BlockPoints<T>& points) const override
    {
        for (size_t k = 0; k < points.n; ++k)
            out[k] = m_function();
    }
    bool IsConstant() const override { return m_foldable; }
    int32_t GetPrecedence() const override { return 1; }
    std::wstring ToString() const override { return m_name + L"()"; }
    std::wstring ToStringParen(int32_t) const override { return ToString(); }
    NodePtr<T> Optimize() const override
    {
        if (IsConstant())
            return Fold<T>(*this);
        return std::make_shared<Func0<T, F>>(m_name, m_function, m_foldable);
    }

private:
    std::wstring m_name;
    F m_function;
    bool m_foldable;
};

template <typename T, typename F, Kind K = Kind::ANY> class Func1 final : public Base<T>
{
public:
    Func1(NodePtr<T> argument, std::wstring name, F function, bool foldable, Block1<T> block)
        : m_argument(std::move(argument)), m_name(std::move(name)), m_function(std::move(function)),
          m_foldable(foldable), m_block(block), m_a(*m_argument)
    {
    }
    T Evaluate() const override { return m_function(m_a.Get()); }
    void EvaluateBlock(T* out, const BlockPoints<T>& points) const override
    {
        const auto a = m_a.Block(out, points);
        if (m_block) {
            m_block(AsArray(a, out, points.n), out, points.n);
            return;
        }
        for (size_t k = 0; k < points.n; ++k)
            out[k] = m_function(a[k]);
    }
    bool IsConstant() const override { return m_foldable && m_argument->IsConstant(); }
    int32_t GetPrecedence() const override { return 1; }
    std::wstring ToString() const override { return m_name + L"(" + m_argument->ToString() + L")"; }
    NodePtr<T> Optimize() const override
    {
        if (IsConstant())
            return Fold<T>(*this);
        return MakeFunc1<T, F>(m_argument->Optimize(), m_name, m_function, m_foldable, m_block);
    }

private:
    NodePtr<T> m_argument;
    std::wstring m_name;
    F m_function;
    bool m_foldable;
    Block1<T> m_block;
    Operand<T, K> m_a;
};

template <typename T, typename F, Kind K1 = Kind::ANY, Kind K2 = Kind::ANY>
class Func2 final : public Base<T>
{
public:
    Func2(NodePtr<T> first, NodePtr<T> second, std::wstring name, F function, bool foldable,
          Block2<T> block)
        : m_first(std::move(first)), m_second(std::move(second)), m_name(std::move(name)),
          m_function(std::move(function)), m_foldable(foldable), m_block(block), m_a(*m_first),
          m_b(*m_second)
    {
    }
    void EvaluateBlock(T* out, const BlockPoints<T>& points) const override
    {
        typename BlockPoints<T>::Slab second(points);
        const auto a = m_a.Block(out, points);
        const auto b = m_b.Block(second.data, points);
        if (m_block) {
            m_block(AsArray(a, out, points.n), AsArray(b, second.data, points.n), out, points.n);
            return;
        }
        for (size_t k = 0; k < points.n; ++k)
            out[k] = m_function(a[k], b[k]);
    }
    T Evaluate() const override
    {
        const T b = m_b.Get(); // the second argument first
        const T a = m_a.Get();
        return m_function(a, b);
    }
    bool IsConstant() const override
    {
        return m_foldable && m_first->IsConstant() && m_second->IsConstant();
    }
    int32_t GetPrecedence() const override { return 1; }
    std::wstring ToString() const override
    {
        return m_name + L"(" + m_first->ToString() + L"," + m_second->ToString() + L")";
    }
    NodePtr<T> Optimize() const override
    {
        if (IsConstant())
            return Fold<T>(*this);
        return MakeFunc2<T, F>(m_first->Optimize(), m_second->Optimize(), m_name, m_function,
                               m_foldable, m_block);
    }

private:
    NodePtr<T> m_first;
    NodePtr<T> m_second;
    std::wstring m_name;
    F m_function;
    bool m_foldable;
    Block2<T> m_block;
    Operand<T, K1> m_a;
    Operand<T, K2> m_b;
};

template <typename T, typename F>
NodePtr<T> MakeFunc1(NodePtr<T> argument, std::wstring name, F function, bool foldable,
                     Block1<T> block)
{
    return WithKind(*argument, [&](auto k) -> NodePtr<T> {
        return std::make_shared<Func1<T, F, decltype(k)::value>>(argument, name, function, foldable,
                                                                 block);
    });
}

template <typename T, typename F>
NodePtr<T> MakeFunc2(NodePtr<T> first, NodePtr<T> second, std::wstring name, F function,
                     bool foldable, Block2<T> block)
{
    return WithKind(*first, [&](auto k1) {
        return WithKind(*second, [&](auto k2) -> NodePtr<T> {
            return std::make_shared<Func2<T, F, decltype(k1)::value, decltype(k2)::value>>(
                first, second, name, function, foldable, block);
        });
    });
}

// Creators: the parser keeps one per registered function and builds the call node once
// it has read the arguments.
template <typename T> class Func0CreatorBase
{
public:
    virtual ~Func0CreatorBase() = default;
    virtual NodePtr<T> Create() const = 0;
};

template <typename T> class Func1CreatorBase
{
public:
    virtual ~Func1CreatorBase() = default;
    virtual NodePtr<T> Create(NodePtr<T> argument) const = 0;
};

template <typename T> class Func2CreatorBase
{
public:
    virtual ~Func2CreatorBase() = default;
    virtual NodePtr<T> Create(NodePtr<T> first, NodePtr<T> second) const = 0;
};

template <typename T, typename F> class Func0Creator final : public Func0CreatorBase<T>
{
public:
    Func0Creator(std::wstring name, F function, bool foldable)
        : m_name(std::move(name)), m_function(std::move(function)), m_foldable(foldable)
    {
    }
    NodePtr<T> Create() const override
    {
        return std::make_shared<Func0<T, F>>(m_name, m_function, m_foldable);
    }

private:
    std::wstring m_name;
    F m_function;
    bool m_foldable;
};

template <typename T, typename F> class Func1Creator final : public Func1CreatorBase<T>
{
public:
    Func1Creator(std::wstring name, F function, bool foldable, Block1<T> block = nullptr)
        : m_name(std::move(name)), m_function(std::move(function)), m_foldable(foldable),
          m_block(block)
    {
    }
    NodePtr<T> Create(NodePtr<T> argument) const override
    {
        return MakeFunc1<T, F>(std::move(argument), m_name, m_function, m_foldable, m_block);
    }

private:
    std::wstring m_name;
    F m_function;
    bool m_foldable;
    Block1<T> m_block;
};

template <typename T, typename F> class Func2Creator final : public Func2CreatorBase<T>
{
public:
    Func2Creator(std::wstring name, F function, bool foldable, Block2<T> block = nullptr)
        : m_name(std::move(name)), m_function(std::move(function)), m_foldable(foldable),
          m_block(block)
    {
    }
    NodePtr<T> Create(NodePtr<T> first, NodePtr<T> second) const override
    {
        return MakeFunc2<T, F>(std::move(first), std::move(second), m_name, m_function, m_foldable,
                               m_block);
    }

private:
    std::wstring m_name;
    F m_function;
    bool m_foldable;
    Block2<T> m_block;
};

} // namespace FormulaAst
