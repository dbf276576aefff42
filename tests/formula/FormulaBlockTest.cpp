#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "formula/FormulaParser.h"
#include "formula/VectorMath.h"
#include "FormulaRows.h"

namespace {

using Node = FormulaParser::Node;
using Points = FormulaAst::BlockPoints<double>;

// Steps between two doubles of one sign; 0 for two NaN, the most for a NaN and a number.
uint64_t UlpDistance(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b) ? 0 : UINT64_MAX;
    if (a == b)
        return 0;
    int64_t ia, ib;
    std::memcpy(&ia, &a, sizeof a);
    std::memcpy(&ib, &b, sizeof b);
    if ((ia < 0) != (ib < 0))
        return UINT64_MAX;
    return uint64_t(ia > ib ? ia - ib : ib - ia);
}

// The grammar table and the whole function vocabulary at each x.
std::vector<std::wstring> Formulas()
{
    std::vector<std::wstring> formulas;
    for (const auto& row : GRAMMAR_ROWS)
        formulas.push_back(row.first);
    for (const wchar_t* f :
         {L"abs", L"ceil", L"floor", L"round", L"wrap", L"acos", L"asin", L"atan", L"cos", L"cosh",
          L"sin", L"sinh", L"tan", L"tanh", L"exp", L"log", L"log10", L"sqrt"})
        formulas.push_back(std::wstring(f) + L"(x)");
    for (const wchar_t* f : {L"atan2(x, 0.5)", L"atan2(-2, x)", L"pow(x, 0.5)", L"pow(2, x)",
                             L"pow(x, x)", L"sin(x)*exp(-x/1000)+(x>500?1:0)", L"x*x+2*x+1", L"1/x",
                             L"x % 7 == 3 ? 1/3 : -x", L"x && 1/(x-3)", L"-(a+b)*c"})
        formulas.push_back(f);
    return formulas;
}

// Awkward values first, then random ones near and far.
std::vector<double> Xs()
{
    std::vector<double> xs = {
        3,      0,       -0.0,  1,      -1,    0.5, -0.5,   2,   500,  501,
        1e-300, -1e-300, 1e300, -1e300, 709.7, 710, -745.2, 1e6, 1e15, 9007199254740993.0};
    xs.insert(xs.end(), {5e-324, 0.9999999999999999, 1.0000000000000002, NAN, INFINITY, -INFINITY});
    std::mt19937_64 random(17);
    std::uniform_real_distribution<double> near(-1000.0, 1000.0);
    std::uniform_int_distribution<int> exponent(-60, 60);
    while (xs.size() < 3000)
        xs.push_back(xs.size() % 3 ? near(random) : std::ldexp(near(random), exponent(random)));
    return xs;
}

// Each formula over blocks of x (lengths from 1 to SIZE, so every tail of the vector loops
// shows), through EvaluateBlock against Evaluate point by point: arithmetic to the bit, the
// vectorised maths functions within 2 ulp of the C library's (each is within 1 ulp of the
// exact value). A block may throw where a point would not (both sides of && and ?: are
// evaluated); the calculation then goes point by point, so only a throw with no point
// throwing is checked to come from a division.
TEST(FormulaBlocks, BlocksAgreeWithPointByPointEvaluation)
{
    const std::vector<double> xs = Xs();
    std::vector<const VectorMath::Table*> tables = {&VectorMath::Sse2Table()};
    if (VectorMath::Avx2Table())
        tables.push_back(VectorMath::Avx2Table());
    const VectorMath::Table& before = VectorMath::Current();
    for (const VectorMath::Table* table : tables) {
        VectorMath::Use(*table);
        for (const std::wstring& text : Formulas()) {
            SCOPED_TRACE(std::string(table->name) + ": " + Narrow(text));
            double a = 1.0, b = 2.0, c = 3.0, x = 3.0;
            FormulaParser parser;
            parser.AddStandardFunctions();
            parser.AddParameter(L"a", &a);
            parser.AddParameter(L"b", &b);
            parser.AddParameter(L"c", &c);
            parser.AddParameter(L"x", &x);
            const Node tree = parser.Parse(text);
            ASSERT_NE(tree, nullptr);
            bool maths = false; // sqrt is exact, the others SLEEF's
            for (const wchar_t* f : {L"sin", L"cos", L"tan", L"exp", L"log", L"pow"})
                maths = maths || text.find(f) != std::wstring::npos;
            Points points;
            std::vector<double> out(Points::SIZE);
            size_t length = 1;
            for (size_t begin = 0; begin < xs.size(); begin += points.n) {
                points.n = std::min({length++ % Points::SIZE + 1, xs.size() - begin});
                points.Bind(0, &x, xs.data() + begin);
                bool blockThrew = false;
                try {
                    tree->EvaluateBlock(out.data(), points);
                } catch (const std::runtime_error&) {
                    blockThrew = true;
                }
                bool pointThrew = false;
                for (size_t k = 0; k < points.n; ++k) {
                    x = xs[begin + k];
                    double want = 0.0;
                    try {
                        want = tree->Evaluate();
                    } catch (const std::runtime_error&) {
                        pointThrew = true;
                        continue;
                    }
                    if (blockThrew)
                        continue;
                    const uint64_t ulps = UlpDistance(out[k], want);
                    EXPECT_LE(ulps, maths ? 2u : 0u)
                        << "x = " << x << ": " << out[k] << " vs " << want;
                }
                ASSERT_TRUE(!pointThrew || blockThrew) << "at x from " << xs[begin];
                if (blockThrew && !pointThrew) {
                    ASSERT_NE(text.find(L'/'), std::wstring::npos) << "at x from " << xs[begin];
                }
            }
        }
    }
    VectorMath::Use(before);
}

} // namespace
