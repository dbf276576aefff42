#pragma once

// Syntax tree of a formula. Trees are immutable, built by FormulaParser and evaluated
// once per point by FormulaCalculator, so Evaluate is the hot path: a node reads a
// Literal or Parameter child directly (its kind is fixed when the node is created)
// instead of through a virtual call, which halves the calls per point of a typical
// formula. EvaluateBlock does the same for a block of points, one virtual call per node
// and block, so that the loops inside vectorise. Everything else (folding, printing) is
// cold.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <locale>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "formula/FormulaAstOps.h"

namespace FormulaAst {

template <typename T> class Base;

template <typename T> using NodePtr = std::shared_ptr<Base<T>>;

// The points of one block for EvaluateBlock: up to SIZE of them, the values that the
// parameters read per point take at each, and scratch room for intermediate values.
template <typename T> class BlockPoints
{
public:
    static constexpr size_t SIZE = 256; // a few KiB a node: the block stays in L1

    size_t n = 0;

    // The parameter at `place` takes values[k] at point k (two such parameters at most);
    // any other keeps its one value over the block.
    void Bind(int slot, const T* place, const T* values)
    {
        m_places[slot] = place;
        m_values[slot] = values;
    }
    const T* Values(const T* place) const
    {
        return place == m_places[0] ? m_values[0] : place == m_places[1] ? m_values[1] : nullptr;
    }

    // SIZE values of scratch for as long as it lives; slabs are taken and given back
    // in stack order, so a deep tree costs heap, not thread stack.
    class Slab
    {
    public:
        explicit Slab(const BlockPoints& points) : m_points(points)
        {
            if (m_points.m_top == m_points.m_slabs.size())
                m_points.m_slabs.emplace_back(new T[SIZE]);
            data = m_points.m_slabs[m_points.m_top++].get();
        }
        ~Slab() { --m_points.m_top; }
        Slab(const Slab&) = delete;
        Slab& operator=(const Slab&) = delete;
        T* data;

    private:
        const BlockPoints& m_points;
    };

private:
    const T* m_places[2] = {nullptr, nullptr};
    const T* m_values[2] = {nullptr, nullptr};
    mutable std::vector<std::unique_ptr<T[]>> m_slabs;
    mutable size_t m_top = 0;
};

// One value for every point of a block: what a Literal operand reads as.
template <typename T> struct Broadcast
{
    T value;
    T operator[](size_t) const { return value; }
};

// An operand's block as an array: a Broadcast is written out into `room`.
template <typename T> const T* AsArray(const T* values, T*, size_t)
{
    return values;
}
template <typename T> const T* AsArray(const Broadcast<T>& values, T* room, size_t n)
{
    std::fill(room, room + n, values.value);
    return room;
}

template <typename T> class Base
{
public:
    virtual ~Base() = default;
    virtual T Evaluate() const = 0;
    // out[0, points.n) from the values of the parameters at each point. May throw where
    // Evaluate would not (both sides of && and ?: are evaluated): the caller then
    // evaluates those points one by one. Not for trees with side effects ("rand").
    virtual void EvaluateBlock(T* out, const BlockPoints<T>& points) const = 0;
    // Whether the value can be computed once and folded into a literal.
    virtual bool IsConstant() const = 0;
    virtual int32_t GetPrecedence() const = 0;
    virtual std::wstring ToString() const = 0;
    // In parentheses when this node binds looser than `limit`.
    virtual std::wstring ToStringParen(int32_t limit) const
    {
        return GetPrecedence() > limit ? L"(" + ToString() + L")" : ToString();
    }
    // A new tree with every constant subtree replaced by a Literal; evaluates those
    // subtrees, so a constant division by zero throws here.
    virtual NodePtr<T> Optimize() const = 0;
};

template <typename T> class Literal : public Base<T>
{
public:
    explicit Literal(T value) : m_value(value) {}
    T Evaluate() const final { return m_value; }
    void EvaluateBlock(T* out, const BlockPoints<T>& points) const final
    {
        std::fill(out, out + points.n, m_value);
    }
    bool IsConstant() const override { return true; }
    int32_t GetPrecedence() const override { return 0; }
    std::wstring ToString() const override
    {
        std::wostringstream out;
        out.imbue(std::locale::classic());
        out << m_value;
        return out.str();
    }
    std::wstring ToStringParen(int32_t) const override { return ToString(); }
    NodePtr<T> Optimize() const override { return std::make_shared<Literal<T>>(m_value); }
    T GetValue() const { return m_value; }

private:
    T m_value;
};

template <typename T> class NamedLiteral : public Literal<T>
{
public:
    NamedLiteral(std::wstring name, T value) : Literal<T>(value), m_name(std::move(name)) {}
    std::wstring ToString() const override { return m_name; }
    std::wstring ToStringParen(int32_t) const override { return m_name; }
    // Folding drops the name.
    NodePtr<T> Optimize() const override { return std::make_shared<Literal<T>>(this->GetValue()); }

private:
    std::wstring m_name;
};

template <typename T> class Parameter final : public Base<T>
{
public:
    // `place` is owned by whoever registered the name and must outlive the tree.
    Parameter(std::wstring name, const T* place) : m_name(std::move(name)), m_place(place) {}
    T Evaluate() const override { return *m_place; }
    void EvaluateBlock(T* out, const BlockPoints<T>& points) const override
    {
        const T* values = points.Values(m_place);
        if (values)
            std::copy(values, values + points.n, out);
        else
            std::fill(out, out + points.n, *m_place);
    }
    bool IsConstant() const override { return false; }
    int32_t GetPrecedence() const override { return 0; }
    std::wstring ToString() const override { return m_name; }
    std::wstring ToStringParen(int32_t) const override { return m_name; }
    NodePtr<T> Optimize() const override { return std::make_shared<Parameter<T>>(m_name, m_place); }
    const T* GetPlace() const { return m_place; }

private:
    std::wstring m_name;
    const T* m_place;
};

// How a node reads one child: through the virtual call, or directly for the two leaf
// kinds whose value needs no call.
enum class Kind
{
    ANY,
    LITERAL,
    PARAMETER
};

template <typename T, Kind K> struct Operand;

template <typename T> struct Operand<T, Kind::ANY>
{
    explicit Operand(const Base<T>& node) : m_node(&node) {}
    T Get() const { return m_node->Evaluate(); }
    // The child's values over the block, in `room`.
    const T* Block(T* room, const BlockPoints<T>& points) const
    {
        m_node->EvaluateBlock(room, points);
        return room;
    }
    const Base<T>* m_node;
};

template <typename T> struct Operand<T, Kind::LITERAL>
{
    explicit Operand(const Base<T>& node) : m_value(static_cast<const Literal<T>&>(node).GetValue())
    {
    }
    T Get() const { return m_value; }
    Broadcast<T> Block(T*, const BlockPoints<T>&) const { return Broadcast<T>{m_value}; }
    T m_value;
};

template <typename T> struct Operand<T, Kind::PARAMETER>
{
    explicit Operand(const Base<T>& node)
        : m_place(static_cast<const Parameter<T>&>(node).GetPlace())
    {
    }
    T Get() const { return *m_place; }
    const T* Block(T* room, const BlockPoints<T>& points) const
    {
        if (const T* values = points.Values(m_place))
            return values;
        std::fill(room, room + points.n, *m_place);
        return room;
    }
    const T* m_place;
};

// Calls f(std::integral_constant<Kind, K>) with the kind of `node`.
template <typename T, typename F> NodePtr<T> WithKind(const Base<T>& node, F&& f)
{
    if (dynamic_cast<const Literal<T>*>(&node))
        return f(std::integral_constant<Kind, Kind::LITERAL>{});
    if (dynamic_cast<const Parameter<T>*>(&node))
        return f(std::integral_constant<Kind, Kind::PARAMETER>{});
    return f(std::integral_constant<Kind, Kind::ANY>{});
}

template <typename T> NodePtr<T> Fold(const Base<T>& node)
{
    return std::make_shared<Literal<T>>(node.Evaluate());
}

// The creators pick the node's child kinds; Optimize uses them too, since folding can
// turn a child into a Literal. Call nodes and their creators are in FormulaAstCalls.h.
template <typename T, typename Op> NodePtr<T> MakeUnary(NodePtr<T> operand);
template <typename T, typename Op> NodePtr<T> MakeBinary(NodePtr<T> left, NodePtr<T> right);
template <typename T>
NodePtr<T> MakeConditional(NodePtr<T> condition, NodePtr<T> ifTrue, NodePtr<T> ifFalse);

template <typename T, typename Op, Kind K = Kind::ANY> class UnaryNode final : public Base<T>
{
public:
    explicit UnaryNode(NodePtr<T> operand) : m_operand(std::move(operand)), m_a(*m_operand) {}
    T Evaluate() const override { return Op::template Apply<T>(m_a); }
    void EvaluateBlock(T* out, const BlockPoints<T>& points) const override
    {
        const auto a = m_a.Block(out, points); // elementwise: out may hold the operand
        for (size_t k = 0; k < points.n; ++k)
            out[k] = Op::template Element<T>(a[k]);
    }
    bool IsConstant() const override { return m_operand->IsConstant(); }
    int32_t GetPrecedence() const override { return Op::OP_PRECEDENCE; }
    std::wstring ToString() const override
    {
        return Op::Symbol() + m_operand->ToStringParen(Op::OP_PRECEDENCE);
    }
    NodePtr<T> Optimize() const override
    {
        if (IsConstant())
            return Fold<T>(*this);
        return MakeUnary<T, Op>(m_operand->Optimize());
    }

private:
    NodePtr<T> m_operand;
    Operand<T, K> m_a;
};

template <typename T, typename Op, Kind L = Kind::ANY, Kind R = Kind::ANY>
class BinaryNode final : public Base<T>
{
public:
    BinaryNode(NodePtr<T> left, NodePtr<T> right)
        : m_left(std::move(left)), m_right(std::move(right)), m_l(*m_left), m_r(*m_right)
    {
    }
    T Evaluate() const override { return Op::template Apply<T>(m_l, m_r); }
    void EvaluateBlock(T* out, const BlockPoints<T>& points) const override
    {
        typename BlockPoints<T>::Slab right(points);
        const auto l = m_l.Block(out, points);
        const auto r = m_r.Block(right.data, points);
        Op::template ApplyBlock<T>(out, points.n, l, r);
    }
    bool IsConstant() const override { return m_left->IsConstant() && m_right->IsConstant(); }
    int32_t GetPrecedence() const override { return Op::OP_PRECEDENCE; }
    // The same limit on both sides: a right operand of equal precedence gets no
    // parentheses, so a-(b-c) prints as a-b-c. Nothing reads the printed form back.
    std::wstring ToString() const override
    {
        return m_left->ToStringParen(Op::OP_PRECEDENCE) + Op::Symbol() +
               m_right->ToStringParen(Op::OP_PRECEDENCE);
    }
    NodePtr<T> Optimize() const override
    {
        if (IsConstant())
            return Fold<T>(*this);
        return MakeBinary<T, Op>(m_left->Optimize(), m_right->Optimize());
    }

private:
    NodePtr<T> m_left;
    NodePtr<T> m_right;
    Operand<T, L> m_l;
    Operand<T, R> m_r;
};

template <typename T, typename Op, Kind K = Kind::ANY> using UnaryOp = UnaryNode<T, Op, K>;

template <typename T, Kind K = Kind::ANY> using OpPlus = UnaryNode<T, Ops::Plus, K>;
template <typename T, Kind K = Kind::ANY> using OpMinus = UnaryNode<T, Ops::Minus, K>;
template <typename T, Kind K = Kind::ANY> using OpNot = UnaryNode<T, Ops::Not, K>;

template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpMul = BinaryNode<T, Ops::Mul, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpDiv = BinaryNode<T, Ops::Div, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpMod = BinaryNode<T, Ops::Mod, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpAdd = BinaryNode<T, Ops::Add, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpSub = BinaryNode<T, Ops::Sub, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpLss = BinaryNode<T, Ops::Lss, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpGtr = BinaryNode<T, Ops::Gtr, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpLeq = BinaryNode<T, Ops::Leq, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpGeq = BinaryNode<T, Ops::Geq, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpEqu = BinaryNode<T, Ops::Equ, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpNeq = BinaryNode<T, Ops::Neq, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpAnd = BinaryNode<T, Ops::And, L, R>;
template <typename T, Kind L = Kind::ANY, Kind R = Kind::ANY>
using OpOr = BinaryNode<T, Ops::Or, L, R>;

template <typename T, Kind C = Kind::ANY, Kind A = Kind::ANY, Kind B = Kind::ANY>
class OpConditional final : public Base<T>
{
public:
    OpConditional(NodePtr<T> condition, NodePtr<T> ifTrue, NodePtr<T> ifFalse)
        : m_condition(std::move(condition)), m_ifTrue(std::move(ifTrue)),
          m_ifFalse(std::move(ifFalse)), m_c(*m_condition), m_a(*m_ifTrue), m_b(*m_ifFalse)
    {
    }
    // Only the chosen branch is evaluated.
    T Evaluate() const override { return Ops::IsTrue(m_c.Get()) ? m_a.Get() : m_b.Get(); }
    // Both branches over the whole block, then a choice per point.
    void EvaluateBlock(T* out, const BlockPoints<T>& points) const override
    {
        typename BlockPoints<T>::Slab ifTrue(points), ifFalse(points);
        const auto c = m_c.Block(out, points);
        const auto a = m_a.Block(ifTrue.data, points);
        const auto b = m_b.Block(ifFalse.data, points);
        for (size_t k = 0; k < points.n; ++k)
            out[k] = Ops::IsTrue(c[k]) ? a[k] : b[k];
    }
    bool IsConstant() const override
    {
        return m_condition->IsConstant() && m_ifTrue->IsConstant() && m_ifFalse->IsConstant();
    }
    int32_t GetPrecedence() const override { return 7; }
    std::wstring ToString() const override
    {
        return m_condition->ToStringParen(7) + L"?" + m_ifTrue->ToStringParen(7) + L":" +
               m_ifFalse->ToStringParen(7);
    }
    NodePtr<T> Optimize() const override
    {
        if (IsConstant())
            return Fold<T>(*this);
        return MakeConditional<T>(m_condition->Optimize(), m_ifTrue->Optimize(),
                                  m_ifFalse->Optimize());
    }

private:
    NodePtr<T> m_condition;
    NodePtr<T> m_ifTrue;
    NodePtr<T> m_ifFalse;
    Operand<T, C> m_c;
    Operand<T, A> m_a;
    Operand<T, B> m_b;
};

template <typename T, typename Op> NodePtr<T> MakeUnary(NodePtr<T> operand)
{
    return WithKind(*operand, [&](auto k) -> NodePtr<T> {
        return std::make_shared<UnaryNode<T, Op, decltype(k)::value>>(operand);
    });
}

template <typename T, typename Op> NodePtr<T> MakeBinary(NodePtr<T> left, NodePtr<T> right)
{
    return WithKind(*left, [&](auto l) {
        return WithKind(*right, [&](auto r) -> NodePtr<T> {
            return std::make_shared<BinaryNode<T, Op, decltype(l)::value, decltype(r)::value>>(
                left, right);
        });
    });
}

template <typename T>
NodePtr<T> MakeConditional(NodePtr<T> condition, NodePtr<T> ifTrue, NodePtr<T> ifFalse)
{
    return WithKind(*condition, [&](auto c) {
        return WithKind(*ifTrue, [&](auto a) {
            return WithKind(*ifFalse, [&](auto b) -> NodePtr<T> {
                return std::make_shared<
                    OpConditional<T, decltype(c)::value, decltype(a)::value, decltype(b)::value>>(
                    condition, ifTrue, ifFalse);
            });
        });
    });
}

} // namespace FormulaAst
