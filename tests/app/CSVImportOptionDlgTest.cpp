// The import options dialog, driven through its controls. The option checks and the
// preview's reading are the engine's tests; here, that the controls and the option agree.
#include <fstream>

#include "app/dialogs/CSVImportOptionDlg.h"
#include "csv/CSVImporter.h"
#include "csv/Preview.h"
#include "model/GraphProject.h"
#include "support/GuiTestSupport.h"

namespace {

DataSource Source(const char* label, int columnY, int columnX = 0)
{
    return DataSource{false, 0.0, 1.0, columnX, columnY, label};
}

const CSVImportOption ABC{0, 10, {Source("a", 1), Source("b", 2), Source("c", 3)}, {}};

class OptionDlgTest : public ::testing::Test
{
protected:
    void TearDown() override { delete dlg; }

    // A fresh dialog, as each import makes one.
    void Open(int rows, int columns, const CSVImportOption& option)
    {
        delete dlg;
        dlg = new CSVImportOptionDlg(nullptr);
        dlg->SetInfo(CSVFileInfo{"data.csv", columns, rows, {}});
        dlg->SetOption(option);
    }
    void Select(long row) { SelectRow(dlg->GetDataList(), row); }
    // "name|X data|Y data" of the list, "*" after the selected row, and a last row "option
    // differs: ..." when the option holds other entries than the list shows.
    Rows List() const
    {
        Rows shown, held;
        wxListCtrl* list = dlg->GetDataList();
        const auto& sources = dlg->GetOption().dataSources;
        for (long i = 0; i < list->GetItemCount(); ++i)
            shown.push_back((list->GetItemText(i, 0) + "|" + list->GetItemText(i, 1) + "|" +
                             list->GetItemText(i, 2) + (dlg->GetSelectedItem() == i ? "*" : ""))
                                .utf8_string());
        for (size_t i = 0; i < sources.size(); ++i) {
            const DataSource& s = sources[i];
            held.push_back(
                wxString::Format("%s|%s|Column %d%s", s.label,
                                 s.useDirectVal
                                     ? wxString::Format("S: %f, I: %f", s.xStart, s.xInterval)
                                     : wxString::Format("Column %d", s.columnX + 1),
                                 s.columnY + 1, dlg->GetSelectedItem() == long(i) ? "*" : "")
                    .utf8_string());
        }
        if (held != shown)
            shown.push_back("option differs: " + ::testing::PrintToString(held));
        return shown;
    }

    CSVImportOptionDlg* dlg = nullptr;
};

// Header rows stop at rows - 1 (data rows never show 1 for 0), data rows start at 1, and
// the option is what the spins show.
TEST_F(OptionDlgTest, RowSpinsKeepHeaderAndDataWithinTheRows)
{
    // Header and data rows before, the spin set (true: header) and to what, then after.
    const std::tuple<int, int, bool, int, int, int> rows[] = {
        {0, 10, true, 3, 3, 7},
        {0, 10, true, 12, 9, 1},
        {2, 5, false, 0, 2, 1},
        {3, 7, false, 10, 0, 10}}; // more data rows push the header rows down
    for (const auto& [header, data, setHeader, value, wantHeader, wantData] : rows) {
        SCOPED_TRACE(::testing::Message() << header << "/" << data << " set " << value);
        Open(10, 4, CSVImportOption{header, data, {Source("a", 1)}, {}});
        SpinTo(setHeader ? dlg->GetHeaderRowsSpin() : dlg->GetDataRowsSpin(), value);
        const CSVImportOption option = dlg->GetOption();
        EXPECT_EQ(std::tuple(wantHeader, wantData, wantHeader, wantData),
                  std::tuple(option.headerRows, option.dataRows,
                             dlg->GetHeaderRowsSpin()->GetValue(),
                             dlg->GetDataRowsSpin()->GetValue()));
    }
}

// Each entry keeps its columns (a new one reads X from column 1, Y from column 2).
TEST_F(OptionDlgTest, AddRemoveAndMoveActOnTheSelection)
{
    const std::string a = "a|Column 1|Column 2", b = "b|Column 1|Column 3",
                      c = "c|Column 1|Column 4", added = "Untitled|Column 1|Column 2";
    // The row selected (-1: none), the button, the list after.
    const std::tuple<long, wxString, Rows> rows[] = {
        {1, "Add", {a, b, added + "*", c}}, {-1, "Add", {a, b, c, added + "*"}},
        {2, "Remove", {a, b + "*"}},        {-1, "Remove", {a, b, c}}, // a warning
        {1, "Remove", {a, c + "*"}},        {0, "Move Up", {a + "*", b, c}},
        {1, "Move Down", {a, c, b + "*"}},  {-1, "Move Down", {a, b, c}},
    };
    for (const auto& [select, label, want] : rows) {
        SCOPED_TRACE(label + " " + std::to_string(select));
        Open(10, 4, ABC);
        if (select >= 0)
            Select(select);
        Expectations expected;
        if (select < 0 && label == "Remove")
            expected.push_back(Box("Please select a item", "Warning"));
        for (wxButton* button : {dlg->GetAddButton(), dlg->GetRemoveButton(),
                                 dlg->GetMoveUpButton(), dlg->GetMoveDownButton()})
            if (button->GetLabel() == label)
                RunWithDialogs([&] { Send(button); }, expected);
        EXPECT_EQ(want, List());
    }
}

// The editor follows the selection and writes into its entry; direct X fractions survive
// the floating-point spin controls exactly and the interval keeps its lower bound; columns
// beyond the file are stored as the spins show them.
TEST_F(OptionDlgTest, EditorShowsAndEditsTheSelectedEntry)
{
    Open(10, 3, CSVImportOption{0, 10, {Source("a", 5, 7), Source("b", 1)}, {}});
    const auto enabled = [this] {
        std::string state;
        for (wxWindow* w : std::initializer_list<wxWindow*>{
                 dlg->GetLabelText(), dlg->GetXDataColumnSpin(), dlg->GetXStartSpin(),
                 dlg->GetXIntervalSpin(), dlg->GetYDataColumnSpin(), dlg->GetUseDirectValCheck()})
            state += w->IsEnabled() ? "1" : "0";
        return state;
    };
    EXPECT_EQ("000000", enabled());
    Select(0);
    EXPECT_EQ("110011", enabled());
    EXPECT_EQ((Rows{"a|Column 3|Column 3*", "b|Column 1|Column 2"}), List());
    Select(1);
    EXPECT_EQ("b", dlg->GetLabelText()->GetValue());
    dlg->GetLabelText()->SetValue("volts"); // sends the text event, as typing does
    SpinTo(dlg->GetYDataColumnSpin(), 3);
    SpinTo(dlg->GetXDataColumnSpin(), 2);
    EXPECT_EQ("volts|Column 2|Column 3*", List()[1]);
    Send(dlg->GetUseDirectValCheck(), wxEVT_CHECKBOX, true);
    EXPECT_EQ("101111", enabled());
    // Start (true) or interval, typed, held.
    const std::tuple<bool, double, double> rows[] = {
        {true, 0.001, 0.001}, {true, 1700000000.123, 1700000000.123}, {false, 0.0, 1e-10}};
    for (const auto& [start, typed, want] : rows) {
        SCOPED_TRACE(typed);
        wxSpinCtrlDouble* spin = start ? dlg->GetXStartSpin() : dlg->GetXIntervalSpin();
        SpinTo(spin, typed);
        const DataSource& s = dlg->GetOption().dataSources[1];
        EXPECT_EQ(std::pair(want, want),
                  std::pair(start ? s.xStart : s.xInterval, spin->GetValue()));
    }
    EXPECT_EQ(2u, List().size());
    dlg->GetDataList()->SetItemState(1, 0, wxLIST_STATE_SELECTED);
    EXPECT_EQ("000000", enabled());

    // OK runs the option's whole check.
    dlg->SetOption(CSVImportOption{0, 10, {Source("a", 1), Source("b", 1, 4)}, {}});
    RunWithDialogs(
        [&] { Send(dlg->FindWindow(wxID_OK)); },
        InOrder(Box("The X data column of series 2 (\"b\") must lie between 1 and 3!", "Warning")));
}

// The format controls scan the file again: a semicolon file read with the detected
// separator and decimal comma, then a column made text, then the separator changed; the
// preview follows and marks the cells that will be gaps.
TEST_F(OptionDlgTest, FormatChangesRescanAndThePreviewFollows)
{
    const std::string path = wxFileName::CreateTempFileName("ardentine-format").utf8_string();
    std::ofstream(path, std::ios::binary) << "t;volt;note\n0;1,5;a\n1;x;b\n2;2,5;c\n";
    auto project = CreateGraphProject();
    CSVImporter importer(path, *project);
    ASSERT_EQ(ResultCode::SUCCESS, importer.ScanInfoInternal(nullptr));
    dlg = new CSVImportOptionDlg(nullptr);
    dlg->SetInfo(importer.GetInfo());
    dlg->SetOption(importer.GetOption());
    dlg->SetPreview(ReadPreviewRecords(path, CSVImportOptionDlg::PREVIEW_LINES, LineFormat()));
    dlg->SetReading(importer.Request(),
                    [&](const DialectRequest& request, CSVFileInfo& info, CSVImportOption& option) {
                        importer.Request() = request;
                        EXPECT_EQ(ResultCode::SUCCESS, importer.ScanInfoInternal(nullptr));
                        info = importer.GetInfo();
                        option = importer.GetOption();
                        return wxString();
                    });
    // The column types, then the cells of the preview's third row.
    const auto state = [&] {
        wxString text;
        for (long c = 0; c < dlg->GetColumnList()->GetItemCount(); ++c)
            text += dlg->GetColumnList()->GetItemText(c, 2) + "|";
        for (int c = 1; c < dlg->GetPreviewList()->GetColumnCount() - 1; ++c)
            text += "|" + dlg->GetPreviewList()->GetItemText(2, c);
        return text;
    };
    EXPECT_EQ("Semicolon 1", dlg->GetSeparatorChoice()->GetStringSelection() + " " +
                                 wxString::Format("%d", dlg->GetDecimalChoice()->GetSelection()));
    EXPECT_EQ("Number|Number|Text (skipped)||1|(gap) x|b", state());
    EXPECT_EQ((Rows{"volt|Column 1|Column 2"}), List());

    dlg->GetColumnList()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    dlg->GetColumnTypeChoice()->SetStringSelection("Text (skipped)");
    Send(dlg->GetColumnTypeChoice(), wxEVT_CHOICE);
    EXPECT_EQ("Number|Text (skipped)|Text (skipped)||1|x|b", state());

    dlg->GetSeparatorChoice()->SetStringSelection("Comma");
    Send(dlg->GetSeparatorChoice(), wxEVT_CHOICE);
    EXPECT_EQ(',', dlg->GetOption().dialect.separator);
    wxRemoveFile(path);
}

} // namespace
