#include "app/panes/ManualPanel.h"

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/stdpaths.h>
#include <wx/translation.h>

ManualPanel::ManualPanel(wxWindow* parent) : ManualPanelDesign(parent) {}

void ManualPanel::LoadPage(const wxString& subDir, const wxString& fileName)
{
    if (m_loaded)
        return;
    m_pageURL = LocalisedPageURL(ExecutableDir(), subDir, fileName);
    if (!m_webView)
        CreateWebView();
    m_webView->LoadURL(m_pageURL);
    m_loaded = true;
}

void ManualPanel::LoadManual()
{
    LoadPage("manual", "manual.htm");
}
void ManualPanel::LoadLicense()
{
    LoadPage("manual", "license.htm");
}

wxString ExecutableDir()
{
    return wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
}

wxString PageLanguage()
{
    // The language the program's own catalog was chosen for, so that the page speaks the
    // language of the menus.
    wxTranslations* translations = wxTranslations::Get();
    return translations ? translations->GetBestTranslation("ardentine", wxLANGUAGE_ENGLISH_US)
                        : wxString();
}

wxString LocalisedPageName(const wxString& dir, const wxString& fileName, const wxString& language)
{
    const wxFileName plain(dir, fileName);
    // "ja_JP" looks for "manual.ja_JP.htm", then "manual.ja.htm".
    for (const wxString& code : {language, language.BeforeFirst('_')}) {
        if (code.empty() || code == "C")
            continue;
        wxFileName page(plain);
        page.SetName(plain.GetName() + "." + code);
        if (page.FileExists())
            return page.GetFullName();
    }
    return fileName;
}

wxString LocalisedPageURL(const wxString& dir, const wxString& subDir, const wxString& fileName)
{
    wxFileName folder(dir, wxEmptyString);
    folder.AppendDir(subDir);
    return PageURL(dir, subDir, LocalisedPageName(folder.GetPath(), fileName, PageLanguage()));
}

wxString PageURL(const wxString& dir, const wxString& subDir, const wxString& fileName)
{
    wxFileName name(dir, wxEmptyString);
    name.AppendDir(subDir);
    name.SetFullName(fileName);
    name.MakeAbsolute();
    wxString url = wxFileSystem::FileNameToURL(name);
    // Whatever number of slashes the conversion gives, the address gets exactly three.
    wxString path;
    if (url.StartsWith("file:", &path)) {
        while (path.StartsWith("/"))
            path.Remove(0, 1);
        url = "file:///" + path;
    }
    return url;
}
