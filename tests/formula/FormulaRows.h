#pragma once

// Well-formed formulas and their values with a = 1, b = 2, c = 3 and x = 3 (|| and && share
// one level, left to right; NaN is true, -0 false): the grammar test checks the values, the
// block evaluation test every row over blocks of x.

#include <cmath>
#include <string>
#include <utility>
#include <vector>

// A formula as ASCII for the name of a failing row, "?" for any other character.
inline std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += (c >= 32 && c < 127) ? char(c) : '?';
    return out;
}

inline const std::vector<std::pair<const wchar_t*, double>> GRAMMAR_ROWS = {
    {L"2+3*4", 14},
    {L"(2+3)*4", 20},
    {L"1-2-3", -4},
    {L"8/2/2", 2},
    {L"7%4*2", 6},
    {L"2*3%4", 2},
    {L"3 > 2 > 1", 0},
    {L"1 || 0 && 0", 0},
    {L"1+2 == 3", 1},
    {L"2 <= 2 != 0", 1},
    {L"1 ? 2 : 3 + 4", 2},
    {L"-x", -3},
    {L"+x", 3},
    {L"2*-x", -6},
    {L"!!5", 1},
    {L"-(-x)", 3},
    {L"0 ? 1 : 0 ? 2 : 3", 3},
    {L"1 ? 1 : 0 ? 2 : 3", 1},
    {L"1 ? (0 ? 1 : 2) : 3", 2},
    {L"sin (x)", std::sin(3.0)},
    {L"pow(2,10)", 1024},
    {L"sqrt(16)+log10(100)", 6},
    {L"round(2.5)", 3},
    {L"round(-2.5)", -3},
    {L"round(-0.4)", -0.0},
    {L"wrap(7)", 0.7168146928204138},
    {L"wrap(-4)", 2.2831853071795862},
    {L"wrap(3.141592653589793)", -3.141592653589793},
    {L"wrap(-3.141592653589793)", -3.141592653589793},
    {L"wrap(PI)", -3.141592566167013},
    {L"1e5", 100000},
    {L"2.5E3", 2500},
    {L".5", 0.5},
    {L"5.", 5},
    {L"PI", 3.1415927410125732},
    {L"E", 2.7182817459106445},
    {L"1/sqrt(-1)", std::nan("")}, // a NaN divisor is no zero divisor
    {L"5 % 0", std::nan("")},
    {L"-7 % 3", -1},
    {L"sqrt(-1) ? 1 : 2", 1}, // NaN is true
    {L"!sqrt(-1)", 0},
    {L"sqrt(-1) != sqrt(-1)", 1},
    {L"sqrt(-1) == sqrt(-1)", 0},
    {L"sqrt(-1) >= 1", 0},
    {L"-(0)", -0.0},
    {L"!(-0)", 1}, // -0 is false
    {L"0 == -0", 1},
    {L"2 && 3", 1}, // logical results are exactly 0 or 1
    {L"0 || -7", 1},
};
