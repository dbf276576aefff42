#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "formula/FormulaParser.h"

namespace {

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += (c >= 32 && c < 127) ? char(c) : '?';
    return out;
}

// Both NaN, or equal with the same sign.
bool SameValue(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

// The built-in vocabulary and a parameter x = 3.
class ParserFixture : public ::testing::Test
{
protected:
    ParserFixture() { Prepare(parser); }

    void Prepare(FormulaParser& p)
    {
        p.AddStandardFunctions();
        p.AddParameter(L"x", &x);
    }

    std::optional<double> Evaluate(const std::wstring& text)
    {
        FormulaParser p;
        Prepare(p);
        const FormulaParser::Node tree = p.Parse(text);
        if (!tree)
            return std::nullopt;
        return tree->Evaluate();
    }

    double x = 3.0;
    FormulaParser parser;
};

struct ValueRow
{
    const wchar_t* text;
    std::optional<double> expected; // nullopt: not a formula
};

class ParserValues : public ParserFixture
{
protected:
    void Check(const std::vector<ValueRow>& rows)
    {
        for (const ValueRow& row : rows) {
            SCOPED_TRACE(Narrow(row.text));
            const std::optional<double> value = Evaluate(row.text);
            ASSERT_EQ(value.has_value(), row.expected.has_value());
            if (value) {
                EXPECT_TRUE(SameValue(*value, *row.expected)) << *value << " vs " << *row.expected;
            }
        }
    }
};

const std::optional<double> FAILS;

TEST_F(ParserValues, PrecedenceAndAssociativity)
{
    Check({
        {L"2+3*4", 14},
        {L"(2+3)*4", 20},
        {L"1-2-3", -4},
        {L"8/2/2", 2},
        {L"7%4*2", 6},
        {L"2*3%4", 2},
        {L"1 < 2 < 3", 1},
        {L"3 > 2 > 1", 0},
        {L"1 == 1 == 2", 0},
        {L"1 || 0 && 0", 0}, // one level, left to right
        {L"0 && 0 || 1", 1},
        {L"1+2 == 3", 1},
        {L"0 || 0 + 1", 1},
        {L"1 ? 2 : 3 + 4", 2},
        {L"2 <= 2 != 0", 1},
        {L"x*x-2*x", 3},
    });
}

TEST_F(ParserValues, UnaryRules)
{
    Check({
        {L"-x", -3},     {L"+x", 3},      {L"- 5", -5},    {L"-2*3", -6},   {L"2*-3", -6},
        {L"2*-x", -6},   {L"!x", 0},      {L"!!5", 1},     {L"!!!0", 1},    {L"-(-x)", 3},
        {L"-(0)", -0.0}, {L"--5", FAILS}, {L"+-5", FAILS}, {L"-!x", FAILS}, {L"!-x", FAILS},
        {L"!", FAILS},   {L"!!", FAILS},  {L"-", FAILS},   {L"2*", FAILS},
    });
}

TEST_F(ParserValues, ConditionalChains)
{
    Check({
        {L"0 ? 1 : 0 ? 2 : 3", 3},
        {L"1 ? 1 : 0 ? 2 : 3", 1},
        {L"0 ? 1 : 1 ? 2 : 3", 2},
        {L"1 ? (0 ? 1 : 2) : 3", 2},
        {L"x > 2 ? x : -x", 3},
        {L"1 ? 2", FAILS},
        {L"1 ? 2 :", FAILS},
        {L"1 ? 0 ? 1 : 2 : 3", FAILS},
        {L"1 ? 2 3", FAILS},
        {L"?", FAILS},
    });
}

TEST_F(ParserValues, CallsAndArity)
{
    Check({
        {L"sin (x)", std::sin(3.0)},
        {L"pow(2,10)", 1024},
        {L"pow(2, sin(0))", 1},
        {L"atan2(1, -1)", std::atan2(1.0, -1.0)},
        {L"abs(-2)", 2},
        {L"sqrt(16)+log10(100)", 6},
        {L"x(1)", FAILS},
        {L"PI(1)", FAILS},
        {L"sin(1,2)", FAILS},
        {L"pow(2)", FAILS},
        {L"sin()", FAILS},
        {L"sin", FAILS},
        {L"sin(", FAILS},
        {L"sin(1", FAILS},
        {L"sin(1,)", FAILS},
        {L"f(1,2,3)", FAILS},
        {L"pow(1,2,3)", FAILS},
        {L"f(1,2,3,4)", FAILS},
        {L"f(1,2,3,4,5)", FAILS},
        {L"2(3)", FAILS},
        {L"1 2", FAILS},
        {L"(1", FAILS},
        {L"1)", FAILS},
        {L"()", FAILS},
    });
}

TEST_F(ParserValues, NumbersAndNames)
{
    Check({
        {L"1e5", 100000},
        {L"2.5E3", 2500},
        {L".5", 0.5},
        {L"5.", 5},
        {L"007", 7},
        {L"PI", 3.1415927410125732},
        {L"E", 2.7182817459106445},
        {L"1e-5", FAILS}, // 1e is a name
        {L"1e", FAILS},
        {L"1.5.2", FAILS},
        {L"0x10", FAILS},
        {L"inf", FAILS},
        {L"nan", FAILS},
        {L"2x", FAILS},
        {L"pi", FAILS},
        {L"e", FAILS},
        {L"X", FAILS},
        {L"a=b", FAILS},
        {L"x=x", FAILS},
        {L"x&x", FAILS},
        {L"x|x", FAILS},
        {L"x^2", FAILS},
        {L"", FAILS},
        {L" \t\n", FAILS},
    });
}

TEST_F(ParserValues, RoundAndWrap)
{
    Check({
        {L"round(2.5)", 3},
        {L"round(-2.5)", -3},
        {L"round(-0.4)", -0.0},
        {L"round(0.4)", 0},
        {L"round(sqrt(-1))", std::nan("")},
        {L"wrap(7)", 0.7168146928204138},
        {L"wrap(-4)", 2.2831853071795862},
        {L"wrap(3.141592653589793)", -3.141592653589793},
        {L"wrap(-3.141592653589793)", -3.141592653589793},
        {L"wrap(PI)", -3.141592566167013},
        {L"wrap(1)", 1},
    });
}

TEST_F(ParserFixture, FailurePositions)
{
    struct Row
    {
        const wchar_t* text;
        int line;
        int column;
    };
    const Row rows[] = {
        {L"", 0, 0},
        {L"   ", 0, 0},
        {L"1 2", 0, 0}, // the 2 was put back: the token before it
        {L"foo", 0, 0}, // an unknown name: itself
        {L"  1 + foo", 0, 6},
        {L"\tfoo", 0, 1},        // a tab is one column
        {L"2 * (3 + 4", 0, 9},   // the last token read before the missing ")"
        {L"1 +\n\n)", 2, 0},     // the ")" consumed as a name
        {L"1 +\r\nfoo", 1, 0},   // CR LF is one line break
        {L"1 +\r\r\nfoo", 0, 3}, // the lone CR is a name on line 0
        {L"1 +", 0, 2},
        {L"(1 2)", 0, 3},        // a ")" replaced by another token
        {L"1 ? 2 3", 0, 6},      // a ":" replaced by another token
        {L"pow(1,2,3)", 0, 9},   // three arguments fail at their ")"
        {L"f(1,2,3,4,5)", 0, 9}, // the fifth argument fails at its ","
        {L"2(3)", 0, 0},
        {L"1 +\n  sin(1,2)", 1, 9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.text));
        FormulaParser p;
        Prepare(p);
        ASSERT_EQ(p.Parse(row.text), nullptr);
        EXPECT_EQ(p.GetErrorPosition().line, row.line);
        EXPECT_EQ(p.GetErrorPosition().column, row.column);
    }
}

TEST(FormulaTokenizer, TokensAndPositions)
{
    struct Row
    {
        const wchar_t* text;
        std::vector<std::string> tokens; // text@line:column
    };
    const Row rows[] = {
        {L"a&&b", {"a@0:0", "&&@0:1", "b@0:3"}},
        {L"1e-3", {"1e@0:0", "-@0:2", "3@0:3"}},
        {L"a=b", {"a=b@0:0"}},
        {L"a==b", {"a@0:0", "==@0:1", "b@0:3"}},
        {L"!==", {"!=@0:0", "=@0:2"}},
        {L"<=>", {"<=@0:0", ">@0:2"}},
        {L"x\r\ny", {"x@0:0", "y@1:0"}},
        {L"x\ry", {"x?y@0:0"}},
        {L"\tx", {"x@0:1"}},
        {L"a\n  b", {"a@0:0", "b@1:2"}},
        {L"sin (x)", {"sin@0:0", "(@0:4", "x@0:5", ")@0:6"}},
        {L"f(a,b)?c:d",
         {"f@0:0", "(@0:1", "a@0:2", ",@0:3", "b@0:4", ")@0:5", "?@0:6", "c@0:7", ":@0:8",
          "d@0:9"}},
        {L"x_1.5^2", {"x_1.5^2@0:0"}},
        {L"", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.text));
        FormulaParser parser;
        parser.Tokenize(row.text);
        std::vector<std::string> got;
        for (const Token& t : parser.GetTokens())
            got.push_back(Narrow(t.text) + "@" + std::to_string(t.line) + ":" +
                          std::to_string(t.column));
        EXPECT_EQ(got, row.tokens);
    }
}

TEST(FormulaTokenizer, NextTokenAndPutBackStopAtTheEnds)
{
    FormulaParser parser;
    parser.Tokenize(L"a b");
    parser.PutBack(); // at the first token: stays
    EXPECT_EQ(parser.NextToken(), L"a");
    EXPECT_EQ(parser.NextToken(), L"b");
    EXPECT_EQ(parser.NextToken(), L"");
    EXPECT_EQ(parser.NextToken(), L"");
    parser.PutBack();
    EXPECT_EQ(parser.NextToken(), L"b");
}

TEST(FormulaParserRegistration, FirstRegistrationWins)
{
    double a = 1.0;
    double b = 2.0;
    FormulaParser parser;
    EXPECT_TRUE(parser.AddParameter(L"v", &a));
    EXPECT_FALSE(parser.AddParameter(L"v", &b));
    EXPECT_FALSE(parser.AddNamedLiteral(L"v", 5.0)); // one name space with parameters
    EXPECT_TRUE(parser.AddNamedLiteral(L"k", 7.0));
    EXPECT_FALSE(parser.AddParameter(L"k", &b));
    EXPECT_TRUE(parser.AddFunction1(L"f", [](double v) { return v + 1; }));
    EXPECT_FALSE(parser.AddFunction1(L"f", [](double v) { return v + 100; }));
    // Each arity is its own name space.
    EXPECT_TRUE(parser.AddFunction2(L"f", [](double p, double q) { return p * q; }));

    const auto tree = parser.Parse(L"v + k + f(1) + f(2,3)");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->Evaluate(), 1.0 + 7.0 + 2.0 + 6.0);
    a = 10.0; // parameters are read at evaluation time
    EXPECT_EQ(tree->Evaluate(), 10.0 + 7.0 + 2.0 + 6.0);
}

// Nesting that would overflow the stack fails like any other bad formula.
TEST_F(ParserFixture, DepthIsBounded)
{
    const int max = FormulaParser::kMaxDepth;
    auto repeat = [](const std::wstring& s, int n) {
        std::wstring out;
        for (int k = 0; k < n; ++k)
            out += s;
        return out;
    };
    struct Row
    {
        std::string name;
        std::wstring text;
        bool parses;
    };
    const Row rows[] = {
        {"100000 brackets", repeat(L"(", 100000) + L"1" + repeat(L")", 100000), false},
        {"100000 nots", repeat(L"!", 100000) + L"1", false},
        {"100000 conditionals", repeat(L"1?1:", 100000) + L"1", false},
        {"100000 terms", repeat(L"1+", 100000) + L"1", false},
        {"100000 calls", repeat(L"sin(", 100000) + L"1" + repeat(L")", 100000), false},
        {"brackets below the limit", repeat(L"(", max - 1) + L"1" + repeat(L")", max - 1), true},
        {"nots at the limit", repeat(L"!", max - 1) + L"1", true},
        {"nots over the limit", repeat(L"!", max) + L"1", false},
        {"terms at the limit", repeat(L"1+", max - 1) + L"1", true},
        {"terms over the limit", repeat(L"1+", max) + L"1", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FormulaParser p;
        Prepare(p);
        const FormulaParser::Node tree = p.Parse(row.text);
        EXPECT_EQ(tree != nullptr, row.parses);
        if (tree) {
            EXPECT_TRUE(std::isfinite(tree->Evaluate()));
        }
    }

    // The failure points at the bracket that went one level too deep.
    FormulaParser p;
    Prepare(p);
    ASSERT_EQ(p.Parse(repeat(L"(", 100000) + L"1" + repeat(L")", 100000)), nullptr);
    EXPECT_EQ(p.GetErrorPosition().line, 0);
    EXPECT_EQ(p.GetErrorPosition().column, max - 1);
}

} // namespace
