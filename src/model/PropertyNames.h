#pragma once

#include <vector>

#include <wx/string.h>

#include "model/GraphProject.h"

// The editable display properties by name ("Margin.Top", "Grid.AutoX", ...), with their
// kinds and value limits, and a text form for each kind. The property pane and the
// command-line tool set properties through this table, so both refuse the same values.
enum class PropertyKind
{
    Colour,
    Double,
    Bool,
    Font,
    Text,
};

struct ProjectPropertyField
{
    const char* name;
    PropertyKind kind;
    double min; // limits of a Double; min > max means none
    double max;
    bool aboveMin; // min itself is refused too (an interval must be above 0)
    Colour ProjectProperty::*colour;
    double ProjectProperty::*number;
    bool ProjectProperty::*flag;
    FontDesc ProjectProperty::*font;
    wxString ProjectProperty::*text;
    // A Text field limited to these values (null: any text).
    const char* const* choices;
    int choiceCount;
    // A Text field's rule (null: any text), and what it asks for, for messages.
    bool (*accepts)(const wxString& text);
    const char* rule;
    // What the property pane says when aboveMin or the rule refuses a value (untranslated:
    // the pane translates it; null for the plain limits, which the pane's editor states).
    const char* refusal;
};

const std::vector<ProjectPropertyField>& ProjectPropertyFields();
// True for a finite value within the field's limits (any finite value without limits).
bool IsWithinLimits(const ProjectPropertyField& field, double value);
// True for a text a Text field takes: one of its choices, or one its rule accepts.
bool IsAcceptedText(const ProjectPropertyField& field, const wxString& text);

// Limits of a series' line width ("Curve.LineWidth"), those of the graph's line widths.
constexpr double SERIES_LINE_WIDTH_MIN = 0.1;
constexpr double SERIES_LINE_WIDTH_MAX = 5.0;
const ProjectPropertyField* FindProjectPropertyField(const wxString& name);

// "#RRGGBB" or "#RRGGBBAA" (hex digits in either case).
bool ParseColour(const wxString& text, Colour& colour);
wxString FormatColour(const Colour& colour);

// "<point size>[,bold][,italic][,<face name>]", e.g. "12,bold,DejaVu Sans".
bool ParseFont(const wxString& text, FontDesc& font);
wxString FormatFont(const FontDesc& font);

// Parses `text` as the field's kind and stores it. False, with a message naming the
// property, when the text is not a value of that kind or is outside the limits.
bool SetPropertyFromText(ProjectProperty& property, const ProjectPropertyField& field,
                         const wxString& text, wxString& error);
wxString GetPropertyAsText(const ProjectProperty& property, const ProjectPropertyField& field);
