#include <wx/checklst.h>

#include "app/panes/ProjectPanel.h"
#include "support/ModelTestUtil.h"
#include "support/GuiTestSupport.h"

namespace {

using ProjectPanelTest = CommandTest;

TEST_F(ProjectPanelTest, ListFollowsTheSeriesAndItsCheckBoxesSetVisibility)
{
    auto project = frame->GetProject();
    for (const char* label : {"alpha", "beta", "gamma"})
        project->Add(MakeSeries({1}, {}, label));
    EXPECT_EQ((Rows{"x[01]alpha", "x[02]beta", "x[03]gamma"}), Items());
    EXPECT_EQ(-1, frame->GetProjectPanel()->GetSelectedGraphIndex());

    project->GetItem(1)->SetLabel("renamed");
    project->GetItem(2)->SetVisible(false);
    EXPECT_EQ((Rows{"x[01]alpha", "x[02]renamed", "-[03]gamma"}), Items());

    // Deleting renumbers the rest; the selection stays on its row.
    wxCheckListBox* list = frame->GetProjectPanel()->GetCheckList();
    list->SetSelection(1);
    project->Remove(0);
    EXPECT_EQ((Rows{"x[01]renamed", "-[02]gamma"}), Items());
    EXPECT_EQ(1, frame->GetProjectPanel()->GetSelectedGraphIndex());

    for (bool checked : {true, false}) {
        list->Check(1, checked); // a click flips the box, then the event comes
        Send(list, wxEVT_CHECKLISTBOX, 1);
        EXPECT_EQ(checked, project->GetItem(1)->IsVisible());
        EXPECT_TRUE(project->GetItem(0)->IsVisible());
    }
}

TEST_F(ProjectPanelTest, OnlyTheCurrentProjectReachesTheList)
{
    ProjectPanel* panel = frame->GetProjectPanel();
    auto other = CreateGraphProject();
    other->Add(MakeSeries({1}, {}, "new1"));
    other->Add(MakeSeries({1}, {}, "new2"));
    panel->SetProject(other.get());
    EXPECT_EQ((Rows{"x[01]new1", "x[02]new2"}), Items());
    frame->GetProject()->Add(MakeSeries({1}, {}, "late"));
    EXPECT_EQ(2u, panel->GetCheckList()->GetCount());

    other.reset(); // destroyed while shown: the next switch must not touch it
    panel->SetProject(nullptr);
    EXPECT_EQ(0u, panel->GetCheckList()->GetCount());
    EXPECT_EQ(-1, panel->GetSelectedGraphIndex());
}

} // namespace
