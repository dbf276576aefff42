#include "app/panes/PropertyGridValues.h"

#include <cmath>

#include <wx/propgrid/propgrid.h>
#include <wx/valnum.h>
#include <wx/valtext.h>

#include "base/NumberText.h"
#include "csv/TimeText.h"

// The model's enumerators carry the toolkit's values, so the conversion is a cast.
static_assert(int(FontFamily::Default) == wxFONTFAMILY_DEFAULT &&
              int(FontFamily::Teletype) == wxFONTFAMILY_TELETYPE);
static_assert(int(FontStyle::Normal) == wxFONTSTYLE_NORMAL &&
              int(FontStyle::Italic) == wxFONTSTYLE_ITALIC &&
              int(FontStyle::Slant) == wxFONTSTYLE_SLANT);
static_assert(int(FONT_WEIGHT_NORMAL) == int(wxFONTWEIGHT_NORMAL) &&
              int(FONT_WEIGHT_BOLD) == int(wxFONTWEIGHT_BOLD));

wxColour ToWxColour(const Colour& colour)
{
    return wxColour(colour.red, colour.green, colour.blue, colour.alpha);
}

Colour FromWxColour(const wxColour& colour)
{
    return Colour(colour.Red(), colour.Green(), colour.Blue(), colour.Alpha());
}

wxFont ToWxFont(const FontDesc& font)
{
    wxFontInfo info(font.pointSize);
    info.Family(wxFontFamily(font.family))
        .Style(wxFontStyle(font.style))
        .Weight(font.weight)
        .Underlined(font.underline)
        .Encoding(wxFontEncoding(font.encoding));
    if (!font.faceName.empty())
        info.FaceName(font.faceName);
    return wxFont(info);
}

FontDesc FromWxFont(const wxFont& font)
{
    FontDesc desc;
    desc.pointSize = font.GetPointSize();
    desc.family = FontFamily(font.GetFamily());
    desc.style = FontStyle(font.GetStyle());
    desc.weight = font.GetNumericWeight();
    desc.underline = font.GetUnderlined();
    desc.faceName = font.GetFaceName();
    desc.encoding = font.GetEncoding();
    return desc;
}

ExactFloatProperty::ExactFloatProperty(const wxString& label, double value, double min, double max)
    : wxFloatProperty(label, wxPG_LABEL, value), m_min(min), m_max(max)
{
    wxFloatingPointValidator<double> validator(17, nullptr, wxNUM_VAL_NO_TRAILING_ZEROES);
    validator.SetRange(min, max);
    SetValidator(validator);
}

void ExactFloatProperty::ShowAsTime(int64_t origin)
{
    m_time = true;
    m_origin = origin;
    SetValidator(wxTextValidator(wxFILTER_NONE)); // the number one would refuse "T" and ":"
}

wxString ExactFloatProperty::ValueToString(wxVariant& value, int) const
{
    if (value.IsNull())
        return wxString();
    if (m_time) {
        const std::string iso = FormatIsoTimeAt(m_origin, value.GetDouble());
        if (!iso.empty())
            return wxString::FromUTF8(iso.data(), iso.size());
    }
    return FormatExactNumber(value.GetDouble());
}

bool ExactFloatProperty::StringToValue(wxVariant& variant, const wxString& text, int) const
{
    double value = 0;
    const std::string typed = text.Strip(wxString::both).utf8_string();
    TimeNanos t = 0;
    if (m_time && ParseTime(typed.data(), typed.data() + typed.size(), TimeLayout::ISO, t))
        value = TimeSeconds(t, m_origin);
    else if (!text.Strip(wxString::both).ToCDouble(&value))
        return false;
    if (!variant.IsNull() && variant.GetType() == "double" && variant.GetDouble() == value)
        return false; // unchanged
    variant = value;
    return true;
}

wxString ExactFloatProperty::CheckValue(double value) const
{
    if (!std::isfinite(value))
        return _("Please input a finite number.");
    if (value < m_min || value > m_max)
        return wxString::Format(_("Please input a number from %s to %s."), FormatExactNumber(m_min),
                                FormatExactNumber(m_max));
    return wxString();
}

bool ExactFloatProperty::ValidateValue(wxVariant& value, wxPGValidationInfo& info) const
{
    const wxString message = CheckValue(value.GetDouble());
    if (message.empty())
        return true;
    info.SetFailureMessage(message);
    return false;
}
