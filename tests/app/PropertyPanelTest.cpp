// The property pane: what each grid shows, how edits reach the project, and the refusals
// the pane adds to the property table's own (the table's limits are the model's tests).
#include <cmath>

#include <wx/frame.h>
#include <wx/propgrid/advprops.h>
#include <wx/translation.h>
#include <wx/uiaction.h>

#include "app/panes/PropertyPanel.h"
#include "model/PropertyNames.h"
#include "model/Translations.h"
#include "support/GuiTestSupport.h"
#include "support/ModelTestUtil.h"

namespace {

template <typename T> wxVariant Variant(const T& value)
{
    wxVariant v;
    v << value;
    return v;
}

class PropertyPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "test", wxDefaultPosition, wxSize(400, 700));
        panel = new PropertyPanel(frame);
        grid = panel->GetPropGrid();
        frame->Show();
        project->Attach(&recorder);
        project->Add(MakeSeries({4, NAN, -3}, {100, -2}, "s"));
        project->SetPlotRange(0, 50, 0, 1);
        panel->SetProject(project.get());
    }
    void TearDown() override
    {
        panel->SetProject(nullptr);
        frame->Destroy();
        PumpPending();
    }
    void Target(int index)
    {
        panel->GetComboBoxTarget()->SetSelection(index);
        Send(panel->GetComboBoxTarget(), wxEVT_COMBOBOX, index);
    }
    // As if the user committed `value` in the editor of `name`; the kinds sent follow, a
    // series' own kind in bits 8 and up.
    bool Edit(const wxString& name, const wxVariant& value)
    {
        recorder.updates.clear();
        const bool changed = grid->ChangePropertyValue(name, value);
        sent.clear();
        for (const auto& u : recorder.updates)
            sent.push_back(u.kind | u.dataKind << 8);
        return changed;
    }
    // As typing `text` into the editor of `name` and pressing Enter; false when the row
    // has no editor that takes text.
    bool Type(const char* name, const char* text)
    {
        grid->SelectProperty(name, true);
        auto* editor = wxDynamicCast(grid->GetEditorControl(), wxTextCtrl);
        if (!editor)
            return false;
        editor->SetValue(text);
        grid->CommitChangesFromEditor();
        return editor->IsEditable();
    }
    // The value texts of the rows named, joined by "|".
    wxString Text(std::initializer_list<const char*> names) const
    {
        wxString text;
        for (const char* name : names) {
            wxPGProperty* p = grid->GetPropertyByName(name);
            text += (p ? p->GetValueAsString() : "<none>") + "|";
        }
        return text.RemoveLast();
    }
    wxString Items() const
    {
        return wxJoin(panel->GetComboBoxTarget()->GetStrings(), '|') + " at " +
               panel->GetComboBoxTarget()->GetValue();
    }
    // Selects `name` as a click does (with its event) and returns the help text.
    wxString Select(const wxString& name)
    {
        grid->SelectProperty(name);
        wxPropertyGridEvent event(wxEVT_PG_SELECTED, grid->GetId());
        event.SetPropertyGrid(grid);
        event.SetProperty(grid->GetPropertyByName(name));
        grid->ProcessWindowEvent(event);
        return panel->GetTextCtrlHelp()->GetValue();
    }

    wxFrame* frame = nullptr;
    PropertyPanel* panel = nullptr;
    wxPropertyGrid* grid = nullptr;
    std::shared_ptr<GraphProject> project = CreateGraphProject();
    ProjectRecorder recorder;
    std::vector<uint32_t> sent;
};

// Every field of the table has its row, numbers show every digit, and an edit writes one
// notification with every other field of its group as it was (a font read back from the
// toolkit gained the face name it picked; a colour lost its alpha).
TEST_F(PropertyPanelTest, ProjectGridShowsEveryFieldAndEditsLoseNothing)
{
    project->SetPlotRange(-1, 2345678.912345, 0.1, 0.30000000000000004);
    EXPECT_EQ("Project|[01]s at Project", Items());
    EXPECT_EQ("96; 100; -3; 4|0.30000000000000004|",
              Text({"DataRange", "PlotRange.MaxY", "Grid.IntervalX"}));
    EXPECT_FALSE(grid->GetPropertyByName("Grid.IntervalX")->IsEnabled()); // automatic
    int count = 0;
    for (auto it = grid->GetIterator(wxPG_ITERATE_PROPERTIES); !it.AtEnd(); ++it)
        ++count;
    EXPECT_EQ(5 + 5 + 35 + 6, count); // the two ranges, the table's fields and six groups

    // Name, value, what is stored in the command line's text form.
    const std::tuple<const char*, wxVariant, const char*> rows[] = {
        {"BGColor", Variant(wxColour(9, 8, 7, 6)), "#09080706"},
        {"Tick.Font", Variant(wxFont(wxFontInfo(14).Bold().FaceName("DejaVu Serif"))),
         "14,bold,DejaVu Serif"},
        {"Legend.Position", 3L, "bottom left"},
    };
    for (const auto& [name, value, stored] : rows) {
        SCOPED_TRACE(name);
        const ProjectProperty before = project->GetProperty();
        ASSERT_TRUE(Edit(name, value));
        EXPECT_EQ(std::vector<uint32_t>{PROJ_PROPERTY}, sent);
        for (const ProjectPropertyField& field : ProjectPropertyFields())
            EXPECT_EQ(field.name == wxString(name) ? wxString(stored)
                                                   : GetPropertyAsText(before, field),
                      GetPropertyAsText(project->GetProperty(), field))
                << field.name;
        EXPECT_TRUE(before.axisFont == project->GetProperty().axisFont);
    }
    ASSERT_TRUE(Edit("PlotRange.MaxX", 1234567.891234));
    EXPECT_EQ(std::vector<uint32_t>{PROJ_PLOT_RANGE}, sent);
    EXPECT_EQ(1234567.891234, project->GetPlotRange().maxX);
}

// A refusal shows its box and changes nothing; one row per kind of check the pane makes.
TEST_F(PropertyPanelTest, RefusedValuesChangeNothing)
{
    const ProjectProperty start = project->GetProperty();
    const wxString span = "The minimum must be less than the maximum, with a finite range between.";
    // Name, value, the refusal (overflowing spans are the model's tests).
    const std::tuple<const char*, wxVariant, const char*> rows[] = {
        {"Tick.LineLength", NAN, "Please input a finite number."},
        {"PlotRange.MinX", 50.0, span}, // equal bounds
        {"Margin.Left", 250.0, "Please input a number from 0 to 200."},
    };
    for (const auto& [name, value, message] : rows) {
        SCOPED_TRACE(name);
        const wxString before = Text({name});
        RunWithDialogs([&] { EXPECT_FALSE(Edit(name, value)); },
                       InOrder(Box(message, "Property Error")));
        EXPECT_EQ(before, Text({name}));
    }
    EXPECT_TRUE(start == project->GetProperty());
    EXPECT_EQ("0 50 0 1", RangeText(*project));
    // Typed text goes through the editor's validator and keeps every digit.
    Type("PlotRange.MaxX", "2345678.912345");
    EXPECT_EQ("2345678.912345", Text({"PlotRange.MaxX"}));
    RunWithDialogs([&] { Type("Margin.Bottom", "250"); },
                   InOrder(Answer<wxMessageDialog>(wxID_OK)));
    EXPECT_EQ(50, project->GetProperty().marginBottom);
    EXPECT_FALSE(Type("Margin", "1; 2; 3; 4")); // group rows cannot be typed into

    Target(1); // a series' own limits
    RunWithDialogs([&] { Edit("Curve.LineWidth", 50.0); },
                   InOrder(Box("Please input a number from 0.1 to 5.", "Property Error")));
    EXPECT_EQ(1.0, project->GetItem(0)->GetLineStyle().width);
}

// On a time axis X reads as ISO 8601 text, and ISO text (or seconds) typed in sets it.
TEST_F(PropertyPanelTest, TimeAxisRangesReadAndTakeIsoText)
{
    auto series = MakeSeries({1, 2, 3}, DataX{0.0, 0.5});
    series->SetTimeOrigin(1772719530000000000); // 2026-03-05T14:05:30
    project->Remove(0);
    project->Add(series);
    project->SetPlotRange(0.25, 1.0, 0.0, 4.0);
    EXPECT_EQ("2026-03-05T14:05:30.250|2026-03-05T14:05:30|4",
              Text({"PlotRange.MinX", "DataRange.MinX", "PlotRange.MaxY"}));
    EXPECT_TRUE(Type("PlotRange.MaxX", "2026-03-05T14:06:00.5"));
    EXPECT_TRUE(Type("PlotRange.MinX", "10"));
    EXPECT_EQ("10 30.5", wxString::Format("%g %g", project->GetPlotRange().minX,
                                          project->GetPlotRange().maxX));
    EXPECT_EQ("2026-03-05T14:05:40", Text({"PlotRange.MinX"}));
}

// An automatic axis shows the interval in use, read-only, and the project keeps -1 (the
// pane used to store the interval drawn); an axis made manual starts from what it showed.
TEST_F(PropertyPanelTest, AutomaticGridIntervalRules)
{
    panel->SetIntervalsInUse(-1, 0.25); // as after a frame: no X lines, Y every 0.25
    // The toggle, set to, the intervals shown, enabled, stored.
    const std::tuple<const char*, bool, const char*, const char*, const char*> rows[] = {
        {"", false, "|0.25", "00", "-1 -1"},
        {"Grid.AutoX", false, "5|0.25", "10", "5 -1"},   // none in use: a tenth of the range
        {"Grid.AutoX", true, "|0.25", "00", "5 -1"},     // the manual value is kept, not used
        {"Grid.AutoX", false, "5|0.25", "10", "5 -1"},   // and comes back
        {"Grid.AutoY", false, "5|0.25", "11", "5 0.25"}, // the interval in use
        {"Grid.AutoY", true, "5|0.25", "10", "5 0.25"},  // in use until the next frame
    };
    for (const auto& [name, value, shown, enabled, stored] : rows) {
        SCOPED_TRACE(std::string(name) + (value ? " on" : " off"));
        EXPECT_TRUE(!*name || Edit(name, value));
        EXPECT_EQ(shown, Text({"Grid.IntervalX", "Grid.IntervalY"}));
        EXPECT_EQ(enabled,
                  wxString::Format("%d%d", grid->GetPropertyByName("Grid.IntervalX")->IsEnabled(),
                                   grid->GetPropertyByName("Grid.IntervalY")->IsEnabled()));
        const ProjectProperty p = project->GetProperty();
        EXPECT_EQ(stored, wxString::Format("%g %g", p.gridIntervalX, p.gridIntervalY));
    }
    panel->SetIntervalsInUse(2, 0.5);
    EXPECT_EQ("5|0.5", Text({"Grid.IntervalX", "Grid.IntervalY"})); // X manual: the user's
    // Other edits of the group, and a rebuild, leave "automatic" stored as it was.
    ASSERT_TRUE(Edit("Grid.AutoX", true));
    ASSERT_TRUE(Edit("Grid.LineWidth", 2.0));
    ProjectProperty p = project->GetProperty();
    p.marginTop = 12; // rebuilds the grid
    project->SetProperty(p);
    EXPECT_EQ("2|0.5", Text({"Grid.IntervalX", "Grid.IntervalY"}));
    p = project->GetProperty();
    EXPECT_EQ("5 0.25 2",
              wxString::Format("%g %g %g", p.gridIntervalX, p.gridIntervalY, p.gridLineWidth));
}

// The series grid shows and writes its series; the target list follows renames and
// removals; refreshes follow the kind of change; without a project nothing is shown and
// events arriving anyway change nothing.
TEST_F(PropertyPanelTest, SeriesGridTargetListAndRefreshes)
{
    wxPGProperty* maxX = grid->GetPropertyByName("PlotRange.MaxX");
    project->BeginInterim(); // during a drag the range rows stay
    project->SetPlotRange(0, 8, 0, 1);
    EXPECT_EQ("50", Text({"PlotRange.MaxX"}));
    project->EndInterim();
    EXPECT_EQ("8", Text({"PlotRange.MaxX"}));
    project->SetPlotRange(0, 9, 0, 1); // a wheel zoom: at once, in place
    EXPECT_EQ("9", Text({"PlotRange.MaxX"}));
    EXPECT_EQ(maxX, grid->GetPropertyByName("PlotRange.MaxX"));

    project->Add(MakeSeries(std::vector<double>{}, {0, 3}, "empty"));
    Target(1);
    EXPECT_EQ("s|3|96; 100; -3; 4|1", Text({"Label", "Points", "DataRange", "Curve.LineWidth"}));
    ASSERT_TRUE(Edit("Curve.LineColor", Variant(wxColour(0, 128, 0, 200))));
    EXPECT_EQ(std::vector<uint32_t>{PROJ_DATA | DATA_LINE << 8}, sent);
    EXPECT_TRUE((LineStyle{1, Colour(0, 128, 0, 200)}) == project->GetItem(0)->GetLineStyle());
    // Renaming changes only the item's text: the grid, whose event this is, stays.
    wxPGProperty* label = grid->GetPropertyByName("Label");
    ASSERT_TRUE(Edit("Label", "renamed"));
    EXPECT_EQ(std::vector<uint32_t>{PROJ_DATA | DATA_LABEL << 8}, sent);
    EXPECT_EQ("Project|[01]renamed|[02]empty at [01]renamed", Items());
    EXPECT_EQ(label, grid->GetPropertyByName("Label"));
    project->GetItem(0)->SetLineStyle({3, Colour(1, 2, 3)});
    project->SetPlotRange(0, 4, 0, 1); // the series grid has no range rows
    EXPECT_EQ("3", Text({"Curve.LineWidth"}));
    PumpPending();
    // No points: no range to show (not 1.8e19 from a count of -1).
    Target(2);
    EXPECT_EQ("0||", Text({"Points", "DataRange.MaxX", "DataRange.MinY"}));
    project->Remove(0); // the index stays: it now stands for the next series, or the last
    EXPECT_EQ("Project|[01]empty at [01]empty", Items());

    panel->SetProject(nullptr);
    EXPECT_EQ(" at ", Items());
    EXPECT_EQ(nullptr, grid->GetPropertyByName("Margin.Top"));
    project->Remove(0); // no longer observed
    EXPECT_EQ(" at ", Items());
    grid->Append(new wxStringProperty("Margin"));
    recorder.updates.clear();
    EXPECT_FALSE(grid->ChangePropertyValue("Margin", "x"));
    EXPECT_EQ("", Select("Margin"));
    Target(0);
    EXPECT_TRUE(recorder.updates.empty());
    panel->SetProject(project.get());
    EXPECT_EQ("Project at Project", Items());
}

// Looked up when shown, so a catalog loaded after start-up applies.
TEST_F(PropertyPanelTest, HelpTextNamesTheSelectedProperty)
{
    Target(1);
    EXPECT_EQ("", panel->GetTextCtrlHelp()->GetValue()); // not the project's help
    EXPECT_EQ("DataRange\n\nDisplay the range of this graph  data.", Select("DataRange"));
    Target(0);
    const wxString pointSize = grid->GetPropertyByName("Tick.Font")->Item(0)->GetName();
    EXPECT_EQ(pointSize + "\n\n", Select(pointSize)); // a font's own field has no help
    InstallTranslationsFrom(ARDENTINE_BINARY_DIR "/locale", "ja");
    const wxString help = Select("Margin.Top");
    wxTranslations::Set(nullptr);
    EXPECT_EQ(wxString::FromUTF8("Margin.Top\n\nグラフ枠と表示領域の上の間隔を入力してください。"),
              help);
}

// Through the X server: a row near the bottom of a scrolled grid, edited by typing. The
// edit reaches that row, and neither it nor a rebuild moves the grid or its selection
// (the rebuild used to jump to the top with nothing selected, so the next edit went to
// whatever row then lay under the pointer).
TEST_F(PropertyPanelTest, EditsAndRebuildsKeepTheScrollAndTheSelection)
{
    ASSERT_TRUE(PumpUntil([&] { return grid->GetClientSize().y > 100; }));
    grid->Scroll(0, 10000); // the bottom: Tick's rows
    const wxPoint scrolled = grid->GetViewStart();
    ASSERT_GT(scrolled.y, 0);
    const auto state = [&] {
        const wxPGProperty* p = grid->GetSelection();
        const ProjectProperty prop = project->GetProperty();
        return wxString::Format("%s at %d; %s %s; %s", p ? p->GetName() : "-",
                                grid->GetViewStart().y - scrolled.y, prop.tickFormatX,
                                prop.tickFormatY,
                                panel->GetTextCtrlHelp()->GetValue().BeforeFirst('\n'));
    };
    Select("Tick.FormatX");
    ASSERT_TRUE(grid->GetEditorControl());
    grid->GetEditorControl()->SetFocus();
    wxUIActionSimulator sim;
    sim.Char('a', wxMOD_CONTROL);
    sim.Text("%.1f");
    sim.Char(WXK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return project->GetProperty().tickFormatX == "%.1f"; })) << state();

    const std::pair<const char*, std::function<void()>> rows[] = {
        {"typed", [] {}},
        {"a project notification",
         [&] {
             ProjectProperty p = project->GetProperty();
             p.marginTop = 12;
             project->SetProperty(p);
         }},
        {"an edit through the grid", [&] { EXPECT_TRUE(Edit("Tick.LineWidth", 2.0)); }},
    };
    for (const auto& [name, change] : rows) {
        SCOPED_TRACE(name);
        change();
        PumpPending();
        EXPECT_EQ("Tick.FormatX at 0; %.1f %.2f; Tick.FormatX", state());
    }
    // The next edit of the selected row goes where the user sees it.
    EXPECT_TRUE(grid->ChangePropertyValue(grid->GetSelection(), wxVariant("%.3f")));
    EXPECT_EQ("Tick.FormatX at 0; %.3f %.2f; Tick.FormatX", state());
    Target(1); // another grid starts at its top
    EXPECT_EQ(0, grid->GetViewStart().y);
}

} // namespace
