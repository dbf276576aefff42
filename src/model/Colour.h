#pragma once

#include <cstdint>

// A colour of the model. The desktop converts it to and from the toolkit's colour;
// the engine never needs a GUI library for it.
struct Colour
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    constexpr Colour() = default;
    constexpr Colour(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
        : red(r), green(g), blue(b), alpha(a)
    {
    }

    friend constexpr bool operator==(const Colour& a, const Colour& b)
    {
        return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
    }
    friend constexpr bool operator!=(const Colour& a, const Colour& b) { return !(a == b); }
};
