#pragma once

#include "ui/ManualPanelDesign.h"

// A pane showing one page that accompanies the program, in the language of the menus when
// the page has a version in it; the page is loaded the first time it is asked for, so a page
// the user scrolled keeps its place.
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

// The page of `fileName` in folder `dir` for `language` ("ja" or "ja_JP"): "manual.ja.htm"
// for "manual.htm" when that file is there, else `fileName` itself.
wxString LocalisedPageName(const wxString& dir, const wxString& fileName, const wxString& language);
// The language of the program's installed catalog ("ja"), empty when none was installed.
wxString PageLanguage();
// The address of the page in the language of the menus (see above).
wxString LocalisedPageURL(const wxString& dir, const wxString& subDir, const wxString& fileName);
// The "file:///" address of `dir`/`subDir`/`fileName`.
wxString PageURL(const wxString& dir, const wxString& subDir, const wxString& fileName);
// The directory of the running executable.
wxString ExecutableDir();
