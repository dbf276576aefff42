#include "render/CairoText.h"

wxString FontFamilyName(const FontDesc& font)
{
    // An empty face name means "the family's default", as the toolkit would choose it.
    if (!font.faceName.empty())
        return font.faceName;
    switch (font.family) {
    case FontFamily::Roman:
        return "serif";
    case FontFamily::Modern:
    case FontFamily::Teletype:
        return "monospace";
    default:
        return "sans-serif";
    }
}

PangoFontDescription* MakeFontDescription(const FontDesc& font, double pixelSize)
{
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, FontFamilyName(font).utf8_str());
    // Italic and slanted both ask for italic, falling back to oblique, as before.
    pango_font_description_set_style(desc,
                                     font.IsItalic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    // Only bold or normal: light and the other weights never drew differently.
    pango_font_description_set_weight(desc, font.weight == FONT_WEIGHT_BOLD ? PANGO_WEIGHT_BOLD
                                                                            : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(desc, pixelSize * PANGO_SCALE);
    return desc;
}

CairoText::CairoText(cairo_t* cr) : m_cr(cr), m_layout(pango_cairo_create_layout(cr))
{
    // The toy API hinted glyph advances to whole pixels on image targets; Pango leaves
    // them fractional unless asked, which would move every label a little.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(pango_layout_get_context(m_layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(m_layout);
    // One line always: a line break in a label is drawn, not obeyed, as before.
    pango_layout_set_single_paragraph_mode(m_layout, TRUE);
    // No kerning, as the toy API: pictures of Latin text stay as they were, pixel for pixel.
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_font_features_new("kern 0"));
    pango_layout_set_attributes(m_layout, attributes);
    pango_attr_list_unref(attributes);
}

CairoText::~CairoText()
{
    g_object_unref(m_layout);
}

void CairoText::SetFont(const FontDesc& font, double pixelSize)
{
    PangoFontDescription* desc = MakeFontDescription(font, pixelSize);
    pango_layout_set_font_description(m_layout, desc);
    pango_font_description_free(desc);
}

void CairoText::Prepare(const wxString& text)
{
    // Shaping depends on the matrix (hinting): a rotated label is shaped for its rotation.
    pango_cairo_update_layout(m_cr, m_layout);
    const wxScopedCharBuffer utf8 = text.utf8_str();
    if (m_text != utf8.data()) {
        m_text.assign(utf8.data(), utf8.length());
        pango_layout_set_text(m_layout, m_text.data(), int(m_text.size()));
    }
}

cairo_text_extents_t CairoText::Extents(const wxString& text)
{
    Prepare(text);
    PangoRectangle ink, logical;
    pango_layout_line_get_extents(pango_layout_get_line_readonly(m_layout, 0), &ink, &logical);
    // A line's rectangles are relative to its origin on the baseline already.
    cairo_text_extents_t ext;
    ext.x_bearing = pango_units_to_double(ink.x);
    ext.y_bearing = pango_units_to_double(ink.y);
    ext.width = pango_units_to_double(ink.width);
    ext.height = pango_units_to_double(ink.height);
    ext.x_advance = pango_units_to_double(logical.width);
    ext.y_advance = 0.0;
    return ext;
}

cairo_font_extents_t CairoText::FontExtents()
{
    pango_cairo_update_layout(m_cr, m_layout);
    PangoFontMetrics* metrics = pango_context_get_metrics(
        pango_layout_get_context(m_layout), pango_layout_get_font_description(m_layout), nullptr);
    cairo_font_extents_t ext;
    ext.ascent = pango_units_to_double(pango_font_metrics_get_ascent(metrics));
    ext.descent = pango_units_to_double(pango_font_metrics_get_descent(metrics));
    ext.height = pango_units_to_double(pango_font_metrics_get_height(metrics));
    if (ext.height <= 0.0) // a font without a line gap
        ext.height = ext.ascent + ext.descent;
    ext.max_x_advance =
        pango_units_to_double(pango_font_metrics_get_approximate_char_width(metrics));
    ext.max_y_advance = 0.0;
    pango_font_metrics_unref(metrics);
    return ext;
}

void CairoText::Show(const wxString& text, double x, double baseline)
{
    Prepare(text);
    cairo_move_to(m_cr, x, baseline);
    pango_cairo_show_layout_line(m_cr, pango_layout_get_line_readonly(m_layout, 0));
}
