#include "app/Translations.h"

#include <wx/filename.h>
#include <wx/translation.h>

#include "app/ManualPanel.h"

namespace {

const char CATALOG[] = "ardentine";

void Install(const wxString& language)
{
    auto* translations = new wxTranslations;
    wxTranslations::Set(translations);
    if (!language.empty())
        translations->SetLanguage(language);
    translations->AddStdCatalog();
    // The source texts are English, except the formula parse failure, whose source is
    // Japanese. English users therefore need the English catalog too: the language passed
    // as the source language is one no user has, so wx never skips loading a catalog.
    if (!translations->AddCatalog(CATALOG, wxLANGUAGE_UNKNOWN) && language.empty()) {
        // No catalog for the user's language (e.g. LANG=C): English is the fallback.
        translations->SetLanguage("en");
        translations->AddCatalog(CATALOG, wxLANGUAGE_UNKNOWN);
    }
}

} // namespace

void SetUpTranslations()
{
    const wxString exeDir = ExecutableDir();
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(exeDir + "/locale");
    wxFileName installed(exeDir, wxEmptyString);
    installed.RemoveLastDir();
    installed.AppendDir("share");
    installed.AppendDir("locale");
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(installed.GetPath());
    Install(wxEmptyString);
}

void SetUpTranslations(const wxString& catalogDir, const wxString& language)
{
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(catalogDir);
    Install(language);
}
