#pragma once

#include "ui/ImageSizeSettingDlgDesign.h"

// The size of an exported image, with a shortcut to the graph pane's own size.
class ImageSizeSettingDlg : public ImageSizeSettingDlgDesign
{
public:
    explicit ImageSizeSettingDlg(wxWindow* parent);

    // The size that "Same Size As Window" puts into the controls.
    void SetWindowSize(int width, int height);
    int GetImageWidth() const { return m_spinCtrlWidth->GetValue(); }
    int GetImageHeight() const { return m_spinCtrlHeight->GetValue(); }

protected:
    void CheckBoxSameSize_OnCheckBox(wxCommandEvent& event) override;

private:
    int m_windowWidth = MIN_SIDE;
    int m_windowHeight = MIN_SIDE;
};
