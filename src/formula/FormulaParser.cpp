#include "formula/FormulaParser.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <locale>
#include <sstream>

#include "formula/VectorMath.h"

namespace {

using Node = FormulaParser::Node;
namespace Ast = FormulaAst;

// A token is a number when a classic-locale stream reads a double from all of it:
// 1e5 and .5 are numbers, 1e, 2x and 0x10 are not.
bool ReadNumber(const std::wstring& text, double& value)
{
    std::wistringstream in(text);
    in.imbue(std::locale::classic());
    in >> value;
    return !in.fail() && in.eof();
}

bool IsOperatorPair(wchar_t a, wchar_t b)
{
    static const wchar_t TWO_CHAR_OPERATORS[][2] = {{L'&', L'&'}, {L'|', L'|'}, {L'<', L'='},
                                                    {L'>', L'='}, {L'=', L'='}, {L'!', L'='}};
    return std::any_of(std::begin(TWO_CHAR_OPERATORS), std::end(TWO_CHAR_OPERATORS),
                       [&](const wchar_t* p) { return p[0] == a && p[1] == b; });
}

bool IsOperatorChar(wchar_t c)
{
    return c != 0 && std::wcschr(L"<>+-!*/%(),?:", c) != nullptr;
}

// Tokens never mix operator and other characters, except a lone "=", "&" or "|" in
// a word, which is a bad character there.
bool IsOperatorToken(const std::wstring& token)
{
    return IsOperatorChar(token[0]) || (token.size() == 2 && IsOperatorPair(token[0], token[1]));
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Names are ASCII: a letter or "_", then letters, digits and "_".
bool IsNameChar(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || IsDigit(c);
}

FormulaPosition PositionOf(const Token& token)
{
    return FormulaPosition{token.line, token.column};
}

template <typename Op> Node MakeBinary(Node left, Node right)
{
    return Ast::MakeBinary<double, Op>(std::move(left), std::move(right));
}

double Abs(double a)
{
    return std::fabs(a);
}
double Ceil(double a)
{
    return std::ceil(a);
}
double Floor(double a)
{
    return std::floor(a);
}
// Halves away from zero; NaN takes the second branch and stays NaN.
double Round(double a)
{
    return a >= 0.0 ? std::floor(a + 0.5) : std::ceil(a - 0.5);
}
// Into [-pi, pi).
double Wrap(double a)
{
    const double r = std::fmod(a, 6.283185307179586);
    if (r < -3.141592653589793)
        return r + 6.283185307179586;
    if (r >= 3.141592653589793)
        return r - 6.283185307179586;
    return r;
}
double Acos(double a)
{
    return std::acos(a);
}
double Asin(double a)
{
    return std::asin(a);
}
double Atan(double a)
{
    return std::atan(a);
}
double Atan2(double y, double x)
{
    return std::atan2(y, x);
}
double Cos(double a)
{
    return std::cos(a);
}
double Cosh(double a)
{
    return std::cosh(a);
}
double Sin(double a)
{
    return std::sin(a);
}
double Sinh(double a)
{
    return std::sinh(a);
}
double Tan(double a)
{
    return std::tan(a);
}
double Tanh(double a)
{
    return std::tanh(a);
}
double Exp(double a)
{
    return std::exp(a);
}
double Log(double a)
{
    return std::log(a);
}
double Log10(double a)
{
    return std::log10(a);
}
double Pow(double a, double b)
{
    return std::pow(a, b);
}
double Sqrt(double a)
{
    return std::sqrt(a);
}

// Counts one open conditional level for as long as it lives.
class NestingGuard
{
public:
    explicit NestingGuard(int& nesting) : m_nesting(nesting) { ++m_nesting; }
    ~NestingGuard() { --m_nesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& m_nesting;
};

} // namespace

bool FormulaParser::AddParameter(const std::wstring& name, double* place)
{
    if (m_namedLiterals.count(name))
        return false;
    return m_parameters.emplace(name, place).second;
}

bool FormulaParser::AddNamedLiteral(const std::wstring& name, double value)
{
    if (m_parameters.count(name))
        return false;
    return m_namedLiterals.emplace(name, value).second;
}

bool FormulaParser::AddFunction1(const std::wstring& name, double (*function)(double),
                                 Ast::Block1<double> block)
{
    using F = double (*)(double);
    return AddCreator(m_functions1, name,
                      std::make_shared<Ast::Func1Creator<double, F>>(name, function, true, block));
}

bool FormulaParser::AddFunction2(const std::wstring& name, double (*function)(double, double),
                                 Ast::Block2<double> block)
{
    using F = double (*)(double, double);
    return AddCreator(m_functions2, name,
                      std::make_shared<Ast::Func2Creator<double, F>>(name, function, true, block));
}

void FormulaParser::AddStandardFunctions()
{
    AddFunction1(L"abs", Abs);
    AddFunction1(L"ceil", Ceil);
    AddFunction1(L"floor", Floor);
    AddFunction1(L"round", Round);
    AddFunction1(L"wrap", Wrap);
    AddFunction1(L"acos", Acos, VectorMath::Acos);
    AddFunction1(L"asin", Asin, VectorMath::Asin);
    AddFunction1(L"atan", Atan, VectorMath::Atan);
    AddFunction2(L"atan2", Atan2, VectorMath::Atan2);
    AddFunction1(L"cos", Cos, VectorMath::Cos);
    AddFunction1(L"cosh", Cosh);
    AddFunction1(L"sin", Sin, VectorMath::Sin);
    AddFunction1(L"sinh", Sinh);
    AddFunction1(L"tan", Tan, VectorMath::Tan);
    AddFunction1(L"tanh", Tanh, VectorMath::Tanh);
    AddFunction1(L"exp", Exp, VectorMath::Exp);
    AddFunction1(L"log", Log, VectorMath::Log);
    AddFunction1(L"log10", Log10, VectorMath::Log10);
    AddFunction2(L"pow", Pow, VectorMath::Pow);
    AddFunction1(L"sqrt", Sqrt, VectorMath::Sqrt);
    // Single-precision values widened to double, as users of this program know them.
    AddNamedLiteral(L"PI", static_cast<double>(3.14159265358979323846f));
    AddNamedLiteral(L"E", static_cast<double>(2.71828182845904523536f));
}

// Operators of two characters bind before single ones; a lone "=", "&" or "|" is an
// ordinary token character, so a=b is one token. CR LF is one line break, a lone CR
// an ordinary character.
void FormulaParser::Tokenize(const std::wstring& text)
{
    m_tokens.clear();
    m_cursor = 0;
    int32_t line = 0;
    int32_t column = 0;
    std::wstring pending;
    int32_t pendingColumn = 0;
    auto flush = [&] {
        if (!pending.empty()) {
            m_tokens.push_back(Token{pending, line, pendingColumn});
            pending.clear();
        }
    };
    const size_t n = text.size();
    size_t pos = 0;
    while (pos < n) {
        const wchar_t c = text[pos];
        if (pos + 1 < n) {
            const wchar_t d = text[pos + 1];
            if (IsOperatorPair(c, d)) {
                flush();
                m_tokens.push_back(Token{std::wstring{c, d}, line, column});
                column += 2;
                pos += 2;
                continue;
            }
            if (c == L'\r' && d == L'\n') {
                flush();
                ++line;
                column = 0;
                pos += 2;
                continue;
            }
        }
        if (IsOperatorChar(c)) {
            flush();
            m_tokens.push_back(Token{std::wstring(1, c), line, column});
            ++column;
        } else if (c == L' ' || c == L'\t') {
            flush();
            ++column;
        } else if (c == L'\n') {
            flush();
            ++line;
            column = 0;
        } else {
            if (pending.empty())
                pendingColumn = column;
            pending += c;
            ++column;
        }
        ++pos;
    }
    flush();
}

const std::wstring& FormulaParser::NextToken()
{
    static const std::wstring END_OF_TEXT;
    m_pastEnd = m_cursor >= m_tokens.size();
    if (m_pastEnd)
        return END_OF_TEXT;
    return m_tokens[m_cursor++].text;
}

void FormulaParser::PutBack()
{
    m_pastEnd = false;
    if (m_cursor > 0)
        --m_cursor;
}

FormulaParser::Tree FormulaParser::Fail(FormulaFault fault, const FormulaPosition& where,
                                        const std::wstring& text)
{
    m_error = FormulaError{fault, where, text};
    return Tree{};
}

FormulaParser::Tree FormulaParser::FailHere(FormulaFault fault, const std::wstring& text)
{
    if (m_pastEnd || m_cursor == 0)
        return Fail(fault, EndPosition(), text);
    return Fail(fault, PositionOf(m_tokens[m_cursor - 1]), text);
}

FormulaPosition FormulaParser::EndPosition() const
{
    if (m_tokens.empty())
        return FormulaPosition{};
    const Token& last = m_tokens.back();
    return FormulaPosition{last.line, last.column + static_cast<int32_t>(last.text.size())};
}

FormulaParser::Node FormulaParser::Parse(const std::wstring& text)
{
    Tokenize(text);
    m_nesting = 0;
    m_pastEnd = false;
    m_error = FormulaError{};
    m_calls.clear();
    if (m_tokens.empty()) {
        Fail(FormulaFault::EMPTY, FormulaPosition{});
        return nullptr;
    }
    const Tree tree = ParseConditional();
    if (tree && m_cursor < m_tokens.size()) {
        // A whole formula was read and something follows it.
        const Token& extra = m_tokens[m_cursor];
        Fail(extra.text == L")" ? FormulaFault::UNMATCHED_BRACKET : FormulaFault::UNEXPECTED_TOKEN,
             PositionOf(extra), extra.text);
    }
    if (m_error.fault != FormulaFault::NONE) {
        m_calls.clear();
        return nullptr;
    }
    return tree.node;
}

// conditional := logical ( "?" logical ":" logical )*, built from the end so that
// a ? b : c ? d : e is a ? b : (c ? d : e).
FormulaParser::Tree FormulaParser::ParseConditional()
{
    NestingGuard guard(m_nesting);
    if (m_nesting > MAX_DEPTH)
        return FailHere(FormulaFault::TOO_DEEP);
    std::vector<Tree> list;
    Tree first = ParseLogical();
    if (!first)
        return Tree{};
    list.push_back(std::move(first));
    for (;;) {
        const std::wstring& token = NextToken();
        if (token.empty())
            break;
        if (token != L"?") {
            PutBack();
            break;
        }
        Tree ifTrue = ParseLogical();
        if (!ifTrue)
            return Tree{};
        if (NextToken() != L":")
            return FailHere(FormulaFault::EXPECTED_TOKEN, L":");
        Tree next = ParseLogical();
        if (!next)
            return Tree{};
        list.push_back(std::move(ifTrue));
        list.push_back(std::move(next));
    }
    Tree result = std::move(list.back());
    for (size_t k = list.size() - 1; k >= 2; k -= 2) {
        const Tree& condition = list[k - 2];
        const Tree& ifTrue = list[k - 1];
        const int depth = std::max({condition.depth, ifTrue.depth, result.depth}) + 1;
        if (depth > MAX_DEPTH)
            return FailHere(FormulaFault::TOO_DEEP);
        result =
            Tree{Ast::MakeConditional<double>(condition.node, ifTrue.node, result.node), depth};
    }
    return result;
}

// Every binary level: left-associative, so 1-2-3 is (1-2)-3.
template <size_t N>
FormulaParser::Tree FormulaParser::ParseBinaryLevel(Tree (FormulaParser::*next)(),
                                                    const BinaryOperator (&ops)[N])
{
    Tree left = (this->*next)();
    if (!left)
        return Tree{};
    for (;;) {
        const std::wstring& token = NextToken();
        if (token.empty())
            break;
        const auto op = std::find_if(std::begin(ops), std::end(ops),
                                     [&](const BinaryOperator& o) { return token == o.text; });
        if (op == std::end(ops)) {
            PutBack();
            break;
        }
        Tree right = (this->*next)();
        if (!right)
            return Tree{};
        const int depth = std::max(left.depth, right.depth) + 1;
        if (depth > MAX_DEPTH)
            return FailHere(FormulaFault::TOO_DEEP);
        left = Tree{op->make(std::move(left.node), std::move(right.node)), depth};
    }
    return left;
}
// logical := comparison ( ("&&" | "||") comparison )*, one precedence for both.
FormulaParser::Tree FormulaParser::ParseLogical()
{
    static const BinaryOperator OPERATORS[] = {{L"&&", MakeBinary<Ast::Ops::And>},
                                               {L"||", MakeBinary<Ast::Ops::Or>}};
    return ParseBinaryLevel(&FormulaParser::ParseComparison, OPERATORS);
}

// comparison := additive ( ("<" | ">" | "<=" | ">=" | "==" | "!=") additive )*
FormulaParser::Tree FormulaParser::ParseComparison()
{
    static const BinaryOperator OPERATORS[] = {
        {L"<", MakeBinary<Ast::Ops::Lss>},  {L">", MakeBinary<Ast::Ops::Gtr>},
        {L"<=", MakeBinary<Ast::Ops::Leq>}, {L">=", MakeBinary<Ast::Ops::Geq>},
        {L"==", MakeBinary<Ast::Ops::Equ>}, {L"!=", MakeBinary<Ast::Ops::Neq>}};
    return ParseBinaryLevel(&FormulaParser::ParseAdditive, OPERATORS);
}

// additive := multiplicative ( ("+" | "-") multiplicative )*
FormulaParser::Tree FormulaParser::ParseAdditive()
{
    static const BinaryOperator OPERATORS[] = {{L"+", MakeBinary<Ast::Ops::Add>},
                                               {L"-", MakeBinary<Ast::Ops::Sub>}};
    return ParseBinaryLevel(&FormulaParser::ParseMultiplicative, OPERATORS);
}

// multiplicative := unary ( ("*" | "/" | "%") unary )*
FormulaParser::Tree FormulaParser::ParseMultiplicative()
{
    static const BinaryOperator OPERATORS[] = {{L"*", MakeBinary<Ast::Ops::Mul>},
                                               {L"/", MakeBinary<Ast::Ops::Div>},
                                               {L"%", MakeBinary<Ast::Ops::Mod>}};
    return ParseBinaryLevel(&FormulaParser::ParseUnary, OPERATORS);
}

// unary := ("+" | "-") primary | "!"+ primary | primary
// One sign only: --x and +-x fail, since the second sign reaches the primary level,
// which takes no operator; -(-x) is the way to write it.
FormulaParser::Tree FormulaParser::ParseUnary()
{
    const std::wstring& token = NextToken();
    if (token.empty())
        return FailHere(FormulaFault::UNEXPECTED_END);
    if (token == L"+" || token == L"-") {
        const bool minus = token == L"-";
        Tree operand = ParsePrimary();
        if (!operand)
            return Tree{};
        Node node = minus ? Ast::MakeUnary<double, Ast::Ops::Minus>(std::move(operand.node))
                          : Ast::MakeUnary<double, Ast::Ops::Plus>(std::move(operand.node));
        return Tree{std::move(node), operand.depth + 1};
    }
    if (token == L"!") {
        int count = 1;
        for (;;) {
            const std::wstring& next = NextToken();
            if (next.empty())
                return FailHere(FormulaFault::UNEXPECTED_END);
            if (next != L"!") {
                PutBack();
                break;
            }
            ++count;
        }
        Tree operand = ParsePrimary();
        if (!operand)
            return Tree{};
        if (operand.depth + count > MAX_DEPTH)
            return FailHere(FormulaFault::TOO_DEEP);
        for (int k = 0; k < count; ++k)
            operand.node = Ast::MakeUnary<double, Ast::Ops::Not>(std::move(operand.node));
        operand.depth += count;
        return operand;
    }
    PutBack();
    return ParsePrimary();
}

// primary := number | "(" conditional ")" | name | name "(" arguments ")"
// Brackets leave no node. A token that starts like a number must be one; any other must
// be a name.
FormulaParser::Tree FormulaParser::ParsePrimary()
{
    const std::wstring& token = NextToken();
    if (token.empty())
        return FailHere(FormulaFault::UNEXPECTED_END);
    if (token == L"(") {
        Tree inner = ParseConditional();
        if (!inner)
            return Tree{};
        if (NextToken() != L")")
            return FailHere(FormulaFault::EXPECTED_TOKEN, L")");
        return inner;
    }
    if (IsOperatorToken(token))
        return FailHere(FormulaFault::UNEXPECTED_TOKEN, token);
    if (IsDigit(token[0]) || token[0] == L'.') {
        double value = 0.0;
        if (!ReadNumber(token, value))
            return FailHere(FormulaFault::BAD_NUMBER, token);
        return Tree{std::make_shared<Ast::Literal<double>>(value), 1};
    }
    const Token& name = m_tokens[m_cursor - 1];
    const auto bad = std::find_if_not(token.begin(), token.end(), IsNameChar);
    if (bad != token.end()) {
        const int32_t offset = static_cast<int32_t>(bad - token.begin());
        return Fail(FormulaFault::BAD_CHARACTER, FormulaPosition{name.line, name.column + offset},
                    std::wstring(1, *bad));
    }
    const std::wstring& next = NextToken();
    if (next == L"(")
        return ParseCall(name);
    Tree variable = ResolveVariable(name.text);
    if (variable) {
        if (!m_pastEnd)
            PutBack();
        return variable;
    }
    if (IsFunction(name.text))
        return FailHere(FormulaFault::EXPECTED_TOKEN, L"(");
    return Fail(FormulaFault::UNKNOWN_VARIABLE, PositionOf(name), name.text);
}

// After "name(": no arguments, or up to four full expressions separated by ",". The
// call is resolved only among the functions of the arity written.
FormulaParser::Tree FormulaParser::ParseCall(const Token& name)
{
    const FormulaPosition at = PositionOf(name);
    if (!IsFunction(name.text))
        return Fail(FormulaFault::UNKNOWN_FUNCTION, at, name.text);
    const std::wstring& token = NextToken();
    if (token.empty())
        return FailHere(FormulaFault::UNEXPECTED_END);
    std::vector<Tree> args;
    if (token != L")") {
        PutBack();
        for (;;) {
            Tree arg = ParseConditional();
            if (!arg)
                return Tree{};
            args.push_back(std::move(arg));
            const std::wstring& separator = NextToken();
            if (separator == L")")
                break;
            if (separator != L",")
                return FailHere(FormulaFault::EXPECTED_TOKEN, L")");
            if (args.size() == 4)
                return Fail(FormulaFault::ARGUMENT_COUNT, at, name.text);
        }
    }
    Node node;
    if (args.empty()) {
        const auto found = m_functions0.find(name.text);
        if (found != m_functions0.end())
            node = found->second->Create();
    } else if (args.size() == 1) {
        const auto found = m_functions1.find(name.text);
        if (found != m_functions1.end())
            node = found->second->Create(args[0].node);
    } else if (args.size() == 2) {
        const auto found = m_functions2.find(name.text);
        if (found != m_functions2.end())
            node = found->second->Create(args[0].node, args[1].node);
    }
    if (!node)
        return Fail(FormulaFault::ARGUMENT_COUNT, at, name.text);
    int depth = 0;
    FormulaCall call{name.text, {}, at};
    for (const Tree& arg : args) {
        depth = std::max(depth, arg.depth);
        call.arguments.push_back(arg.node);
    }
    if (++depth > MAX_DEPTH)
        return FailHere(FormulaFault::TOO_DEEP);
    m_calls.push_back(std::move(call));
    return Tree{std::move(node), depth};
}

bool FormulaParser::IsFunction(const std::wstring& name) const
{
    return m_functions0.count(name) || m_functions1.count(name) || m_functions2.count(name);
}

FormulaParser::Tree FormulaParser::ResolveVariable(const std::wstring& name) const
{
    const auto parameter = m_parameters.find(name);
    if (parameter != m_parameters.end())
        return Tree{std::make_shared<Ast::Parameter<double>>(name, parameter->second), 1};
    const auto literal = m_namedLiterals.find(name);
    if (literal != m_namedLiterals.end())
        return Tree{std::make_shared<Ast::NamedLiteral<double>>(name, literal->second), 1};
    return Tree{};
}
