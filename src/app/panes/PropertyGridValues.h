#pragma once

#include <cfloat>

#include <wx/colour.h>
#include <wx/font.h>
#include <wx/propgrid/props.h>

#include "model/Colour.h"
#include "model/FontDesc.h"

// The model's colours and fonts as the toolkit's, and back; only desktop code converts.
wxColour ToWxColour(const Colour& colour);
Colour FromWxColour(const wxColour& colour);
wxFont ToWxFont(const FontDesc& font);
FontDesc FromWxFont(const wxFont& font);

// A floating-point property that loses no digits: it shows FormatExactNumber's text,
// reads text locale-free, and refuses a value that is not finite or lies outside
// [min, max], whichever way it arrives (editor, API or a group's text). The editor also
// gets the toolkit's floating-point validator with the same limits.
class ExactFloatProperty : public wxFloatProperty
{
public:
    ExactFloatProperty(const wxString& label, double value, double min = -DBL_MAX,
                       double max = DBL_MAX);

    wxString ValueToString(wxVariant& value, int argFlags = 0) const override;
    bool StringToValue(wxVariant& variant, const wxString& text, int argFlags = 0) const override;
    bool ValidateValue(wxVariant& value, wxPGValidationInfo& info) const override;

    // The message for a value that ValidateValue refuses, empty for a valid one.
    wxString CheckValue(double value) const;

    // An X on a time axis: shown as ISO 8601 text, and read back from such text (or from
    // seconds after `origin`).
    void ShowAsTime(int64_t origin);

private:
    double m_min;
    double m_max;
    bool m_time = false;
    int64_t m_origin = 0;
};
