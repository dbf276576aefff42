#include "model/Translations.h"

#include <wx/filename.h>
#include <wx/translation.h>

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
    // Japanese. English users therefore need the English catalog too: naming a source
    // language that no user has keeps wx from skipping the catalog for English.
    if (!translations->AddCatalog(CATALOG, wxLANGUAGE_UNKNOWN) && language.empty()) {
        // No catalog for the user's language (e.g. LANG=C): English is the fallback.
        translations->SetLanguage("en");
        translations->AddCatalog(CATALOG, wxLANGUAGE_UNKNOWN);
    }
}

} // namespace

void InstallTranslations(const wxString& executablePath, const wxString& language)
{
    const wxFileName exe(executablePath);
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(exe.GetPath() + "/locale");
    wxFileName installed(exe.GetPath(), wxEmptyString);
    installed.RemoveLastDir();
    installed.AppendDir("share");
    installed.AppendDir("locale");
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(installed.GetPath());
    Install(language);
}

void InstallTranslationsFrom(const wxString& catalogDir, const wxString& language)
{
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(catalogDir);
    Install(language);
}
