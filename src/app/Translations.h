#pragma once

#include <wx/string.h>

// Installs the program's message catalogs for the user's language (from the environment).
// Looks beside the executable (build tree) and in the installed share/locale.
void SetUpTranslations();
// The same with an explicit catalog folder and language, for tests.
void SetUpTranslations(const wxString& catalogDir, const wxString& language);
