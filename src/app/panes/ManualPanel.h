#pragma once

#include "ui/ManualPanelDesign.h"

// A pane showing one page that accompanies the program; the page is loaded the first time
// it is asked for, so a page the user scrolled keeps its place.
class ManualPanel : public ManualPanelDesign
{
public:
    explicit ManualPanel(wxWindow* parent);

    void LoadPage(const wxString& subDir, const wxString& fileName);
    void LoadManual();
    void LoadLicense();

    bool IsLoaded() const { return m_loaded; }
    const wxString& GetPageURL() const { return m_pageURL; }

private:
    bool m_loaded = false;
    wxString m_pageURL;
};

// The "file:///" address of `dir`/`subDir`/`fileName`.
wxString PageURL(const wxString& dir, const wxString& subDir, const wxString& fileName);
// The directory of the running executable.
wxString ExecutableDir();
