#include "app/dialogs/AboutDlg.h"

#include <wx/dcclient.h>
#include <wx/intl.h>

#include "app/Artwork.h"

AboutDlg::AboutDlg(wxWindow* parent)
    : AboutDlgDesign(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(247, 322)),
      m_picture(CreateAboutPicture())
{
}

void AboutDlg::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    dc.DrawBitmap(m_picture, 0, 0);
    dc.DrawText(_("Build Date: 2015/11/22"), 20, 220);
    dc.DrawText(_("Revision: 35"), 20, 235);
}

void AboutDlg::ButtonOK_OnButtonClick(wxCommandEvent&)
{
    EndModal(wxID_OK);
}
