#include "app/dialogs/SeparatorSettingDlg.h"
#include "support/GuiTestSupport.h"

// Only a ".txt" name asks (its answers reach the import: the import command's tests); any
// other name, ".TXT" included, is read with commas without a dialog.
TEST(SeparatorSettingDlg, NoDialogForOtherNamesOrUpperCaseTxt)
{
    for (const char* name : {"/tmp/data.TXT", "/tmp/data.csv", "/tmp/data"}) {
        wxChar separator = 0;
        EXPECT_TRUE(ChooseSeparator(nullptr, name, separator)); // no dialog expected
        EXPECT_EQ(',', separator) << name;
    }
}
