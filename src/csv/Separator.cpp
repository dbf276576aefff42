#include "csv/Separator.h"

#include <wx/debug.h>
#include <wx/intl.h>

const SeparatorName SEPARATORS[SEPARATOR_COUNT] = {
    {"Tab", '\t'},
    {"Semicolon", ';'},
    {"Comma", ','},
    {"Space", ' '},
};

int SeparatorIndex(wxChar separator)
{
    for (int i = 0; i < SEPARATOR_COUNT; ++i)
        if (SEPARATORS[i].character == separator)
            return i;
    return -1;
}

bool IsSupportedSeparator(wxChar separator)
{
    return SeparatorIndex(separator) >= 0;
}

bool SeparatorFromName(const wxString& name, wxChar& separator)
{
    for (const SeparatorName& entry : SEPARATORS) {
        if (name.CmpNoCase(entry.name) == 0) {
            separator = entry.character;
            return true;
        }
    }
    return false;
}

bool NarrowSeparator(wxChar separator, char& narrow, wxString& message)
{
    if (!IsSupportedSeparator(separator)) {
        wxFAIL_MSG("separator must be tab, space, comma or semicolon");
        message = _("The separator must be a tab, a space, a comma or a semicolon!");
        return false;
    }
    narrow = static_cast<char>(separator);
    return true;
}
