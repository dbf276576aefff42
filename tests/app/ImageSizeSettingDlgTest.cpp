#include "app/dialogs/ImageSizeSettingDlg.h"
#include "support/GuiTestSupport.h"

// Unchecking keeps the values.
TEST(ImageSizeSettingDlg, SameSizeAsWindowTakesTheClampedWindowSize)
{
    for (auto [window, shown] :
         {std::pair{wxSize(800, 600), wxSize(800, 600)}, {wxSize(5, 20000), wxSize(10, 10000)}}) {
        ImageSizeSettingDlg dlg(nullptr);
        dlg.SetWindowSize(window.x, window.y);
        for (bool same : {true, false}) {
            Send(dlg.GetSameSizeBox(), wxEVT_CHECKBOX, same);
            EXPECT_EQ(wxSize(dlg.GetImageWidth(), dlg.GetImageHeight()), shown);
            EXPECT_EQ(dlg.GetWidthCtrl()->IsEnabled() + dlg.GetHeightCtrl()->IsEnabled(),
                      same ? 0 : 2);
        }
    }
}
