#include "app/dialogs/SeparatorSettingDlg.h"
#include "support/GuiTestSupport.h"

TEST(SeparatorSettingDlg, CommaAtStartTabWhenChosenNoDialogForUpperCaseTxt)
{
    wxChar separator = 0;
    wxTEST_DIALOG(EXPECT_TRUE(ChooseSeparator(nullptr, "/tmp/data.txt", separator)),
                  ExpectDialog<SeparatorSettingDlg>([](SeparatorSettingDlg* dlg) {
                      EXPECT_EQ("Comma", dlg->GetComboBox()->GetStringSelection());
                      dlg->GetComboBox()->SetSelection(0);
                      Send(dlg->GetComboBox(), wxEVT_COMBOBOX);
                      return wxID_OK;
                  }));
    EXPECT_EQ('\t', separator);

    wxTEST_DIALOG(EXPECT_FALSE(ChooseSeparator(nullptr, "/tmp/data.txt", separator)),
                  wxExpectDismissableModal<SeparatorSettingDlg>(wxID_CANCEL));

    for (const char* name : {"/tmp/data.TXT", "/tmp/data.csv", "/tmp/data"}) {
        separator = 0;
        EXPECT_TRUE(ChooseSeparator(nullptr, name, separator)); // no dialog expected
        EXPECT_EQ(',', separator) << name;
    }
}
