#include "app/dialogs/ImageSizeSettingDlg.h"

#include <algorithm>

#include <wx/intl.h>

ImageSizeSettingDlg::ImageSizeSettingDlg(wxWindow* parent)
    : ImageSizeSettingDlgDesign(parent, wxID_ANY, _("Image Size Setting"))
{
}

void ImageSizeSettingDlg::SetWindowSize(int width, int height)
{
    // A pane narrower than the controls allow still gives a size they accept.
    m_windowWidth = std::clamp(width, MIN_SIDE, MAX_SIDE);
    m_windowHeight = std::clamp(height, MIN_SIDE, MAX_SIDE);
}

void ImageSizeSettingDlg::CheckBoxSameSize_OnCheckBox(wxCommandEvent&)
{
    const bool same = m_checkBoxSameSize->GetValue();
    if (same) {
        m_spinCtrlWidth->SetValue(m_windowWidth);
        m_spinCtrlHeight->SetValue(m_windowHeight);
    }
    m_spinCtrlWidth->Enable(!same);
    m_spinCtrlHeight->Enable(!same);
}
