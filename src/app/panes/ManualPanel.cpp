#include "app/panes/ManualPanel.h"

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/stdpaths.h>

ManualPanel::ManualPanel(wxWindow* parent) : ManualPanelDesign(parent) {}

void ManualPanel::LoadPage(const wxString& subDir, const wxString& fileName)
{
    if (m_loaded)
        return;
    m_pageURL = PageURL(ExecutableDir(), subDir, fileName);
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
