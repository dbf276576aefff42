// The import options dialog, driven through its controls.
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
    void SetUp() override { dlg = new CSVImportOptionDlg(nullptr); }
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
    // "name|X data|Y data", with "*" after the selected row.
    Rows List() const
    {
        Rows rows;
        wxListCtrl* list = dlg->GetDataList();
        for (long i = 0; i < list->GetItemCount(); ++i)
            rows.push_back((list->GetItemText(i, 0) + "|" + list->GetItemText(i, 1) + "|" +
                            list->GetItemText(i, 2) + (dlg->GetSelectedItem() == i ? "*" : ""))
                               .utf8_string());
        return rows;
    }
    // The entries as the option holds them, in the list's cell texts.
    Rows OptionRows() const
    {
        Rows rows;
        const auto& sources = dlg->GetOption().dataSources;
        for (size_t i = 0; i < sources.size(); ++i) {
            const DataSource& s = sources[i];
            const wxString x =
                s.useDirectVal ? "direct" : wxString::Format("Column %d", s.columnX + 1);
            rows.push_back(wxString::Format("%s|%s|Column %d%s", s.label, x, s.columnY + 1,
                                            dlg->GetSelectedItem() == long(i) ? "*" : "")
                               .utf8_string());
        }
        return rows;
    }

    CSVImportOptionDlg* dlg = nullptr;
};

TEST_F(OptionDlgTest, RowSpinsKeepHeaderAndDataWithinTheRows)
{
    // Header and data rows before, the spin the user sets (true: header) and to what, then
    // header and data rows after.
    const std::tuple<int, int, bool, int, int, int> rows[] = {
        {0, 10, true, 3, 3, 7},  {3, 7, false, 10, 0, 10},
        {0, 10, true, 12, 9, 1}, // header rows stop at rows - 1: data rows never show 1 for 0
        {2, 5, false, 0, 2, 1},  // data rows start at 1
        {0, 10, false, 4, 0, 4},
    };
    for (const auto& [header, data, setHeader, value, wantHeader, wantData] : rows) {
        SCOPED_TRACE(::testing::Message() << header << "/" << data << " set " << value);
        Open(10, 4, CSVImportOption{header, data, {Source("a", 1)}, {}});
        SpinTo(setHeader ? dlg->GetHeaderRowsSpin() : dlg->GetDataRowsSpin(), value);
        const CSVImportOption option = dlg->GetOption(); // as the spins show it
        EXPECT_EQ(std::tuple(wantHeader, wantData, wantHeader, wantData),
                  std::tuple(option.headerRows, option.dataRows,
                             dlg->GetHeaderRowsSpin()->GetValue(),
                             dlg->GetDataRowsSpin()->GetValue()));
    }
}

// Each entry keeps its columns (a new one reads X from column 1, Y from column 2); "*" marks
// the selected one. The list shows what the option holds.
TEST_F(OptionDlgTest, AddRemoveAndMoveActOnTheSelection)
{
    const std::string a = "a|Column 1|Column 2", b = "b|Column 1|Column 3",
                      c = "c|Column 1|Column 4", added = "Untitled|Column 1|Column 2";
    // The row selected (-1: none), the button, the list after.
    const std::tuple<long, wxString, Rows> rows[] = {
        {1, "Add", {a, b, added + "*", c}}, {-1, "Add", {a, b, c, added + "*"}},
        {1, "Remove", {a, c + "*"}},        {2, "Remove", {a, b + "*"}},
        {-1, "Remove", {a, b, c}}, // a warning, nothing removed
        {0, "Move Up", {a + "*", b, c}},    {2, "Move Down", {a, b, c + "*"}},
        {1, "Move Up", {b + "*", a, c}},    {1, "Move Down", {a, c, b + "*"}},
        {-1, "Move Down", {a, b, c}},
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
        EXPECT_EQ(want, OptionRows());
    }
}

TEST_F(OptionDlgTest, EditorShowsAndEditsTheSelectedEntry)
{
    Open(10, 4, ABC);
    auto enabled = [this] {
        std::string state;
        for (wxWindow* w : std::initializer_list<wxWindow*>{
                 dlg->GetLabelText(), dlg->GetXDataColumnSpin(), dlg->GetXStartSpin(),
                 dlg->GetXIntervalSpin(), dlg->GetYDataColumnSpin(), dlg->GetUseDirectValCheck()})
            state += w->IsEnabled() ? "1" : "0";
        return state;
    };
    EXPECT_EQ("000000", enabled());

    Select(1);
    EXPECT_EQ("110011", enabled());
    EXPECT_EQ("b", dlg->GetLabelText()->GetValue());
    EXPECT_EQ(3, dlg->GetYDataColumnSpin()->GetValue());

    dlg->GetLabelText()->SetValue("volts"); // sends the text event, as typing does
    SpinTo(dlg->GetYDataColumnSpin(), 4);
    SpinTo(dlg->GetXDataColumnSpin(), 2);
    EXPECT_EQ("volts|Column 2|Column 4*", List()[1]);

    Send(dlg->GetUseDirectValCheck(), wxEVT_CHECKBOX, true);
    EXPECT_EQ("volts|S: 0.000000, I: 1.000000|Column 4*", List()[1]);
    EXPECT_EQ("101111", enabled());

    Select(0); // the editor follows the selection
    EXPECT_EQ("a", dlg->GetLabelText()->GetValue());
    EXPECT_EQ("110011", enabled());
    dlg->GetDataList()->SetItemState(0, 0, wxLIST_STATE_SELECTED);
    EXPECT_EQ("000000", enabled());
}

// Fractions survive the floating-point spin controls exactly, and the interval keeps its
// lower bound: what the option holds is what the control shows.
TEST_F(OptionDlgTest, DirectXValuesKeepTheirFractions)
{
    // Start (true) or interval, typed, held.
    const std::tuple<bool, double, double> rows[] = {
        {true, 0.001, 0.001}, {true, -2.5, -2.5},    {true, 1700000000.123, 1700000000.123},
        {false, 0.5, 0.5},    {false, 0.001, 0.001}, {false, 1e-10, 1e-10},
        {false, 0.0, 1e-10},  {false, -3.0, 1e-10},
    };
    Open(10, 4, ABC);
    Select(0);
    Send(dlg->GetUseDirectValCheck(), wxEVT_CHECKBOX, true);
    for (const auto& [start, typed, want] : rows) {
        SCOPED_TRACE(::testing::Message() << (start ? "start " : "interval ") << typed);
        wxSpinCtrlDouble* spin = start ? dlg->GetXStartSpin() : dlg->GetXIntervalSpin();
        SpinTo(spin, typed);
        const DataSource& s = dlg->GetOption().dataSources[0];
        EXPECT_EQ(want, start ? s.xStart : s.xInterval);
        EXPECT_EQ(want, spin->GetValue());
    }
}

TEST_F(OptionDlgTest, OptionIsStoredAsTheControlsShowIt)
{
    // Columns beyond a three-column file: the selected entry takes what its spin shows.
    Open(10, 3, CSVImportOption{0, 10, {Source("a", 5, 7), Source("b", 6)}, {}});
    Select(0);
    EXPECT_EQ((Rows{"a|Column 3|Column 3*", "b|Column 1|Column 7"}), OptionRows());
}

TEST_F(OptionDlgTest, OkIsRefusedForAnOptionThatCannotBeImported)
{
    // Name, columns of the file, the option, the refusal (empty: accepted).
    const std::tuple<const char*, int, CSVImportOption, const char*> rows[] = {
        {"as scanned", 4, ABC, ""},
        {"empty list", 4, CSVImportOption{0, 10, {}, {}},
         "There is no data series to import. Please add one."},
        {"X column beyond", 4, CSVImportOption{0, 10, {Source("a", 1), Source("b", 1, 4)}, {}},
         "The X data column of series 2 (\"b\") must lie between 1 and 4!"},
    };
    for (const auto& [name, columns, option, message] : rows) {
        SCOPED_TRACE(name);
        dlg->SetInfo(CSVFileInfo{"data.csv", columns, 10, {}});
        dlg->SetOption(option);
        if (*message) { // through the OK button
            wxTEST_DIALOG(Send(dlg->FindWindow(wxID_OK)),
                          ExpectMessageBox(message, "Warning", wxID_OK));
        } else {
            EXPECT_TRUE(dlg->TransferDataFromWindow());
        }
    }
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
    auto cells = [&](long row) {
        wxListCtrl* preview = dlg->GetPreviewList();
        wxString text;
        for (int c = 1; c < preview->GetColumnCount() - 1; ++c)
            text += preview->GetItemText(row, c) + "|";
        return text;
    };
    auto types = [&] {
        wxString text;
        for (long c = 0; c < dlg->GetColumnList()->GetItemCount(); ++c)
            text += dlg->GetColumnList()->GetItemText(c, 2) + "|";
        return text;
    };
    EXPECT_EQ("Semicolon", dlg->GetSeparatorChoice()->GetStringSelection());
    EXPECT_EQ(1, dlg->GetDecimalChoice()->GetSelection());
    EXPECT_EQ("Number|Number|Text (skipped)|", types());
    EXPECT_EQ((Rows{"volt|Column 1|Column 2"}), List());
    EXPECT_EQ("t|volt|note|", cells(0));
    EXPECT_EQ("1|(gap) x|b|", cells(2));

    dlg->GetColumnList()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    dlg->GetColumnTypeChoice()->SetStringSelection("Text (skipped)");
    Send(dlg->GetColumnTypeChoice(), wxEVT_CHOICE);
    EXPECT_EQ("Number|Text (skipped)|Text (skipped)|", types());
    EXPECT_EQ("1|x|b|", cells(2));

    dlg->GetSeparatorChoice()->SetStringSelection("Comma");
    Send(dlg->GetSeparatorChoice(), wxEVT_CHOICE);
    EXPECT_EQ(',', dlg->GetOption().dialect.separator);
    EXPECT_EQ(ResultCode::SUCCESS, importer.ScanInfoInternal(nullptr));
    wxRemoveFile(path);
}

} // namespace
