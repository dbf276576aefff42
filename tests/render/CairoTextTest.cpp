#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <tuple>

#include "render/CairoContext.h"
#include "render/CairoText.h"
#include "render/GraphRenderer.h"
#include "support/CsvTestUtil.h"
#include "support/RenderTestUtil.h"

namespace {

using rendertest::Ink;
using rendertest::Project;

// The family of an installed Japanese font without digits: what "sans-serif" resolves to
// under a Japanese locale when fonts-droid-fallback is the only CJK font (Debian's case).
std::string JapaneseFamilyWithoutDigits()
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(":lang=ja"));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_CHARSET, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    std::string family;
    for (int i = 0; fonts && i < fonts->nfont && family.empty(); ++i) {
        FcCharSet* chars = nullptr;
        FcChar8* name = nullptr;
        if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &chars) == FcResultMatch &&
            !FcCharSetHasChar(chars, '0') &&
            FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch)
            family = reinterpret_cast<const char*>(name);
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return family;
}

// The pixels of text drawn black on white at 20 px in family.
std::string TextImage(const std::string& family, const wxString& text)
{
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 64, 32);
    cairo_t* cr = cairo_create(image);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    CairoText pango(cr);
    FontDesc font;
    font.faceName = wxString::FromUTF8(family);
    pango.SetFont(font, 20);
    pango.Show(text, 4, 24);
    cairo_surface_flush(image);
    const std::string pixels(reinterpret_cast<const char*>(cairo_image_surface_get_data(image)),
                             size_t(cairo_image_surface_get_stride(image)) * 32);
    cairo_destroy(cr);
    cairo_surface_destroy(image);
    return pixels;
}

FontDesc Font(int points, FontFamily family, FontStyle style = FontStyle::Normal,
              int weight = FONT_WEIGHT_NORMAL, const char* face = "")
{
    return FontDesc{points, family, style, weight, false, face, 0};
}

} // namespace

TEST(CairoText, FontDescriptionsAskForWhatTheToyApiAskedFor)
{
    using F = FontFamily;
    using S = FontStyle;
    const PangoStyle UPRIGHT = PANGO_STYLE_NORMAL, ITALIC = PANGO_STYLE_ITALIC;
    const PangoWeight REGULAR = PANGO_WEIGHT_NORMAL, BOLD = PANGO_WEIGHT_BOLD;
    // font, dpi, family, style, weight, size in pixels
    const std::tuple<FontDesc, double, const char*, PangoStyle, PangoWeight, int> rows[] = {
        {Font(10, F::Default), 96, "sans-serif", UPRIGHT, REGULAR, 13},
        {Font(12, F::Swiss, S::Slant, FONT_WEIGHT_BOLD), 144, "sans-serif", ITALIC, BOLD, 24},
        {Font(9, F::Roman, S::Italic, FONT_WEIGHT_LIGHT), 96, "serif", ITALIC, REGULAR, 12},
        // Heavier is not bold.
        {Font(8, F::Teletype, S::Normal, 800), 96, "monospace", UPRIGHT, REGULAR, 11},
        {Font(10, F::Modern, S::Normal, FONT_WEIGHT_NORMAL, "DejaVu Serif"), 96, "DejaVu Serif",
         UPRIGHT, REGULAR, 13},
        {Font(0, F::Default), 96, "sans-serif", UPRIGHT, REGULAR, 1}, // never below a pixel
    };
    for (const auto& [font, dpi, family, style, weight, pixels] : rows) {
        SCOPED_TRACE(family);
        PangoFontDescription* desc = MakeFontDescription(font, FontPixelSize(font.pointSize, dpi));
        EXPECT_STREQ(pango_font_description_get_family(desc), family);
        EXPECT_EQ(pango_font_description_get_style(desc), style);
        EXPECT_EQ(pango_font_description_get_weight(desc), weight);
        EXPECT_TRUE(pango_font_description_get_size_is_absolute(desc));
        EXPECT_EQ(pango_font_description_get_size(desc), pixels * PANGO_SCALE);
        pango_font_description_free(desc);
    }
}

// Labels are placed from their extents: in a font that has every glyph, Pango measures
// what the toy API measured, so labels stay where they were.
TEST(CairoText, LatinTextMeasuresAsWithTheToyApi)
{
    const std::pair<FontDesc, double> fonts[] = {
        // font, size in pixels
        {FontDesc{}, 13},
        {Font(10, FontFamily::Default, FontStyle::Italic, FONT_WEIGHT_BOLD), 16},
        {Font(10, FontFamily::Roman), 11},
    };
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
    cairo_t* cr = cairo_create(image);
    for (const auto& [desc, pixels] : fonts) {
        CairoText text(cr);
        text.SetFont(desc, pixels);
        const wxString family = FontFamilyName(desc);
        cairo_select_font_face(cr, family.utf8_str(),
                               desc.IsItalic() ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                               desc.IsBold() ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, pixels);
        cairo_font_extents_t toyFont;
        cairo_font_extents(cr, &toyFont);
        const cairo_font_extents_t font = text.FontExtents();
        SCOPED_TRACE(testing::Message() << family << " " << pixels);
        EXPECT_NEAR(font.ascent, toyFont.ascent, 1.0);
        EXPECT_NEAR(font.descent, toyFont.descent, 1.0);
        EXPECT_NEAR(font.height, toyFont.height, 1.0);
        for (const char* s : {"0", "-0.80", "1.00e+07", "2026-03-05", "00:00:30.5", "Time"}) {
            SCOPED_TRACE(s);
            cairo_text_extents_t toy;
            cairo_text_extents(cr, s, &toy);
            const cairo_text_extents_t ext = text.Extents(s);
            using E = cairo_text_extents_t;
            for (double E::*m :
                 {&E::x_bearing, &E::y_bearing, &E::width, &E::height, &E::x_advance})
                EXPECT_NEAR(ext.*m, toy.*m, 1.0);
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(image);
}

// The fault: a family without digits drew every digit as the same box. Then tick labels in
// that family, as "sans-serif" resolves under a Japanese locale: each digit its own glyph
// ("1" has far less ink than "8"; boxes would all have the same). And Japanese axis labels
// in the default family (a Latin font): swapping their two characters changes the picture,
// which it would not if both were the same box. Exported images:
// ExportUnderAJapaneseLocaleDrawsTheNumbersOfTheCLocale.
TEST(CairoText, DigitsAndLabelsDrawGlyphsTheirFontLacks)
{
    const std::string family = JapaneseFamilyWithoutDigits();
    ASSERT_FALSE(family.empty()) << "needs a Japanese font without digits (fonts-droid-fallback)";
    std::set<std::string> digits;
    for (char d = '0'; d <= '9'; ++d)
        digits.insert(TextImage(family, wxString(d)));
    EXPECT_EQ(digits.size(), 10u) << "some digits look alike";
    EXPECT_EQ(digits.count(TextImage(family, "")), 0u) << "nothing drawn";

    const wxString time = wxString::FromUTF8("\u6642\u9593"),
                   swapped = time.Right(1) + time.Left(1);
    std::string pictures[2];
    for (int i = 0; i < 2; ++i) {
        auto project = Project({0, 9, 0, 1}, [&](ProjectProperty& prop) {
            prop.tickFont.faceName = wxString::FromUTF8(family);
            prop.gridAutoX = false;
            prop.gridIntervalX = 1; // labels "0" to "9"
            prop.axisLabelX = prop.axisLabelY = i == 0 ? time : swapped;
        });
        CairoContext cairo(640, 480);
        GraphRenderer renderer(cairo, *project, 640, 480);
        renderer.Render();
        cairo_surface_t* image = cairo.GetSurface();
        EXPECT_GT(Ink(image, 300, 450, 440, 480), 255 * 20) << "the X label";
        EXPECT_GT(Ink(image, 0, 160, 40, 280), 255 * 20) << "the Y label";
        ASSERT_GE(renderer.labelBoxes.size(), 10u);
        std::vector<long> ink;
        for (size_t k = 0; k < 10; ++k) { // the X labels come first
            const GraphRenderer::LabelBox& box = renderer.labelBoxes[k];
            // The boxes are in the frame's pixels; the frame starts at the margins.
            const int x0 = int(std::floor(box.left)) + 100, y0 = int(std::floor(box.top)) + 10;
            ink.push_back(
                Ink(image, x0 - 1, y0 - 1, x0 + int(box.width) + 3, y0 + int(box.height) + 3));
        }
        EXPECT_GT(*std::min_element(ink.begin(), ink.end()), 0);
        EXPECT_GT(ink[8], ink[1] * 3 / 2) << "\"1\" and \"8\" alike";
        cairo_surface_flush(image);
        pictures[i].assign(reinterpret_cast<const char*>(cairo_image_surface_get_data(image)),
                           size_t(cairo_image_surface_get_stride(image)) * 480);
    }
    EXPECT_TRUE(pictures[0] != pictures[1]);
}

// The reported fault end to end: under LANG=ja_JP.UTF-8 fontconfig (which reads the
// variables, generated locale or not) resolves "sans-serif" to the Japanese font, and the
// exported image's numbers were boxes. They now match the C locale's pixel for pixel.
TEST(CairoText, ExportUnderAJapaneseLocaleDrawsTheNumbersOfTheCLocale)
{
    const csvtest::TempDir dir;
    const auto plot = [&dir](const std::string& locale) {
        const std::string out = dir.Path(locale + ".png");
        EXPECT_EQ(
            0, std::system(("env -u FC_LANG -u LANGUAGE LANG=" + locale + " LC_ALL=" + locale +
                            " " + ARDENTINE_CLI + " plot " + ARDENTINE_BINARY_DIR +
                            "/examples/signals.csv -o " + out + " --size 640x480 >/dev/null 2>&1")
                               .c_str()));
        return cairo_image_surface_create_from_png(out.c_str());
    };
    cairo_surface_t* c = plot("C");
    cairo_surface_t* ja = plot("ja_JP.UTF-8");
    // The X and the Y tick labels: left of the axis titles, right of the Y title.
    for (const std::array<int, 4> b : {std::array{0, 431, 640, 453}, {40, 0, 95, 440}}) {
        SCOPED_TRACE(b[0] ? "Y tick labels" : "X tick labels");
        EXPECT_GT(Ink(c, b[0], b[1], b[2], b[3]), 255 * 100);
        int differ = 0;
        for (int y = b[1]; y < b[3]; ++y)
            for (int x = b[0]; x < b[2]; ++x)
                differ += Ink(c, x, y, x + 1, y + 1) != Ink(ja, x, y, x + 1, y + 1);
        EXPECT_EQ(differ, 0);
    }
    cairo_surface_destroy(c);
    cairo_surface_destroy(ja);
}
