#pragma once

// Recursive-descent parser of the formula language. Grammar, loosest level first:
//
//   conditional    := logical ( "?" logical ":" logical )*         right-associative
//   logical        := comparison ( ("&&" | "||") comparison )*
//   comparison     := additive ( ("<" | ">" | "<=" | ">=" | "==" | "!=") additive )*
//   additive       := multiplicative ( ("+" | "-") multiplicative )*
//   multiplicative := unary ( ("*" | "/" | "%") unary )*
//   unary          := ("+" | "-") primary | "!"+ primary | primary
//   primary        := number | name | name "(" [conditional ("," conditional){0,3}] ")"
//                   | "(" conditional ")"
//
// One parser serves one parse; the tree it returns does not refer to it.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "formula/FormulaAstCalls.h"

struct Token
{
    std::wstring text;  // never empty
    int32_t line = 0;   // 0-based
    int32_t column = 0; // 0-based, in characters from the start of the line
};

struct FormulaPosition
{
    int32_t line = 0;
    int32_t column = 0;
};

class FormulaParser
{
public:
    using Node = FormulaAst::NodePtr<double>;

    // Deeper nesting (brackets, call arguments) or a deeper tree fails the parse: the
    // parser, Evaluate and the tree's destructor all recurse once per level, and a
    // worker thread's stack must never run out on a formula someone typed or pasted.
    static constexpr int MAX_DEPTH = 1000;

    // Registration returns false, and keeps the first entry, when the name is taken.
    // Parameters and named literals share one name space; each arity has its own.
    bool AddParameter(const std::wstring& name, double* place);
    bool AddNamedLiteral(const std::wstring& name, double value);
    bool AddFunction1(const std::wstring& name, double (*function)(double));
    bool AddFunction2(const std::wstring& name, double (*function)(double, double));

    template <typename Object>
    bool AddFunction0(const std::wstring& name, Object* object, double (Object::*member)())
    {
        using F = FormulaAst::BoundMember<Object, double (Object::*)()>;
        return AddCreator(
            m_functions0, name,
            std::make_shared<FormulaAst::Func0Creator<double, F>>(name, F{object, member}, false));
    }

    template <typename Object>
    bool AddFunction2(const std::wstring& name, Object* object,
                      double (Object::*member)(double, double))
    {
        using F = FormulaAst::BoundMember<Object, double (Object::*)(double, double)>;
        return AddCreator(
            m_functions2, name,
            std::make_shared<FormulaAst::Func2Creator<double, F>>(name, F{object, member}, true));
    }

    // abs, ceil, floor, round, wrap, the trigonometric and hyperbolic functions, exp,
    // log, log10, pow, sqrt, and the constants "PI" and "E".
    void AddStandardFunctions();

    // The tree, or null when the text is not a formula; then GetErrorPosition() tells
    // where. Never throws for bad input.
    Node Parse(const std::wstring& text);
    FormulaPosition GetErrorPosition() const;

private:
    void Tokenize(const std::wstring& text);
    // The next token's text, or an empty text at the end (then the cursor stays).
    const std::wstring& NextToken();
    // Back by one token, unless at the first.
    void PutBack();

    // A subtree and its depth, which the parser bounds.
    struct Tree
    {
        Node node;
        int depth = 0;
        explicit operator bool() const { return node != nullptr; }
    };
    using BinaryMaker = Node (*)(Node, Node);
    struct BinaryOperator
    {
        const wchar_t* text;
        BinaryMaker make;
    };

    template <typename Table, typename Creator>
    static bool AddCreator(Table& table, const std::wstring& name, Creator creator)
    {
        return table.emplace(name, std::move(creator)).second;
    }

    Tree ParseConditional();
    Tree ParseLogical();
    Tree ParseComparison();
    Tree ParseAdditive();
    Tree ParseMultiplicative();
    template <size_t N>
    Tree ParseBinaryLevel(Tree (FormulaParser::*next)(), const BinaryOperator (&ops)[N]);
    Tree ParseUnary();
    Tree ParsePrimary();
    Tree ParseCall(const std::wstring& name);
    Tree ResolveVariable(const std::wstring& name) const;

    std::map<std::wstring, double*> m_parameters;
    std::map<std::wstring, double> m_namedLiterals;
    std::map<std::wstring, std::shared_ptr<FormulaAst::Func0CreatorBase<double>>> m_functions0;
    std::map<std::wstring, std::shared_ptr<FormulaAst::Func1CreatorBase<double>>> m_functions1;
    std::map<std::wstring, std::shared_ptr<FormulaAst::Func2CreatorBase<double>>> m_functions2;
    // No function takes three or four arguments: such calls are read to their ")" and
    // then fail as unknown, so there are no tables for them.

    std::vector<Token> m_tokens;
    size_t m_cursor = 0;
    int m_nesting = 0; // open conditional levels: the top, brackets and call arguments
};
