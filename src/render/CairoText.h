#pragma once

#include <string>

#include <cairo.h>
#include <pango/pangocairo.h>

#include <wx/string.h>

#include "model/FontDesc.h"

// The family name fontconfig resolves for a font: its face name, or the generic family
// ("sans-serif", "serif", "monospace") when the face name is empty.
wxString FontFamilyName(const FontDesc& font);

// A Pango description of a font at pixelSize pixels: family, slant and weight (normal
// or bold) as the graph has always resolved them. The caller frees it.
PangoFontDescription* MakeFontDescription(const FontDesc& font, double pixelSize);

// One line of text drawn on a cairo context through Pango, which takes each glyph from
// the first font that has it: digits and Latin draw even when the chosen family resolves
// to a font without them (a CJK font under a Japanese locale), and Japanese draws in a
// Latin font. Extents and positions follow cairo's toy text API (origin on the baseline,
// y down), so code written for it keeps its arithmetic. Keeps one layout and reshapes
// only when the text, the font or the context's matrix changes.
class CairoText
{
public:
    // Draws on cr, which must outlive this object.
    explicit CairoText(cairo_t* cr);
    ~CairoText();

    CairoText(const CairoText&) = delete;
    CairoText& operator=(const CairoText&) = delete;

    void SetFont(const FontDesc& font, double pixelSize);
    // Ink box and advance of text in user space, relative to its origin on the baseline.
    cairo_text_extents_t Extents(const wxString& text);
    // Ascent, descent and line height of the font (the first font the family resolves to).
    cairo_font_extents_t FontExtents();
    // Draws text with the context's source, its origin at (x, baseline).
    void Show(const wxString& text, double x, double baseline);

private:
    void Prepare(const wxString& text);

    cairo_t* m_cr;
    PangoLayout* m_layout;
    std::string m_text; // what m_layout holds, UTF-8
};
