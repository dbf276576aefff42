#include "model/PropertyNames.h"

#include <cfloat>
#include <cmath>

#include <wx/intl.h>
#include <wx/tokenzr.h>

#include "base/NumberText.h"
#include "model/TickFormat.h"

namespace {

using P = ProjectProperty;

// A field of this kind with nothing else set: no limits, any text.
ProjectPropertyField Field(const char* name, PropertyKind kind)
{
    ProjectPropertyField field{};
    field.name = name;
    field.kind = kind;
    field.min = 1;
    field.max = 0;
    return field;
}
ProjectPropertyField ColourField(const char* name, Colour P::*member)
{
    ProjectPropertyField field = Field(name, PropertyKind::Colour);
    field.colour = member;
    return field;
}
ProjectPropertyField DoubleField(const char* name, double P::*member, double min = 1,
                                 double max = 0)
{
    ProjectPropertyField field = Field(name, PropertyKind::Double);
    field.number = member;
    field.min = min;
    field.max = max;
    return field;
}
// A grid interval: any positive value (the stored -1 means automatic).
ProjectPropertyField IntervalField(const char* name, double P::*member)
{
    ProjectPropertyField field = DoubleField(name, member, 0, DBL_MAX);
    field.aboveMin = true;
    field.refusal = wxTRANSLATE("Please input an interval greater than 0.");
    return field;
}
ProjectPropertyField BoolField(const char* name, bool P::*member)
{
    ProjectPropertyField field = Field(name, PropertyKind::Bool);
    field.flag = member;
    return field;
}
ProjectPropertyField FontField(const char* name, FontDesc P::*member)
{
    ProjectPropertyField field = Field(name, PropertyKind::Font);
    field.font = member;
    return field;
}
ProjectPropertyField TextField(const char* name, wxString P::*member)
{
    ProjectPropertyField field = Field(name, PropertyKind::Text);
    field.text = member;
    return field;
}
// A tick label format, which the renderer would otherwise show as literal text.
ProjectPropertyField TickFormatField(const char* name, wxString P::*member)
{
    ProjectPropertyField field = TextField(name, member);
    field.accepts = IsTickFormatSafe;
    field.rule = "a format with one floating-point conversion, such as %.2f";
    field.refusal =
        wxTRANSLATE("Please input a format with one floating-point conversion, such as %.2f.");
    return field;
}

template <int N>
ProjectPropertyField ChoiceField(const char* name, wxString P::*member,
                                 const char* const (&choices)[N])
{
    ProjectPropertyField field = TextField(name, member);
    field.choices = choices;
    field.choiceCount = N;
    return field;
}

int HexDigit(wxUniChar c)
{
    if (c >= '0' && c <= '9')
        return int(c - '0');
    if (c >= 'a' && c <= 'f')
        return int(c - 'a') + 10;
    if (c >= 'A' && c <= 'F')
        return int(c - 'A') + 10;
    return -1;
}

} // namespace

const std::vector<ProjectPropertyField>& ProjectPropertyFields()
{
    static const std::vector<ProjectPropertyField> fields = {
        ColourField("BGColor", &P::bgColor),
        DoubleField("Margin.Top", &P::marginTop, 0, 200),
        DoubleField("Margin.Bottom", &P::marginBottom, 0, 200),
        DoubleField("Margin.Left", &P::marginLeft, 0, 200),
        DoubleField("Margin.Right", &P::marginRight, 0, 200),
        DoubleField("Frame.LineWidth", &P::frameLineWidth, 0.1, 5),
        ColourField("Frame.LineColor", &P::frameLineColor),
        BoolField("Grid.EnabledX", &P::gridEnabledX),
        BoolField("Grid.EnabledY", &P::gridEnabledY),
        BoolField("Grid.AutoX", &P::gridAutoX),
        BoolField("Grid.AutoY", &P::gridAutoY),
        IntervalField("Grid.IntervalX", &P::gridIntervalX),
        IntervalField("Grid.IntervalY", &P::gridIntervalY),
        DoubleField("Grid.LineWidth", &P::gridLineWidth, 0.1, 5),
        ColourField("Grid.LineColor", &P::gridLineColor),
        DoubleField("Tick.LineLength", &P::tickLineLength, -200, 200),
        DoubleField("Tick.LineWidth", &P::tickLineWidth, 0.1, 5),
        ColourField("Tick.LineColor", &P::tickLineColor),
        FontField("Tick.Font", &P::tickFont),
        ColourField("Tick.FontColor", &P::tickFontColor),
        DoubleField("Tick.PositionX", &P::tickPositionX, -200, 200),
        DoubleField("Tick.PositionY", &P::tickPositionY, -200, 200),
        TickFormatField("Tick.FormatX", &P::tickFormatX),
        TickFormatField("Tick.FormatY", &P::tickFormatY),
        TextField("Axis.LabelX", &P::axisLabelX),
        TextField("Axis.LabelY", &P::axisLabelY),
        FontField("Axis.Font", &P::axisFont),
        ColourField("Axis.FontColor", &P::axisFontColor),
        DoubleField("Axis.PositionX", &P::axisPositionX, -200, 200),
        DoubleField("Axis.PositionY", &P::axisPositionY, -200, 200),
        BoolField("Legend.Visible", &P::legendVisible),
        ChoiceField("Legend.Position", &P::legendPosition, LEGEND_POSITIONS),
        FontField("Legend.Font", &P::legendFont),
        ColourField("Legend.FontColor", &P::legendFontColor),
        ColourField("Legend.BGColor", &P::legendBGColor),
    };
    return fields;
}

const ProjectPropertyField* FindProjectPropertyField(const wxString& name)
{
    for (const auto& field : ProjectPropertyFields())
        if (name == field.name)
            return &field;
    return nullptr;
}

bool IsWithinLimits(const ProjectPropertyField& field, double value)
{
    return std::isfinite(value) &&
           (field.min > field.max ||
            (value >= field.min && value <= field.max && !(field.aboveMin && value == field.min)));
}

bool IsAcceptedText(const ProjectPropertyField& field, const wxString& text)
{
    if (field.accepts && !field.accepts(text))
        return false;
    if (!field.choices)
        return true;
    for (int i = 0; i < field.choiceCount; ++i)
        if (text == field.choices[i])
            return true;
    return false;
}

bool ParseColour(const wxString& text, Colour& colour)
{
    if ((text.length() != 7 && text.length() != 9) || text[0] != '#')
        return false;
    uint8_t bytes[4] = {0, 0, 0, 255};
    for (size_t i = 0; i < (text.length() - 1) / 2; ++i) {
        const int hi = HexDigit(text[1 + 2 * i]), lo = HexDigit(text[2 + 2 * i]);
        if (hi < 0 || lo < 0)
            return false;
        bytes[i] = uint8_t(hi * 16 + lo);
    }
    colour = Colour(bytes[0], bytes[1], bytes[2], bytes[3]);
    return true;
}

wxString FormatColour(const Colour& colour)
{
    wxString text = wxString::Format("#%02X%02X%02X", colour.red, colour.green, colour.blue);
    if (colour.alpha != 255)
        text += wxString::Format("%02X", colour.alpha);
    return text;
}

bool ParseFont(const wxString& text, FontDesc& font)
{
    wxStringTokenizer tokens(text, ",", wxTOKEN_RET_EMPTY_ALL);
    long size = 0;
    if (!tokens.HasMoreTokens() || !tokens.GetNextToken().Trim().Trim(false).ToLong(&size) ||
        size < 1 || size > 1000)
        return false;
    FontDesc result = font;
    result.pointSize = int(size);
    result.weight = FONT_WEIGHT_NORMAL;
    result.style = FontStyle::Normal;
    while (tokens.HasMoreTokens()) {
        wxString token = tokens.GetNextToken().Trim().Trim(false);
        if (token.IsSameAs("bold", false))
            result.weight = FONT_WEIGHT_BOLD;
        else if (token.IsSameAs("italic", false))
            result.style = FontStyle::Italic;
        else if (token.empty())
            return false;
        else {
            // The face name is the rest, commas included.
            wxString rest = tokens.GetString();
            result.faceName = rest.empty() ? token : token + "," + rest;
            break;
        }
    }
    font = result;
    return true;
}

wxString FormatFont(const FontDesc& font)
{
    wxString text = wxString::Format("%d", font.pointSize);
    if (font.IsBold())
        text += ",bold";
    if (font.IsItalic())
        text += ",italic";
    if (!font.faceName.empty())
        text += "," + font.faceName;
    return text;
}

bool SetPropertyFromText(ProjectProperty& property, const ProjectPropertyField& field,
                         const wxString& text, wxString& error)
{
    const wxString name = field.name;
    switch (field.kind) {
    case PropertyKind::Colour:
        if (!ParseColour(text, property.*field.colour)) {
            error = name + ": expected a colour as #RRGGBB or #RRGGBBAA, got \"" + text + "\"";
            return false;
        }
        return true;
    case PropertyKind::Double: {
        double value = 0;
        if (!text.ToCDouble(&value) || !std::isfinite(value)) {
            error = name + ": expected a number, got \"" + text + "\"";
            return false;
        }
        if (!IsWithinLimits(field, value)) {
            error = field.aboveMin ? name + ": expected a number above " +
                                         FormatExactNumber(field.min) + ", got \"" + text + "\""
                                   : name + wxString::Format(": %g is outside %g to %g", value,
                                                             field.min, field.max);
            return false;
        }
        property.*field.number = value;
        return true;
    }
    case PropertyKind::Bool:
        if (text.IsSameAs("true", false) || text == "1")
            property.*field.flag = true;
        else if (text.IsSameAs("false", false) || text == "0")
            property.*field.flag = false;
        else {
            error = name + ": expected true or false, got \"" + text + "\"";
            return false;
        }
        return true;
    case PropertyKind::Font:
        if (!ParseFont(text, property.*field.font)) {
            error =
                name + ": expected <point size>[,bold][,italic][,face name], got \"" + text + "\"";
            return false;
        }
        return true;
    case PropertyKind::Text:
        if (!IsAcceptedText(field, text)) {
            wxString wanted = field.rule ? field.rule : "one of ";
            for (int i = 0; i < field.choiceCount; ++i)
                wanted += (i ? ", " : "") + wxString(field.choices[i]);
            error = name + ": expected " + wanted + ", got \"" + text + "\"";
            return false;
        }
        property.*field.text = text;
        return true;
    }
    return false;
}

wxString GetPropertyAsText(const ProjectProperty& property, const ProjectPropertyField& field)
{
    switch (field.kind) {
    case PropertyKind::Colour:
        return FormatColour(property.*field.colour);
    case PropertyKind::Double:
        return FormatExactNumber(property.*field.number);
    case PropertyKind::Bool:
        return property.*field.flag ? "true" : "false";
    case PropertyKind::Font:
        return FormatFont(property.*field.font);
    case PropertyKind::Text:
        return property.*field.text;
    }
    return wxString();
}
