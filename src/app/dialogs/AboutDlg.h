#pragma once

#include <wx/arrstr.h>
#include <wx/bitmap.h>

#include "ui/AboutDlgDesign.h"

// The about box: the program's picture with the build identification; OK closes it.
class AboutDlg : public AboutDlgDesign
{
public:
    explicit AboutDlg(wxWindow* parent);

    // The texts drawn under the picture: the version and the build date.
    static wxArrayString GetLines();

protected:
    void OnPaint(wxPaintEvent& event) override;
    void ButtonOK_OnButtonClick(wxCommandEvent& event) override;

private:
    wxBitmap m_picture;
};
