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
    // The source texts are English: a language without a catalog (or "C") reads them.
    translations->AddCatalog(CATALOG);
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
