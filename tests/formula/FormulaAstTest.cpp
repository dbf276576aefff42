#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "formula/FormulaParser.h"

namespace {

using Node = FormulaParser::Node;

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

bool SameValue(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return a == b && std::signbit(a) == std::signbit(b);
}

// A function with a side effect: returns 1, 2, 3, ... and counts its calls.
struct Counter
{
    double Next() { return ++calls; }
    int calls = 0;
};

// Parameters a, b, c, x and the function next() next to the built-in vocabulary.
class AstFixture : public ::testing::Test
{
protected:
    Node Parse(const std::wstring& text)
    {
        FormulaParser parser;
        parser.AddStandardFunctions();
        parser.AddParameter(L"a", &a);
        parser.AddParameter(L"b", &b);
        parser.AddParameter(L"c", &c);
        parser.AddParameter(L"x", &x);
        parser.AddFunction0(L"next", &counter, &Counter::Next);
        Node tree = parser.Parse(text);
        EXPECT_NE(tree, nullptr) << Narrow(text);
        return tree;
    }

    double a = 1.0;
    double b = 2.0;
    double c = 3.0;
    double x = 5.0;
    Counter counter;
};

TEST_F(AstFixture, EvaluationSemantics)
{
    struct Row
    {
        const wchar_t* text;
        double expected; // ignored when it throws
        bool throws;
    };
    const double nan = std::nan("");
    const Row rows[] = {
        {L"1/0", 0, true},
        {L"1/(-0)", 0, true},
        {L"0/0", 0, true},
        {L"1/sqrt(-1)", nan, false}, // a NaN divisor is no zero divisor
        {L"5 % 0", nan, false},
        {L"-7 % 3", -1, false},
        {L"7 % -3", 1, false},
        {L"0 && 1/0", 0, false},
        {L"1 || 1/0", 1, false},
        {L"1 ? 2 : 1/0", 2, false},
        {L"0 ? 1/0 : 3", 3, false},
        {L"1/0 && 0", 0, true},          // the left operand first
        {L"0 * (1/0)", 0, true},         // "*" evaluates both
        {L"sqrt(-1) ? 1 : 2", 1, false}, // NaN is true
        {L"!sqrt(-1)", 0, false},
        {L"sqrt(-1) && 1", 1, false},
        {L"sqrt(-1) != sqrt(-1)", 1, false},
        {L"sqrt(-1) == sqrt(-1)", 0, false},
        {L"sqrt(-1) < 1", 0, false},
        {L"sqrt(-1) >= 1", 0, false},
        {L"-(0)", -0.0, false},
        {L"-(sqrt(-1))", nan, false},
        {L"!(-0)", 1, false}, // -0 is false
        {L"-0 || 0", 0, false},
        {L"0 == -0", 1, false},
        {L"2 && 3", 1, false}, // logical results are exactly 0 or 1
        {L"0 || -7", 1, false},
        {L"1e308*10", INFINITY, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.text));
        const Node tree = Parse(row.text);
        ASSERT_NE(tree, nullptr);
        if (row.throws) {
            try {
                tree->Evaluate();
                ADD_FAILURE() << "no exception";
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "Zero division!.");
            }
        } else {
            const double value = tree->Evaluate();
            EXPECT_TRUE(SameValue(value, row.expected)) << value;
        }
    }
}

// Which operand goes first is visible through functions with side effects.
TEST_F(AstFixture, OperandOrderAndShortCircuits)
{
    struct Row
    {
        const wchar_t* text;
        double expected; // next() returns 1, then 2, ...
        int calls;
    };
    const Row rows[] = {
        {L"next()-next()", -1, 2},      // left first
        {L"next()/next()", 0.5, 2},     // left first
        {L"next() < next()", 1, 2},     // left first
        {L"next() == next()-1", 1, 2},  // left first
        {L"next()+10*next()", 12, 2},   // right first
        {L"next()*(next()+10)", 22, 2}, // right first
        {L"next()%(next()+10)", 2, 2},  // right first
        {L"pow(next(), next())", 2, 2}, // second argument first
        {L"0 && next()", 0, 0},
        {L"1 && next()", 1, 1},
        {L"1 || next()", 1, 0},
        {L"0 || next()", 1, 1},
        {L"1 ? next() : next()+10", 1, 1},
        {L"0 ? next() : next()+10", 11, 1},
        {L"-next()", -1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.text));
        counter.calls = 0;
        const Node tree = Parse(row.text);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->Evaluate(), row.expected);
        EXPECT_EQ(counter.calls, row.calls);
    }
}

TEST_F(AstFixture, ConstantTestFoldingAndPrinting)
{
    struct Row
    {
        const wchar_t* text;
        bool constant;
        const char* printed;
        const char* folded; // printed form after Optimize
    };
    const Row rows[] = {
        {L"2*PI+1", true, "2*PI+1", "7.28319"},
        {L"PI", true, "PI", "3.14159"},
        {L"x+1", false, "x+1", "x+1"},
        {L"sin(x*0)", false, "sin(x*0)", "sin(x*0)"},
        {L"next()", false, "next()", "next()"},
        {L"next()*(1+2)", false, "next()*(1+2)", "next()*3"},
        {L"x*(2+3)", false, "x*(2+3)", "x*5"},
        {L"a-(b-c)", false, "a-b-c", "a-b-c"}, // one limit for both sides
        {L"(a+b)*c", false, "(a+b)*c", "(a+b)*c"},
        {L"a*(b/c)", false, "a*b/c", "a*b/c"},
        {L"-(a+b)", false, "-(a+b)", "-(a+b)"},
        {L"!a&&b", false, "!a&&b", "!a&&b"},
        {L"a<b==c", false, "a<b==c", "a<b==c"},
        {L"a ? b : c ? 1 : 2", false, "a?b:c?1:2", "a?b:c?1:2"},
        {L"(a ? b : c) + 1", false, "(a?b:c)+1", "(a?b:c)+1"},
        {L"pow(a, b+1)", false, "pow(a,b+1)", "pow(a,b+1)"},
        {L"pow(2, 3) + a", false, "pow(2,3)+a", "8+a"},
        {L"0.1", true, "0.1", "0.1"},
        {L"1234567", true, "1.23457e+06", "1.23457e+06"},
        {L"1 ? 2 : 3", true, "1?2:3", "2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.text));
        const Node tree = Parse(row.text);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->IsConstant(), row.constant);
        EXPECT_EQ(Narrow(tree->ToString()), row.printed);
        const Node folded = tree->Optimize();
        EXPECT_EQ(Narrow(folded->ToString()), row.folded);
        if (row.constant) {
            EXPECT_NE(dynamic_cast<const FormulaAst::Literal<double>*>(folded.get()), nullptr);
        }
        counter.calls = 0;
        const double before = tree->Evaluate();
        counter.calls = 0;
        EXPECT_TRUE(SameValue(folded->Evaluate(), before));
    }
}

TEST_F(AstFixture, FoldedValueIsExact)
{
    const Node folded = Parse(L"2*PI+1")->Optimize();
    auto* literal = dynamic_cast<const FormulaAst::Literal<double>*>(folded.get());
    ASSERT_NE(literal, nullptr);
    EXPECT_EQ(literal->GetValue(), 7.2831854820251465);
}

TEST_F(AstFixture, FoldedTreeStillReadsItsParameters)
{
    const Node folded = Parse(L"x*(2+3)")->Optimize();
    x = 7.0;
    EXPECT_EQ(folded->Evaluate(), 35.0);
}

TEST_F(AstFixture, FoldingAConstantZeroDivisionThrows)
{
    for (const wchar_t* text : {L"1/0", L"x + 1/0"}) {
        SCOPED_TRACE(Narrow(text));
        const Node tree = Parse(text);
        ASSERT_NE(tree, nullptr);
        EXPECT_THROW(tree->Optimize(), std::runtime_error);
    }
}

// Nodes built directly, without the parser's choice of child kinds, behave the same.
TEST(FormulaAstNodes, GenericNodesMatchParsedOnes)
{
    using namespace FormulaAst;
    double x = 4.0;
    NodePtr<double> px = std::make_shared<Parameter<double>>(L"x", &x);
    NodePtr<double> two = std::make_shared<Literal<double>>(2.0);
    NodePtr<double> sub = std::make_shared<OpSub<double>>(px, two);
    NodePtr<double> cond = std::make_shared<OpConditional<double>>(
        std::make_shared<OpGtr<double>>(px, two), sub, std::make_shared<OpMinus<double>>(px));
    EXPECT_EQ(cond->Evaluate(), 2.0);
    x = 1.0;
    EXPECT_EQ(cond->Evaluate(), -1.0);
    EXPECT_EQ(Narrow(cond->ToString()), "x>2?x-2:-x");
    EXPECT_EQ(cond->GetPrecedence(), 7);
    EXPECT_EQ(sub->GetPrecedence(), 4);
}

} // namespace
