#include <cfloat>
#include <cmath>

#include <wx/frame.h>
#include <wx/propgrid/advprops.h>
#include <wx/translation.h>
#include <wx/uiaction.h>

#include "app/panes/PropertyPanel.h"
#include "support/ModelTestUtil.h"
#include "model/PropertyNames.h"
#include "model/Translations.h"
#include "support/GuiTestSupport.h"

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
        frame->Show();
        project = CreateGraphProject();
        project->Attach(&recorder);
        grid = panel->GetPropGrid();
        combo = panel->GetComboBoxTarget();
    }
    void TearDown() override
    {
        panel->SetProject(nullptr);
        frame->Destroy();
        PumpPending();
    }
    void Show() { panel->SetProject(project.get()); }
    void Target(int index)
    {
        combo->SetSelection(index);
        Send(combo, wxEVT_COMBOBOX, index);
    }
    // As if the user committed `value` in the editor of `name`: validation, the changing
    // and the changed events.
    bool Edit(const wxString& name, const wxVariant& value)
    {
        recorder.updates.clear();
        return grid->ChangePropertyValue(name, value);
    }
    // The kinds sent since the last edit, a series' own kind in bits 8 and up.
    std::vector<uint32_t> Kinds() const
    {
        std::vector<uint32_t> kinds;
        for (const auto& u : recorder.updates)
            kinds.push_back(u.kind | u.dataKind << 8);
        return kinds;
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
    wxString Text(const wxString& name) const
    {
        wxPGProperty* p = grid->GetPropertyByName(name);
        return p ? p->GetValueAsString() : wxString("<none>");
    }
    std::vector<wxString> Items() const
    {
        std::vector<wxString> items;
        for (unsigned i = 0; i < combo->GetCount(); ++i)
            items.push_back(combo->GetString(i));
        return items;
    }
    wxString Select(const wxString& name)
    {
        wxPGProperty* p = grid->GetPropertyByName(name);
        EXPECT_NE(p, nullptr) << name;
        grid->SelectProperty(p);
        // Programmatic selection sends no event; send the one a click sends.
        wxPropertyGridEvent event(wxEVT_PG_SELECTED, grid->GetId());
        event.SetPropertyGrid(grid);
        event.SetProperty(p);
        grid->ProcessWindowEvent(event);
        return panel->GetTextCtrlHelp()->GetValue();
    }

    wxFrame* frame = nullptr;
    PropertyPanel* panel = nullptr;
    wxPropertyGrid* grid = nullptr;
    wxComboBox* combo = nullptr;
    std::shared_ptr<GraphProject> project;
    ProjectRecorder recorder;
};

TEST_F(PropertyPanelTest, ProjectGridListsEveryPropertyWithItsKindAndState)
{
    project->Add(MakeSeries({3, -2, 5}, {10, 0.5}, "a"));
    project->SetPlotRange(-1, 2345678.912345, 0.1, 0.30000000000000004);
    Show();
    EXPECT_EQ(std::vector<wxString>({"Project", "[01]a"}), Items());

    // Name, class, value text, state: e enabled, d disabled, r read-only text. The other
    // editors' kinds show in the edits below.
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        {"DataRange", "wxStringProperty", "10; 11; -2; 5", "dr"},
        {"PlotRange", "wxStringProperty", "-1; 2345678.912345; 0.1; 0.30000000000000004", "er"},
        {"PlotRange.MaxY", "wxFloatProperty", "0.30000000000000004", "e"},
        {"Margin", "wxStringProperty", "10; 50; 100; 10", "er"},
        {"Grid.IntervalX", "wxFloatProperty", "", "d"}, // automatic, nothing drawn yet
        {"Legend.Position", "wxEnumProperty", "top right", "e"},
    };
    for (const auto& [name, cls, text, state] : rows) {
        SCOPED_TRACE(name);
        wxPGProperty* p = grid->GetPropertyByName(name);
        ASSERT_NE(p, nullptr);
        const wxString shown =
            wxString(p->IsEnabled() ? "e" : "d") + (p->HasFlag(wxPG_PROP_READONLY) ? "r" : "");
        EXPECT_EQ(wxString(cls) + " " + text + " " + state,
                  wxString(p->GetClassInfo()->GetClassName()) + " " + p->GetValueAsString() + " " +
                      shown);
    }
    EXPECT_TRUE(grid->GetPropertyByName("Grid.EnabledY")->GetAttribute(wxPG_BOOL_USE_CHECKBOX));
    int count = 0;
    for (auto it = grid->GetIterator(wxPG_ITERATE_PROPERTIES); !it.AtEnd(); ++it)
        ++count;
    // DataRange and PlotRange with four children each, the table's 35 fields and its six
    // groups (all but "BGColor" have one).
    EXPECT_EQ(5 + 5 + 35 + 6, count);
}

TEST_F(PropertyPanelTest, EachEditWritesItsWholeGroupOnceAndLosesNothing)
{
    ProjectProperty start = project->GetProperty();
    start.bgColor = Colour(1, 2, 3, 128);
    start.marginTop = 12.345678912345678;
    start.gridAutoX = false;
    project->SetProperty(start);
    Show();
    // Name, value, what is stored in the command line's text form.
    const std::tuple<const char*, wxVariant, const char*> rows[] = {
        {"BGColor", Variant(wxColour(9, 8, 7, 6)), "#09080706"},
        {"Grid.EnabledY", false, "false"},
        {"Grid.IntervalX", 2.5, "2.5"},
        {"Tick.LineLength", -5.0, "-5"},
        {"Tick.FormatY", "%.3e", "%.3e"},
        {"Tick.Font", Variant(wxFont(wxFontInfo(14).Bold().FaceName("DejaVu Serif"))),
         "14,bold,DejaVu Serif"},
        {"Legend.Position", 3L, "bottom left"},
    };
    for (const auto& [name, value, stored] : rows) {
        SCOPED_TRACE(name);
        const ProjectProperty before = project->GetProperty();
        ASSERT_TRUE(Edit(name, value));
        EXPECT_EQ(std::vector<uint32_t>{PROJ_PROPERTY}, Kinds());
        const ProjectProperty after = project->GetProperty();
        for (const ProjectPropertyField& field : ProjectPropertyFields())
            EXPECT_EQ(field.name == wxString(name) ? wxString(stored)
                                                   : GetPropertyAsText(before, field),
                      GetPropertyAsText(after, field))
                << field.name;
        // A font read back from the toolkit would gain the face name it picked.
        EXPECT_TRUE(before.axisFont == after.axisFont);
    }
    ASSERT_TRUE(Edit("PlotRange.MaxX", 2345678.912345));
    EXPECT_EQ(std::vector<uint32_t>{PROJ_PLOT_RANGE}, Kinds());
    EXPECT_EQ(2345678.912345, project->GetPlotRange().maxX);
    EXPECT_EQ("12.345678912345678", Text("Margin.Top"));
}

TEST_F(PropertyPanelTest, RefusedValuesChangeNothing)
{
    project->SetPlotRange(0, 10, 0, 1);
    project->Add(MakeSeries({1, 2}, {0, 1}, "s"));
    ProjectProperty start = project->GetProperty();
    start.gridAutoY = false;
    start.gridIntervalY = 0.5;
    project->SetProperty(start);
    Show();
    const wxString span = "The minimum must be less than the maximum, with a finite range between.";
    const wxString format = "Please input a format with one floating-point conversion, such as "
                            "%.2f.";
    // Name, value, the refusal (nullptr: accepted, and the next row refused).
    const std::tuple<const char*, wxVariant, const char*> rows[] = {
        {"Margin.Left", 250.0, "Please input a number from 0 to 200."},
        {"Frame.LineWidth", 0.05, "Please input a number from 0.1 to 5."},
        {"Tick.LineLength", 1000.0, "Please input a number from -200 to 200."},
        {"Tick.LineLength", NAN, "Please input a finite number."},
        {"Margin.Top", INFINITY, "Please input a finite number."},
        {"PlotRange.MinX", 10.0, span}, // equal bounds
        {"PlotRange.MinX", -INFINITY, "Please input a finite number."},
        {"PlotRange.MaxY", NAN, "Please input a finite number."},
        {"PlotRange.MinX", -1e308, nullptr}, // then the span overflows:
        {"PlotRange.MaxX", 1e308, span},
        {"Grid.IntervalY", 0.0, "Please input an interval greater than 0."},
        {"Tick.FormatX", "%s", format},
        {"Tick.FormatY", "%f%f", format},
    };
    for (const auto& [name, value, message] : rows) {
        SCOPED_TRACE(std::string(name) + " = " + value.MakeString().utf8_string());
        const wxString before = Text(name);
        if (!message) {
            EXPECT_TRUE(Edit(name, value));
            continue;
        }
        bool changed = true;
        wxTEST_DIALOG(changed = Edit(name, value), ExpectMessageBox(message, "Property Error"));
        EXPECT_FALSE(changed);
        EXPECT_EQ(before, Text(name));
        EXPECT_TRUE(recorder.updates.empty());
    }
    EXPECT_TRUE(start == project->GetProperty());
    EXPECT_EQ(-1e308, project->GetPlotRange().minX);
    EXPECT_EQ(10, project->GetPlotRange().maxX);

    Target(1);
    wxTEST_DIALOG(Edit("Curve.LineWidth", 50.0),
                  ExpectMessageBox("Please input a number from 0.1 to 5.", "Property Error"));
    EXPECT_EQ(1.0, project->GetItem(0)->GetLineStyle().width);
}

TEST_F(PropertyPanelTest, TypedTextPassesTheEditorValidatorAndKeepsEveryDigit)
{
    Show();
    Type("PlotRange.MaxX", "2345678.912345");
    EXPECT_EQ(2345678.912345, project->GetPlotRange().maxX);
    EXPECT_EQ("2345678.912345", Text("PlotRange.MaxX"));
    wxTEST_DIALOG(Type("Margin.Bottom", "250"), wxExpectModal<wxMessageDialog>(wxID_OK));
    EXPECT_EQ(50, project->GetProperty().marginBottom);
    EXPECT_FALSE(Type("Margin", "1; 2; 3; 4")); // group rows cannot be typed into
    EXPECT_EQ(10, project->GetProperty().marginTop);
}

// On a time axis X reads as ISO 8601 text, and ISO text (or seconds) typed in sets it.
TEST_F(PropertyPanelTest, TimeAxisRangesReadAndTakeIsoText)
{
    auto series = CreateGraphData(DataX{0.0, 0.5}, CreateGraphDataY());
    series->GetDataY()->raw.assign({1.0, 2.0, 3.0});
    series->SetTimeOrigin(1772719530000000000); // 2026-03-05T14:05:30
    project->Add(series);
    project->SetPlotRange(0.25, 1.0, 0.0, 4.0);
    Show();
    EXPECT_EQ("2026-03-05T14:05:30.250", Text("PlotRange.MinX"));
    EXPECT_EQ("2026-03-05T14:05:31", Text("PlotRange.MaxX"));
    EXPECT_EQ("2026-03-05T14:05:30", Text("DataRange.MinX"));
    EXPECT_EQ("4", Text("PlotRange.MaxY"));
    EXPECT_TRUE(Type("PlotRange.MaxX", "2026-03-05T14:06:00.5"));
    EXPECT_EQ(30.5, project->GetPlotRange().maxX);
    EXPECT_TRUE(Type("PlotRange.MinX", "10"));
    EXPECT_EQ(10, project->GetPlotRange().minX);
    EXPECT_EQ("2026-03-05T14:05:40", Text("PlotRange.MinX"));
}

// An automatic axis shows the interval in use, read-only, and the project keeps -1; an
// axis made manual starts from what it showed.
TEST_F(PropertyPanelTest, AutomaticGridIntervalRules)
{
    project->SetPlotRange(0, 50, 0, 1);
    Show();
    panel->SetIntervalsInUse(-1, 0.25); // as after a frame: no X lines, Y every 0.25
    EXPECT_EQ("", Text("Grid.IntervalX"));
    EXPECT_EQ("0.25", Text("Grid.IntervalY"));
    // The toggle, set to, the interval shown, enabled, stored.
    const std::tuple<const char*, bool, const char*, bool, double> rows[] = {
        {"Grid.AutoX", false, "5", true, 5},       // none in use: a tenth of the range
        {"Grid.AutoX", true, "", false, 5},        // the manual value is kept, not used
        {"Grid.AutoX", false, "5", true, 5},       // and comes back
        {"Grid.AutoY", false, "0.25", true, 0.25}, // the interval in use
        {"Grid.AutoY", true, "0.25", false, 0.25}, // in use until the next frame
    };
    for (const auto& [name, value, shown, enabled, stored] : rows) {
        SCOPED_TRACE(std::string(name) + (value ? " on" : " off"));
        ASSERT_TRUE(Edit(name, value));
        const wxString interval =
            wxString(name).Last() == 'X' ? "Grid.IntervalX" : "Grid.IntervalY";
        EXPECT_EQ(shown, Text(interval));
        EXPECT_EQ(enabled, grid->GetPropertyByName(interval)->IsEnabled());
        const ProjectProperty p = project->GetProperty();
        EXPECT_EQ(stored, interval.Last() == 'X' ? p.gridIntervalX : p.gridIntervalY);
        EXPECT_EQ(std::vector<uint32_t>{PROJ_PROPERTY}, Kinds());
    }
    panel->SetIntervalsInUse(2, 0.5);
    EXPECT_EQ("5", Text("Grid.IntervalX")); // manual: the user's value
    EXPECT_EQ("0.5", Text("Grid.IntervalY"));

    // Other edits of the group, and a rebuild, leave "automatic" stored as it was.
    ASSERT_TRUE(Edit("Grid.AutoX", true));
    ASSERT_TRUE(Edit("Grid.LineWidth", 2.0));
    project->SetPlotRange(0, 60, 0, 1);
    project->SetProperty([&] {
        ProjectProperty p = project->GetProperty();
        p.marginTop = 12; // rebuilds the grid
        return p;
    }());
    EXPECT_EQ("2", Text("Grid.IntervalX"));
    EXPECT_EQ("0.5", Text("Grid.IntervalY"));
    EXPECT_FALSE(grid->GetPropertyByName("Grid.IntervalY")->IsEnabled());
    const ProjectProperty p = project->GetProperty();
    EXPECT_EQ("5 0.25 2",
              wxString::Format("%g %g %g", p.gridIntervalX, p.gridIntervalY, p.gridLineWidth));
}

TEST_F(PropertyPanelTest, SeriesGridShowsAndWritesItsSeries)
{
    project->Add(MakeSeries({4, NAN, -3}, {100, -2}, "first"));
    project->Add(MakeSeries(std::vector<double>{}, {0, 3}, "empty"));
    Show();
    Target(1);
    EXPECT_EQ("first", Text("Label"));
    EXPECT_EQ("3", Text("Points"));
    EXPECT_FALSE(grid->GetPropertyByName("Points")->IsEnabled());
    EXPECT_EQ("96; 100; -3; 4", Text("DataRange"));
    EXPECT_EQ("1", Text("Curve.LineWidth"));

    ASSERT_TRUE(Edit("Curve.LineWidth", 2.5));
    EXPECT_EQ(std::vector<uint32_t>{PROJ_DATA | DATA_LINE << 8}, Kinds());
    ASSERT_TRUE(Edit("Curve.LineColor", Variant(wxColour(0, 128, 0, 200))));
    EXPECT_EQ(std::vector<uint32_t>{PROJ_DATA | DATA_LINE << 8}, Kinds());
    EXPECT_TRUE((LineStyle{2.5, Colour(0, 128, 0, 200)}) == project->GetItem(0)->GetLineStyle());

    // Renaming changes only the item's text: the grid, whose event this is, stays.
    wxPGProperty* label = grid->GetPropertyByName("Label");
    ASSERT_TRUE(Edit("Label", "renamed"));
    EXPECT_EQ(std::vector<uint32_t>{PROJ_DATA | DATA_LABEL << 8}, Kinds());
    EXPECT_EQ(std::vector<wxString>({"Project", "[01]renamed", "[02]empty"}), Items());
    EXPECT_EQ(1, combo->GetSelection());
    EXPECT_EQ("[01]renamed", combo->GetValue()); // the text on screen
    EXPECT_EQ(label, grid->GetPropertyByName("Label"));
    PumpPending();

    // No points: no range to show (not 1.8e19 from a count of -1).
    Target(2);
    EXPECT_EQ("0", Text("Points"));
    EXPECT_EQ("", Text("DataRange.MaxX"));
    EXPECT_EQ("", Text("DataRange.MinY"));
}

TEST_F(PropertyPanelTest, TargetListFollowsAddsRemovesAndRenames)
{
    Show();
    const auto add = [&](const char* label) { project->Add(MakeSeries({1}, {0, 1}, label)); };
    for (const char* label : {"A", "B", "Z"})
        add(label);
    EXPECT_EQ(std::vector<wxString>({"Project", "[01]A", "[02]B", "[03]Z"}), Items());
    EXPECT_EQ(0, combo->GetSelection());

    // Selected before, the change, the items after, the selection and the grid's label.
    using Items = std::vector<wxString>;
    const std::tuple<int, std::function<void()>, Items, int, const char*> rows[] = {
        {3, [&] { project->Remove(1); }, {"Project", "[01]A", "[02]Z"}, 2, "Z"},
        {2, [&] { add("C"); }, {"Project", "[01]A", "[02]Z", "[03]C"}, 2, "Z"},
        // The index stays: it now stands for the series formerly third.
        {2, [&] { project->Remove(0); }, {"Project", "[01]Z", "[02]C"}, 2, "C"},
        {1, [&] { project->GetItem(0)->SetLabel("Y"); }, {"Project", "[01]Y", "[02]C"}, 1, "Y"},
        {1, [&] { project->GetItem(1)->SetVisible(false); }, {"Project", "[01]Y", "[02]C"}, 1, "Y"},
    };
    for (const auto& [select, change, items, selection, label] : rows) {
        SCOPED_TRACE(label);
        Target(select);
        change();
        EXPECT_EQ(items, this->Items());
        EXPECT_EQ(selection, combo->GetSelection());
        EXPECT_EQ(items[selection], combo->GetValue());
        EXPECT_EQ(label, Text("Label"));
    }
}

TEST_F(PropertyPanelTest, RefreshesFollowTheKindOfChange)
{
    project->Add(MakeSeries({1, 2}, {0, 1}, "s"));
    Show();
    wxPGProperty* maxX = grid->GetPropertyByName("PlotRange.MaxX");
    // During a drag the range rows stay; the end of the drag shows the final range.
    project->BeginInterim();
    project->SetPlotRange(0, 7, 0, 1);
    project->SetPlotRange(0, 8, 0, 1);
    EXPECT_EQ("1", Text("PlotRange.MaxX"));
    project->EndInterim();
    EXPECT_EQ("8", Text("PlotRange.MaxX"));
    project->SetPlotRange(0, 9, 0, 1); // a wheel zoom: at once, in place
    EXPECT_EQ("9", Text("PlotRange.MaxX"));
    EXPECT_EQ(maxX, grid->GetPropertyByName("PlotRange.MaxX"));

    // The pane's own edit is not echoed back: the selection survives it.
    grid->SelectProperty("Margin.Top");
    ASSERT_TRUE(Edit("Margin.Top", 20.0));
    EXPECT_EQ("Margin.Top", grid->GetSelection()->GetName());
    // A change made elsewhere rebuilds the grid with the new value, the same row selected.
    ProjectProperty prop = project->GetProperty();
    prop.marginTop = 30;
    project->SetProperty(prop);
    EXPECT_EQ("30", Text("Margin.Top"));
    EXPECT_EQ("Margin.Top", grid->GetSelection()->GetName());

    Target(1);
    project->GetItem(0)->SetLineStyle({3, Colour(1, 2, 3)});
    EXPECT_EQ("3", Text("Curve.LineWidth"));
    project->SetPlotRange(0, 4, 0, 1); // the series grid has no range rows
    EXPECT_EQ("3", Text("Curve.LineWidth"));
}

TEST_F(PropertyPanelTest, HelpTextNamesTheSelectedProperty)
{
    project->Add(MakeSeries({1}, {0, 1}, "s"));
    Show();
    EXPECT_EQ("Margin.Top\n\nPlease input the top space between the graph frame and the "
              "display area.",
              Select("Margin.Top"));
    EXPECT_EQ("Plot\n\nPlease input the graph plotting properties.", Select("Plot"));
    Target(1);
    EXPECT_EQ("", panel->GetTextCtrlHelp()->GetValue()); // not the project's help
    EXPECT_EQ("DataRange\n\nDisplay the range of this graph  data.", Select("DataRange"));
    Target(0);
    const wxString pointSize = grid->GetPropertyByName("Tick.Font")->Item(0)->GetName();
    EXPECT_EQ(pointSize + "\n\n", Select(pointSize)); // a font's own field has no help

    // Looked up when shown, so a catalog loaded after start-up applies.
    InstallTranslationsFrom(ARDENTINE_BINARY_DIR "/locale", "ja");
    const wxString help = Select("Margin.Top");
    wxTranslations::Set(nullptr);
    EXPECT_EQ(wxString::FromUTF8("Margin.Top\n\nグラフ枠と表示領域の上の間隔を入力してください。"),
              help);
}

TEST_F(PropertyPanelTest, WithoutAProjectEverythingIsEmptyAndHandlersDoNothing)
{
    project->Add(MakeSeries({1}, {0, 1}, "s"));
    Show();
    Select("Margin.Top");
    panel->SetProject(nullptr);
    EXPECT_EQ(0u, combo->GetCount());
    EXPECT_EQ(nullptr, grid->GetPropertyByName("Margin.Top"));
    EXPECT_EQ("", panel->GetTextCtrlHelp()->GetValue());
    project->SetPlotRange(0, 5, 0, 5); // no longer observed
    project->Remove(0);
    EXPECT_EQ(0u, combo->GetCount());

    // Events arriving anyway change nothing.
    grid->Append(new wxStringProperty("Margin"));
    recorder.updates.clear();
    EXPECT_FALSE(grid->ChangePropertyValue("Margin", "x"));
    wxPropertyGridEvent event(wxEVT_PG_SELECTED, grid->GetId());
    event.SetPropertyGrid(grid);
    event.SetProperty(grid->GetPropertyByName("Margin"));
    grid->ProcessWindowEvent(event);
    event.SetEventType(wxEVT_PG_CHANGED);
    grid->ProcessWindowEvent(event);
    Target(0);
    EXPECT_TRUE(recorder.updates.empty());
    EXPECT_EQ("", panel->GetTextCtrlHelp()->GetValue());

    Show();
    EXPECT_EQ(std::vector<wxString>({"Project"}), Items());
    EXPECT_EQ("5", Text("PlotRange.MaxY"));
}

// A row near the bottom of a scrolled grid, edited by typing: the edit reaches that row's
// property, and neither the edit nor the rebuild after a project notification moves the
// grid or its selection (the rebuild used to jump to the top with nothing selected, so
// the next edit went to whatever row then lay under the pointer).
TEST_F(PropertyPanelTest, EditsAndRebuildsKeepTheScrollAndTheSelection)
{
    Show();
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
    EXPECT_EQ("Tick.FormatX at 0; %.1f %.2f; Tick.FormatX", state());

    const std::pair<const char*, std::function<void()>> rows[] = {
        {"a project notification",
         [&] {
             ProjectProperty p = project->GetProperty();
             p.marginTop = 12;
             project->SetProperty(p);
         }},
        {"a series added", [&] { project->Add(MakeSeries({1})); }},
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
