#pragma once

#include <wx/string.h>

// The separators a file may use, in the order they are offered: tab, semicolon, comma, space.
struct SeparatorName
{
    const char* name; // shown as written, not translated
    wxChar character;
};
constexpr int SEPARATOR_COUNT = 4;
extern const SeparatorName SEPARATORS[SEPARATOR_COUNT];

// The separator's place in SEPARATORS, or -1 for any other character.
int SeparatorIndex(wxChar separator);
bool IsSupportedSeparator(wxChar separator);

// The separator named "tab", "semicolon", "comma" or "space" (any case); false for any
// other name.
bool SeparatorFromName(const wxString& name, wxChar& separator);

// The separator as the byte the files hold; false, with the user's message, for any
// other character.
bool NarrowSeparator(wxChar separator, char& narrow, wxString& message);
