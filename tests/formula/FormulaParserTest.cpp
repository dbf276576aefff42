#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "formula/FormulaParser.h"
#include "FormulaRows.h"

namespace {

using Node = FormulaParser::Node;

// Both NaN, or equal with the same sign.
bool SameValue(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

// The built-in vocabulary, parameters a, b, c and x, and next(), which returns 1, 2, ...
class FormulaParserTest : public ::testing::Test
{
protected:
    struct Counter
    {
        double Next() { return ++calls; }
        int calls = 0;
    };

    void Prepare(FormulaParser& p)
    {
        p.AddStandardFunctions();
        p.AddParameter(L"a", &a);
        p.AddParameter(L"b", &b);
        p.AddParameter(L"c", &c);
        p.AddParameter(L"x", &x);
        p.AddFunction0(L"next", &counter, &Counter::Next);
    }

    Node Parse(const std::wstring& text)
    {
        FormulaParser p;
        Prepare(p);
        counter.calls = 0;
        return p.Parse(text);
    }

    // Each row's value, and that each of `failures` is not a formula.
    void Check(const std::vector<std::pair<const wchar_t*, double>>& rows,
               const std::vector<const wchar_t*>& failures = {})
    {
        for (const auto& [text, expected] : rows) {
            SCOPED_TRACE(Narrow(text));
            const Node tree = Parse(text);
            ASSERT_NE(tree, nullptr);
            const double value = tree->Evaluate();
            EXPECT_TRUE(SameValue(value, expected)) << value << " vs " << expected;
        }
        for (const wchar_t* text : failures) {
            SCOPED_TRACE(Narrow(text));
            EXPECT_EQ(Parse(text), nullptr);
        }
    }

    double a = 1.0;
    double b = 2.0;
    double c = 3.0;
    double x = 3.0;
    Counter counter;
};

// Values of well-formed formulas (|| and && share one level, left to right; NaN is true,
// -0 false), and near misses that are not formulas (FailureReasonsAndPositions has more).
TEST_F(FormulaParserTest, GrammarValuesAndRejections)
{
    Check(GRAMMAR_ROWS, {L"+-5", L"-!x", L"!-x", L"-", L"1 ? 2", L"?", L"PI(1)", L"pow(2)",
                         L"sin(1", L"f(1,2,3,4)", L"nan", L"X"});
}

// Why and where a parse fails: the offending token or character, or the end of the last
// token when the text ends too early; the text is what was found, due or unknown.
TEST_F(FormulaParserTest, FailureReasonsAndPositions)
{
    using F = FormulaFault;
    // text, fault, 0-based line and column, the text found
    const std::tuple<const wchar_t*, FormulaFault, int, int, const wchar_t*> rows[] = {
        {L"", F::EMPTY, 0, 0, L""},
        {L" \t\n", F::EMPTY, 0, 0, L""},
        {L"1+\n(2*", F::UNEXPECTED_END, 1, 3, L""},
        {L"sin(", F::UNEXPECTED_END, 0, 4, L""},
        {L"!", F::UNEXPECTED_END, 0, 1, L""},
        {L"1 ? 2 :", F::UNEXPECTED_END, 0, 7, L""},
        {L"1 2", F::UNEXPECTED_TOKEN, 0, 2, L"2"},
        {L"2(3)", F::UNEXPECTED_TOKEN, 0, 1, L"("},
        {L"--5", F::UNEXPECTED_TOKEN, 0, 1, L"-"}, // one sign only
        {L"sin(1,)", F::UNEXPECTED_TOKEN, 0, 6, L")"},
        {L"1 +\n\n)", F::UNEXPECTED_TOKEN, 2, 0, L")"},
        {L"2 <=> 1", F::UNEXPECTED_TOKEN, 0, 4, L">"}, // "<=" first: ">" has no left operand
        {L"1 ? 2 : 3 : 4", F::UNEXPECTED_TOKEN, 0, 10, L":"},
        {L"2 * (3 + 4", F::EXPECTED_TOKEN, 0, 10, L")"},
        {L"(1 2)", F::EXPECTED_TOKEN, 0, 3, L")"},
        {L"pow(1 2)", F::EXPECTED_TOKEN, 0, 6, L")"},
        {L"1 ? 2 3", F::EXPECTED_TOKEN, 0, 6, L":"},
        {L"1 ? 0 ? 1 : 2 : 3", F::EXPECTED_TOKEN, 0, 6, L":"},
        {L"sin", F::EXPECTED_TOKEN, 0, 3, L"("},
        {L"1)", F::UNMATCHED_BRACKET, 0, 1, L")"},
        {L"sin(1))", F::UNMATCHED_BRACKET, 0, 6, L")"},
        {L"x^2", F::BAD_CHARACTER, 0, 1, L"^"},
        {L"1 !== 1", F::BAD_CHARACTER, 0, 4, L"="}, // "!=" first
        {L"x&x", F::BAD_CHARACTER, 0, 1, L"&"},
        {L"1 +\r\r\nfoo", F::BAD_CHARACTER, 0, 3, L"\r"}, // CR LF is one break, a lone CR not
        {L"1.5.2", F::BAD_NUMBER, 0, 0, L"1.5.2"},
        {L"1e-5", F::BAD_NUMBER, 0, 0, L"1e"},
        {L"0x10 + 1", F::BAD_NUMBER, 0, 0, L"0x10"},
        {L"3 * 2x", F::BAD_NUMBER, 0, 4, L"2x"},
        {L"foo(1)", F::UNKNOWN_FUNCTION, 0, 0, L"foo"},
        {L"x(1)", F::UNKNOWN_FUNCTION, 0, 0, L"x"},
        {L"f(1,2,3,4,5)", F::UNKNOWN_FUNCTION, 0, 0, L"f"},
        {L"  1 + foo", F::UNKNOWN_VARIABLE, 0, 6, L"foo"},
        {L"\tfoo", F::UNKNOWN_VARIABLE, 0, 1, L"foo"},      // a tab is one column
        {L"1 +\r\nfoo", F::UNKNOWN_VARIABLE, 1, 0, L"foo"}, // CR LF is one line break
        {L"1 && pi", F::UNKNOWN_VARIABLE, 0, 5, L"pi"},     // two-character operators are one token
        {L"inf", F::UNKNOWN_VARIABLE, 0, 0, L"inf"},
        {L"pow(1,2,3,4,5)", F::ARGUMENT_COUNT, 0, 0, L"pow"}, // stops at the fifth
        {L"1 +\n  sin(1,2)", F::ARGUMENT_COUNT, 1, 2, L"sin"},
        {L"sin()", F::ARGUMENT_COUNT, 0, 0, L"sin"},
        {L"next(1)", F::ARGUMENT_COUNT, 0, 0, L"next"},
    };
    for (const auto& [text, fault, line, column, found] : rows) {
        SCOPED_TRACE(Narrow(text));
        FormulaParser p;
        Prepare(p);
        ASSERT_EQ(p.Parse(text), nullptr);
        const FormulaError& e = p.GetError();
        EXPECT_EQ(std::make_tuple(int(e.fault), e.position.line, e.position.column, Narrow(e.text)),
                  std::make_tuple(int(fault), line, column, Narrow(found)));
        EXPECT_TRUE(p.GetCalls().empty());
    }
}

// The calls of a formula with their arguments and places, inner ones first.
TEST_F(FormulaParserTest, CallsAreListedWithTheirArguments)
{
    FormulaParser p;
    Prepare(p);
    ASSERT_NE(p.Parse(L"1 +\n pow(sin(x), 2) + next()"), nullptr);
    const std::vector<FormulaCall>& calls = p.GetCalls();
    ASSERT_EQ(calls.size(), 3u);
    std::vector<std::string> seen;
    for (const FormulaCall& call : calls) {
        std::string args;
        for (const auto& arg : call.arguments)
            args += " " + Narrow(arg->ToString());
        seen.push_back(Narrow(call.name) + " " + std::to_string(call.position.line) + ":" +
                       std::to_string(call.position.column) + args);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"sin 1:5 x", "pow 1:1 sin(x) 2", "next 1:18"}));
}

TEST(FormulaParserRegistration, FirstRegistrationWins)
{
    double v = 1.0;
    double w = 2.0;
    FormulaParser parser;
    EXPECT_TRUE(parser.AddParameter(L"v", &v));
    EXPECT_FALSE(parser.AddParameter(L"v", &w));
    EXPECT_FALSE(parser.AddNamedLiteral(L"v", 5.0)); // one name space with parameters
    EXPECT_TRUE(parser.AddFunction1(L"f", [](double p) { return p + 1; }));
    EXPECT_FALSE(parser.AddFunction1(L"f", [](double p) { return p + 100; }));
    EXPECT_TRUE(parser.AddFunction2(L"f", [](double p, double q) { return p * q; }));
    const Node tree = parser.Parse(L"v + f(1) + f(2,3)");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->Evaluate(), 1.0 + 2.0 + 6.0);
}

// Nesting that would overflow the stack fails like any other bad formula.
TEST_F(FormulaParserTest, DepthIsBounded)
{
    const int max = FormulaParser::MAX_DEPTH;
    auto repeat = [](const std::wstring& s, int n) {
        std::wstring out;
        for (int k = 0; k < n; ++k)
            out += s;
        return out;
    };
    const std::wstring brackets = repeat(L"(", 100000) + L"1" + repeat(L")", 100000);
    const std::tuple<const char*, std::wstring, bool> rows[] = {
        // name, text, parses
        {"100000 brackets", brackets, false},
        {"100000 nots", repeat(L"!", 100000) + L"1", false},
        {"100000 conditionals", repeat(L"1?1:", 100000) + L"1", false},

        {"brackets below the limit", repeat(L"(", max - 1) + L"1" + repeat(L")", max - 1), true},
        {"nots at the limit", repeat(L"!", max - 1) + L"1", true},
        {"nots over the limit", repeat(L"!", max) + L"1", false},
        {"terms at the limit", repeat(L"1+", max - 1) + L"1", true},
        {"terms over the limit", repeat(L"1+", max) + L"1", false},
    };
    for (const auto& [name, text, parses] : rows) {
        SCOPED_TRACE(name);
        const Node tree = Parse(text);
        EXPECT_EQ(tree != nullptr, parses);
        if (tree) {
            EXPECT_TRUE(std::isfinite(tree->Evaluate()));
        }
    }
}

// Evaluating or folding a zero divisor throws, in any position that is evaluated.
TEST_F(FormulaParserTest, ZeroDivisionThrows)
{
    for (const wchar_t* text : {L"1/0", L"1/(-0)", L"1/0 && 0", L"0 * (1/0)", L"x + 1/0"}) {
        SCOPED_TRACE(Narrow(text));
        const Node tree = Parse(text);
        ASSERT_NE(tree, nullptr);
        EXPECT_THROW(tree->Evaluate(), std::runtime_error);
        EXPECT_THROW(tree->Optimize(), std::runtime_error);
    }
}

// Which operand goes first is visible through next(), which returns 1, then 2, ...
TEST_F(FormulaParserTest, OperandOrderAndShortCircuits)
{
    const std::tuple<const wchar_t*, double, int> rows[] = {
        // text, value, calls of next()
        {L"next()-next()", -1, 2},      // left first
        {L"next()/next()", 0.5, 2},     // left first
        {L"next() < next()", 1, 2},     // left first
        {L"next()+10*next()", 12, 2},   // right first
        {L"next()*(next()+10)", 22, 2}, // right first
        {L"next()%(next()+10)", 2, 2},  // right first
        {L"pow(next(), next())", 2, 2}, // second argument first
        {L"0 && next()", 0, 0},
        {L"1 || next()", 1, 0},
        {L"0 || next()", 1, 1},
        {L"1 ? next() : next()+10", 1, 1},
        {L"0 ? next() : next()+10", 11, 1},
    };
    for (const auto& [text, expected, calls] : rows) {
        SCOPED_TRACE(Narrow(text));
        const Node tree = Parse(text);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->Evaluate(), expected);
        EXPECT_EQ(counter.calls, calls);
    }
}

TEST_F(FormulaParserTest, ConstantTestFoldingAndPrinting)
{
    // text, constant, printed, printed after Optimize
    const std::tuple<const wchar_t*, bool, const char*, const char*> rows[] = {
        {L"2*PI+1", true, "2*PI+1", "7.28319"},
        {L"1 ? 2 : 3", true, "1?2:3", "2"},
        {L"x*(2+3)", false, "x*(2+3)", "x*5"},
        {L"sin(x*0)", false, "sin(x*0)", "sin(x*0)"},
        {L"next()*(1+2)", false, "next()*(1+2)", "next()*3"},
        {L"pow(2, 3) + a", false, "pow(2,3)+a", "8+a"},
        {L"a-(b-c)", false, "a-b-c", "a-b-c"}, // one limit for both sides
        {L"(a+b)*c", false, "(a+b)*c", "(a+b)*c"},
        {L"-(a+b)", false, "-(a+b)", "-(a+b)"},
        {L"a ? b : c ? 1 : 2", false, "a?b:c?1:2", "a?b:c?1:2"},
        {L"(a ? b : c) + 1", false, "(a?b:c)+1", "(a?b:c)+1"},
    };
    for (const auto& [text, constant, printed, foldedText] : rows) {
        SCOPED_TRACE(Narrow(text));
        const Node tree = Parse(text);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->IsConstant(), constant);
        EXPECT_EQ(Narrow(tree->ToString()), printed);
        const Node folded = tree->Optimize();
        EXPECT_EQ(Narrow(folded->ToString()), foldedText);
        const double before = tree->Evaluate();
        counter.calls = 0;
        EXPECT_TRUE(SameValue(folded->Evaluate(), before));
    }
    // A folded tree still reads its parameters.
    const Node folded = Parse(L"x*(2+3)")->Optimize();
    x = 7.0;
    EXPECT_EQ(folded->Evaluate(), 35.0);
}

} // namespace
