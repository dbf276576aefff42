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
//   name           := ASCII letter or "_", then letters, digits and "_"
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
    int32_t line = 0;   // 0-based
    int32_t column = 0; // 0-based
};

// Why a parse failed, each with a formula that fails that way. The wording of the
// messages lives with the calculator, which shows them.
enum class FormulaFault
{
    NONE,
    EMPTY,             // " "
    UNEXPECTED_END,    // "2*": the text ended where an operand was due
    UNEXPECTED_TOKEN,  // "1 2", "2*)": a token where none of its kind can stand
    EXPECTED_TOKEN,    // "(1 2", "1 ? 2 3", "sin": the text is the token due
    UNMATCHED_BRACKET, // "1)"
    BAD_CHARACTER,     // "x^2", "a=b": the text is the one character
    BAD_NUMBER,        // "1.5.2", "2x", "1e" (of "1e-5")
    UNKNOWN_FUNCTION,  // "foo(1)", "x(1)"
    UNKNOWN_VARIABLE,  // "foo", "pi"
    ARGUMENT_COUNT,    // "pow(2)", "sin(1,2)", "rand(1)"
    TOO_DEEP,          // over MAX_DEPTH nested brackets
};

struct FormulaError
{
    FormulaFault fault = FormulaFault::NONE;
    // The offending token or character; the end of the last token when the text ended
    // too early.
    FormulaPosition position;
    std::wstring text; // the token found or due, the character, or the name
};

// A call in a parsed formula, for checks that need the arguments' trees.
struct FormulaCall
{
    std::wstring name;
    std::vector<FormulaAst::NodePtr<double>> arguments;
    FormulaPosition position; // of the name
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
    // `block`, when given, is the same function over arrays, for block evaluation.
    bool AddFunction1(const std::wstring& name, double (*function)(double),
                      FormulaAst::Block1<double> block = nullptr);
    bool AddFunction2(const std::wstring& name, double (*function)(double, double),
                      FormulaAst::Block2<double> block = nullptr);

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

    // The tree, or null when the text is not a formula; then GetError() tells why and
    // where (the first fault in reading order). Never throws for bad input.
    Node Parse(const std::wstring& text);
    const FormulaError& GetError() const { return m_error; }
    FormulaPosition GetErrorPosition() const { return m_error.position; }
    // The calls of the last successful parse, inner ones before the call around them.
    const std::vector<FormulaCall>& GetCalls() const { return m_calls; }

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
    // Records the fault and returns the empty tree, for the callers to pass up.
    Tree Fail(FormulaFault fault, const FormulaPosition& where, const std::wstring& text = {});
    // At the token just read, or at the end when NextToken found none.
    Tree FailHere(FormulaFault fault, const std::wstring& text = {});
    FormulaPosition EndPosition() const;
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
    Tree ParseCall(const Token& name);
    Tree ResolveVariable(const std::wstring& name) const;
    bool IsFunction(const std::wstring& name) const;

    std::map<std::wstring, double*> m_parameters;
    std::map<std::wstring, double> m_namedLiterals;
    std::map<std::wstring, std::shared_ptr<FormulaAst::Func0CreatorBase<double>>> m_functions0;
    std::map<std::wstring, std::shared_ptr<FormulaAst::Func1CreatorBase<double>>> m_functions1;
    std::map<std::wstring, std::shared_ptr<FormulaAst::Func2CreatorBase<double>>> m_functions2;
    // No function takes three or four arguments: such calls are read to their ")" and
    // then fail on their count, so there are no tables for them.

    std::vector<Token> m_tokens;
    size_t m_cursor = 0;
    bool m_pastEnd = false; // the last NextToken found no token
    FormulaError m_error;
    std::vector<FormulaCall> m_calls;
    int m_nesting = 0; // open conditional levels: the top, brackets and call arguments
};
