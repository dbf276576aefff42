#pragma once

#include <wx/bitmap.h>

#include "ui/AboutDlgDesign.h"

// The about box: the program's picture with the build identification; OK closes it.
class AboutDlg : public AboutDlgDesign
{
public:
    explicit AboutDlg(wxWindow* parent);

protected:
    void OnPaint(wxPaintEvent& event) override;
    void ButtonOK_OnButtonClick(wxCommandEvent& event) override;

private:
    wxBitmap m_picture;
};
