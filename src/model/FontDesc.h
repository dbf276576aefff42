#pragma once

#include <wx/string.h>

// Font description of the model. The enumerators carry the toolkit's numeric values
// (wxFontFamily, wxFontStyle, wxFontWeight, wxFontEncoding) so that the desktop converts
// both ways with a cast; the desktop checks the values at compile time.
enum class FontFamily : int
{
    Default = 70,
    Decorative = 71,
    Roman = 72,
    Script = 73,
    Swiss = 74,
    Modern = 75,
    Teletype = 76,
};

enum class FontStyle : int
{
    Normal = 90,
    Italic = 93,
    Slant = 94,
};

// Weights are numeric (100..900) as in the toolkit; these are the named ones.
enum FontWeightValue : int
{
    FONT_WEIGHT_LIGHT = 300,
    FONT_WEIGHT_NORMAL = 400,
    FONT_WEIGHT_BOLD = 700,
};

struct FontDesc
{
    int pointSize = 10;
    FontFamily family = FontFamily::Default;
    FontStyle style = FontStyle::Normal;
    int weight = FONT_WEIGHT_NORMAL;
    bool underline = false;
    wxString faceName;
    int encoding = 0; // wxFONTENCODING_DEFAULT

    bool IsBold() const { return weight >= FONT_WEIGHT_BOLD; }
    bool IsItalic() const { return style != FontStyle::Normal; }

    friend bool operator==(const FontDesc& a, const FontDesc& b)
    {
        return a.pointSize == b.pointSize && a.family == b.family && a.style == b.style &&
               a.weight == b.weight && a.underline == b.underline && a.faceName == b.faceName &&
               a.encoding == b.encoding;
    }
    friend bool operator!=(const FontDesc& a, const FontDesc& b) { return !(a == b); }
};
