#pragma once

#include <wx/string.h>

// The help text of a grid name of the project grid or of a series grid, translated when
// asked (a table translated at start-up would miss catalogs loaded later). Empty for a
// name without help, such as a font's own sub-fields.
wxString GetProjectPropertyHelp(const wxString& name);
wxString GetSeriesPropertyHelp(const wxString& name);
