#pragma once

#include <wx/string.h>

// Installs the program's message catalogs ("ardentine") for the user's language, taken
// from the environment, or for `language` when given. The catalogs are looked up in
// locale/ beside the executable (the build tree) and in the installed share/locale.
void InstallTranslations(const wxString& executablePath, const wxString& language = wxString());
// The same with an explicit catalog folder, for tests.
void InstallTranslationsFrom(const wxString& catalogDir, const wxString& language);
