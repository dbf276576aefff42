#include <wx/ffile.h>

#include "app/panes/ManualPanel.h"
#include "support/GuiTestSupport.h"

TEST(ManualPanel, PageAddressHasThreeSlashesAndEscapes)
{
    const std::pair<const char*, const char*> rows[] = {
        {"/opt/ardentine/bin", "file:///opt/ardentine/bin/manual/manual.htm"},
        {"/a b", "file:///a%20b/manual/manual.htm"},
        {"/x/./y/..", "file:///x/manual/manual.htm"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        EXPECT_EQ(row.second, PageURL(row.first, "manual", "manual.htm"));
    }
}

// The build puts the pages beside the program, where the panes look for them.
TEST(ManualPanel, PagesAreBesideTheProgram)
{
    for (const char* name : {"manual.htm", "license.htm"}) {
        SCOPED_TRACE(name);
        wxString text;
        wxFFile file(wxString(ARDENTINE_BINARY_DIR "/manual/") + name, "rb");
        ASSERT_TRUE(file.IsOpened() && file.ReadAll(&text, wxConvUTF8));
        EXPECT_NE(wxNOT_FOUND, text.Find("<title>"));
        EXPECT_NE(wxNOT_FOUND, text.Find("Ardentine"));
    }
}
