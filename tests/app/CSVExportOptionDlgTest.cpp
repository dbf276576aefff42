#include "app/dialogs/CSVExportOptionDlg.h"
#include "support/ModelTestUtil.h"
#include "support/GuiTestSupport.h"

namespace {

// a, b, c share X (0, 1) and 4 points; d has another interval, e another length.
class CSVExportOptionDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (auto [label, x, points] :
             {std::tuple{"a", 1.0, 4}, {"b", 1.0, 4}, {"c", 1.0, 4}, {"d", 0.5, 4}, {"e", 1.0, 5}})
            project->Add(MakeSeries(std::vector<double>(points, 1.0), DataX{0, x}, label));
        dlg->SetProject(project.get());
        dlg->SetOption(CSVExporter::MakeDefaultOption(*project));
    }
    void TearDown() override { dlg->Destroy(); }

    Rows Exported() const { return ListRows(dlg->GetExportedList()); }

    std::shared_ptr<GraphProject> project = CreateGraphProject();
    CSVExportOptionDlg* dlg = new CSVExportOptionDlg(nullptr);
};

// The default holds the series sharing the first's axis; the X header entry is enabled
// exactly with "Export X data".
TEST_F(CSVExportOptionDlgTest, DefaultHoldsTheSeriesSharingTheFirstsAxis)
{
    EXPECT_EQ(ListRows(dlg->GetCandidateList())[3], "4|d|S: 0.000000, I: 0.500000|4");
    EXPECT_EQ(Exported(), (Rows{"1|a|a", "2|b|b", "3|c|c"}));
    for (bool exportX : {false, true}) {
        Send(dlg->GetExportXBox(), wxEVT_CHECKBOX, exportX);
        EXPECT_EQ(exportX, dlg->GetXDataHeaderText()->IsEnabled());
    }
    Send(dlg->GetExportHeaderBox(), wxEVT_CHECKBOX, false);
    dlg->GetXDataHeaderText()->SetValue("t [s]");
    const CSVExportOption option = dlg->GetOption();
    EXPECT_EQ(std::make_tuple(option.exportX, option.exportHeader, option.xDataHeader),
              std::make_tuple(true, false, wxString("t [s]")));
}

// The rows run in turn; the list starts as the default.
TEST_F(CSVExportOptionDlgTest, PushKeepsOneXAxis)
{
    const Rows abc = {"1|a|a", "2|b|b", "3|c|c"};
    const std::tuple<const char*, long, bool, Rows> rows[] = {
        {"another interval", 3, true, abc},
        {"another length", 4, true, abc},
        {"the same axis, twice", 0, false, {"1|a|a", "2|b|b", "3|c|c", "1|a|a"}},
        {"into an empty list: any series", 3, false, {"4|d|d"}},
        {"then that one sets the rule", 0, true, {"4|d|d"}},
    };
    for (const auto& [name, candidate, warned, after] : rows) {
        SCOPED_TRACE(name);
        if (after.size() == 1) // start from an empty list
            while (!Exported().empty() && Exported()[0] != "4|d|d") {
                SelectRow(dlg->GetExportedList(), 0);
                Send(dlg->GetPopButton());
            }
        SelectRow(dlg->GetCandidateList(), candidate);
        RunWithDialogs([&] { Send(dlg->GetPushButton()); },
                       warned ? InOrder(Box("X-data and the number of points, that will be "
                                            "pushed, should be equal to the ones already "
                                            "appended!",
                                            "Warning"))
                              : Expectations{});
        EXPECT_EQ(Exported(), after);
        EXPECT_EQ(dlg->GetOption().exportedData.size(), after.size());
    }
}

TEST_F(CSVExportOptionDlgTest, PopMoveAndHeaderActOnTheSelectedItemUntilNoneIsLeft)
{
    wxListCtrl* list = dlg->GetExportedList();
    wxTextCtrl* header = dlg->GetHeaderText();
    header->SetValue("ignored"); // no item selected: changes nothing
    SelectRow(list, 1);
    EXPECT_EQ(header->GetValue(), "b");
    header->SetValue("Bee");
    wxButton *up = dlg->GetMoveUpButton(), *down = dlg->GetMoveDownButton(),
             *pop = dlg->GetPopButton();
    const std::tuple<wxButton*, Rows, long> steps[] = {
        {up, {"2|b|Bee", "1|a|a", "3|c|c"}, 0},
        {up, {"2|b|Bee", "1|a|a", "3|c|c"}, 0},
        {down, {"1|a|a", "2|b|Bee", "3|c|c"}, 1},
        {down, {"1|a|a", "3|c|c", "2|b|Bee"}, 2},
        {down, {"1|a|a", "3|c|c", "2|b|Bee"}, 2}, // already last
        {pop, {"1|a|a", "3|c|c"}, 1},             // the new last: "<<" pops on
        {pop, {"1|a|a"}, 0},
        {pop, {}, -1},
    };
    for (const auto& [button, after, selected] : steps) {
        SCOPED_TRACE(::testing::Message() << button->GetLabel() << " " << after.size());
        Send(button);
        EXPECT_EQ(Exported(), after);
        EXPECT_EQ(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), selected);
        EXPECT_EQ(header->IsEnabled(), selected >= 0);
    }
}

} // namespace
