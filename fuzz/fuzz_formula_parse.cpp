// Arbitrary bytes as formula text: the parser must return a tree or a reason and a
// position, never crash or hang; a tree must evaluate, fold and print (evaluation may only
// throw the zero division error).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "formula/FormulaParser.h"

namespace {

struct Calls
{
    double Next() { return ++count; }
    double Pair(double a, double b) { return a - b; }
    double count = 0;
};

void Check(const FormulaParser::Node& tree)
{
    try {
        tree->Evaluate();
    } catch (const std::runtime_error& e) {
        if (std::strcmp(e.what(), "Zero division!.") != 0)
            std::abort();
    }
    try {
        tree->Optimize()->ToString();
    } catch (const std::runtime_error& e) {
        if (std::strcmp(e.what(), "Zero division!.") != 0)
            std::abort();
    }
    tree->ToString();
    tree->IsConstant();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Every byte one character, so the tokenizer sees CR, LF, tabs, NUL and high
    // code units alike.
    const std::wstring text(data, data + size);
    double x = 0.5;
    double i = 3.0;
    Calls calls;
    FormulaParser parser;
    parser.AddStandardFunctions();
    parser.AddParameter(L"x", &x);
    parser.AddParameter(L"i", &i);
    parser.AddFunction0(L"rand", &calls, &Calls::Next);
    parser.AddFunction2(L"y", &calls, &Calls::Pair);
    const FormulaParser::Node tree = parser.Parse(text);
    if (tree) {
        Check(tree);
    } else {
        const FormulaPosition position = parser.GetErrorPosition();
        if (parser.GetError().fault == FormulaFault::NONE)
            std::abort(); // every failure says why
        if (position.line < 0 || position.column < 0 || static_cast<size_t>(position.line) > size ||
            static_cast<size_t>(position.column) > size)
            std::abort();
    }
    return 0;
}
