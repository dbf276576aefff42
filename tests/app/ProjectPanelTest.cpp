#include <wx/frame.h>

#include "app/ProjectPanel.h"
#include "support/GuiTestSupport.h"
#include "app/AppTestUtil.h"

namespace {

using Rows = std::vector<std::string>;

class ProjectPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "test");
        panel = new ProjectPanel(frame);
        list = panel->GetCheckList();
        project = CreateGraphProject();
        panel->SetProject(project.get());
    }
    void TearDown() override { delete frame; }

    Rows Items() const
    {
        std::vector<std::string> items;
        for (unsigned i = 0; i < list->GetCount(); ++i)
            items.push_back((list->IsChecked(i) ? "x" : "-") + list->GetString(i).utf8_string());
        return items;
    }
    // What a click on the item's box does: the box flips, then the toggle event comes.
    void ClickBox(unsigned index)
    {
        list->Check(index, !list->IsChecked(index));
        wxCommandEvent event(wxEVT_CHECKLISTBOX, list->GetId());
        event.SetInt(static_cast<int>(index));
        event.SetEventObject(list);
        list->ProcessWindowEvent(event);
    }

    wxFrame* frame = nullptr;
    ProjectPanel* panel = nullptr;
    wxCheckListBox* list = nullptr;
    std::shared_ptr<GraphProject> project;
};

TEST_F(ProjectPanelTest, ListFollowsTheSeries)
{
    for (const char* label : {"alpha", "beta", "gamma"})
        project->Add(MakeSeries({1}, {}, label));
    EXPECT_EQ((Rows{"x[01]alpha", "x[02]beta", "x[03]gamma"}), Items());
    EXPECT_EQ(-1, panel->GetSelectedGraphIndex());

    project->GetItem(1)->SetLabel("renamed");
    project->GetItem(2)->SetVisible(false);
    EXPECT_EQ((Rows{"x[01]alpha", "x[02]renamed", "-[03]gamma"}), Items());

    // Deleting renumbers the rest; the selection stays on its row.
    list->SetSelection(1);
    project->Remove(0);
    EXPECT_EQ((Rows{"x[01]renamed", "-[02]gamma"}), Items());
    EXPECT_EQ(1, panel->GetSelectedGraphIndex());
}

TEST_F(ProjectPanelTest, CheckBoxesSetVisibility)
{
    project->Add(MakeSeries({1}, {}, "a"));
    project->Add(MakeSeries({2}, {}, "b"));
    ClickBox(1);
    EXPECT_FALSE(project->GetItem(1)->IsVisible());
    EXPECT_TRUE(project->GetItem(0)->IsVisible());
    EXPECT_EQ((Rows{"x[01]a", "-[02]b"}), Items());
    ClickBox(1);
    EXPECT_TRUE(project->GetItem(1)->IsVisible());
}

TEST_F(ProjectPanelTest, OnlyTheCurrentProjectReachesTheList)
{
    project->Add(MakeSeries({1}, {}, "old"));
    auto other = CreateGraphProject();
    other->Add(MakeSeries({1}, {}, "new1"));
    other->Add(MakeSeries({1}, {}, "new2"));
    panel->SetProject(other.get());
    EXPECT_EQ((Rows{"x[01]new1", "x[02]new2"}), Items());
    project->Add(MakeSeries({1}, {}, "late"));
    EXPECT_EQ(2u, list->GetCount());

    other.reset(); // destroyed while shown: the next switch must not touch it
    panel->SetProject(nullptr);
    EXPECT_EQ(0u, list->GetCount());
    EXPECT_EQ(-1, panel->GetSelectedGraphIndex());
}

} // namespace
