#include "app/dialogs/AboutDlg.h"

#include <wx/dcclient.h>
#include <wx/intl.h>

#include "app/Artwork.h"
#include "base/BuildInfo.h"

AboutDlg::AboutDlg(wxWindow* parent)
    : AboutDlgDesign(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(247, 322)),
      m_picture(CreateAboutPicture())
{
}

wxArrayString AboutDlg::GetLines()
{
    wxArrayString lines;
    lines.push_back(wxString::Format(_("Version: %s"), ProgramVersion()));
    lines.push_back(wxString::Format(_("Build Date: %s"), BuildDate()));
    return lines;
}

void AboutDlg::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    dc.DrawBitmap(m_picture, 0, 0);
    const wxArrayString lines = GetLines();
    for (size_t k = 0; k < lines.size(); ++k)
        dc.DrawText(lines[k], 20, 220 + 15 * static_cast<int>(k));
}

void AboutDlg::ButtonOK_OnButtonClick(wxCommandEvent&)
{
    EndModal(wxID_OK);
}
