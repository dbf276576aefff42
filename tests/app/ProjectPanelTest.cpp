#include <wx/checklst.h>

#include "app/panes/ProjectPanel.h"
#include "support/GuiTestSupport.h"
#include "support/ModelTestUtil.h"

namespace {

using ProjectPanelTest = CommandTest;

// The list follows the series (deleting renumbers the rest, the selection stays on its
// row), its check boxes set visibility, and only the current project reaches it (a
// project destroyed while shown must not be touched at the next switch).
TEST_F(ProjectPanelTest, ListFollowsTheProjectAndItsCheckBoxesSetVisibility)
{
    for (const char* label : {"alpha", "beta", "gamma"})
        Project().Add(MakeSeries({1}, {}, label));
    Project().GetItem(1)->SetLabel("renamed");
    Project().GetItem(2)->SetVisible(false);
    ProjectPanel* panel = frame->GetProjectPanel();
    EXPECT_EQ(-1, panel->GetSelectedGraphIndex());
    panel->GetCheckList()->SetSelection(1);
    Project().Remove(0);
    EXPECT_EQ((Rows{"x[01]renamed", "-[02]gamma"}), Items());
    EXPECT_EQ(1, panel->GetSelectedGraphIndex());
    for (bool checked : {true, false}) {
        panel->GetCheckList()->Check(1, checked); // a click flips the box, then the event
        Send(panel->GetCheckList(), wxEVT_CHECKLISTBOX, 1);
        EXPECT_EQ(checked, Project().GetItem(1)->IsVisible());
    }

    auto other = CreateGraphProject();
    other->Add(MakeSeries({1}, {}, "new1"));
    panel->SetProject(other.get());
    Project().Add(MakeSeries({1}, {}, "late"));
    EXPECT_EQ((Rows{"x[01]new1"}), Items());
    other.reset();
    panel->SetProject(nullptr);
    EXPECT_EQ(Rows{}, Items());
    EXPECT_EQ(-1, panel->GetSelectedGraphIndex());
}

} // namespace
