// The CSV export: the options dialog's lists and rules, and the command from the dialog
// to the file, compared byte for byte with the command-line tool's export.
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <wx/dir.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/statusbr.h>

#include "app/MainFrame.h"
#include "app/commands/ExportCommand.h"
#include "app/commands/ExportFile.h"
#include "app/dialogs/CSVExportOptionDlg.h"
#include "app/dialogs/ProgressDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "csv/CSVImporter.h"
#include "model/GraphData.h"
#include "support/GuiTestSupport.h"

namespace {

using Rows = std::vector<std::string>;

std::shared_ptr<GraphData> MakeSeries(const char* label, size_t points, DataX x = {0, 1})
{
    auto dataY = CreateGraphDataY();
    for (size_t i = 0; i < points; ++i)
        dataY->raw.push_back(double(i) * 0.5 - 1.0);
    auto data = CreateGraphData(x, dataY);
    data->SetLabel(label);
    return data;
}

std::string ReadFile(const wxString& path)
{
    std::ifstream in(path.utf8_string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Rows of a list control, cells joined by "|".
Rows ListRows(const wxListCtrl* list)
{
    Rows rows;
    for (long r = 0; r < list->GetItemCount(); ++r) {
        wxString row;
        for (int c = 0; c < list->GetColumnCount(); ++c)
            row += (c ? "|" : "") + list->GetItemText(r, c);
        rows.push_back(row.utf8_string());
    }
    return rows;
}

void Select(wxListCtrl* list, long row)
{
    list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void Click(wxButton* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

void Toggle(wxCheckBox* box, bool value)
{
    box->SetValue(value);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(value);
    box->GetEventHandler()->ProcessEvent(event);
}

const wxString PUSH_WARNING = "X-data and the number of points, that will be pushed, should be "
                              "equal to the ones already appended!";
const wxString EMPTY_REFUSAL = "Exported data is empty! Push at least one series with \">>\".";

// a, b, c share X (0, 1) and 4 points; d has another interval, e another length.
class CSVExportOptionDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        project = CreateGraphProject();
        project->Add(MakeSeries("a", 4));
        project->Add(MakeSeries("b", 4));
        project->Add(MakeSeries("c", 4));
        project->Add(MakeSeries("d", 4, DataX{0, 0.5}));
        project->Add(MakeSeries("e", 5));
        dlg = new CSVExportOptionDlg(nullptr);
        dlg->SetProject(project.get());
        dlg->SetOption(CSVExporter::MakeDefaultOption(*project));
        dlg->UpdateCandidate();
        dlg->UpdateExportedItem();
        dlg->UpdateExportedItemHeader();
        dlg->UpdateOptionControls();
    }
    void TearDown() override { dlg->Destroy(); }

    Rows Exported() const { return ListRows(dlg->GetExportedList()); }
    void PopAll()
    {
        while (dlg->GetExportedList()->GetItemCount() > 0) {
            Select(dlg->GetExportedList(), 0);
            Click(dlg->GetPopButton());
        }
    }
    // Pushes candidate `row`; `warned` says whether the push warning must appear.
    void Push(long row, bool warned)
    {
        Select(dlg->GetCandidateList(), row);
        Expectations expected;
        if (warned)
            expected.push_back(
                std::make_unique<ExpectMessageBox>(PUSH_WARNING, "Warning", wxID_OK));
        RunWithDialogs([&] { Click(dlg->GetPushButton()); }, expected);
    }

    std::shared_ptr<GraphProject> project;
    CSVExportOptionDlg* dlg = nullptr;
};

TEST_F(CSVExportOptionDlgTest, DefaultListsEverySeriesAndTheOnesSharingTheFirstsAxis)
{
    EXPECT_EQ(dlg->GetTitle(), "CSV File Export Option");
    EXPECT_EQ(ListRows(dlg->GetCandidateList()),
              (Rows{"1|a|S: 0.000000, I: 1.000000|4", "2|b|S: 0.000000, I: 1.000000|4",
                    "3|c|S: 0.000000, I: 1.000000|4", "4|d|S: 0.000000, I: 0.500000|4",
                    "5|e|S: 0.000000, I: 1.000000|5"}));
    EXPECT_EQ(Exported(), (Rows{"1|a|a", "2|b|b", "3|c|c"}));
    EXPECT_FALSE(dlg->GetHeaderText()->IsEnabled());
    EXPECT_TRUE(dlg->GetExportHeaderBox()->GetValue());
    EXPECT_TRUE(dlg->GetExportXBox()->GetValue());
    EXPECT_EQ(dlg->GetXDataHeaderText()->GetValue(), "Time");
}

TEST_F(CSVExportOptionDlgTest, PushKeepsOneXAxis)
{
    const struct
    {
        const char* name;
        bool emptyFirst;
        long candidate;
        bool warned;
        Rows after;
    } rows[] = {
        {"another interval", false, 3, true, {"1|a|a", "2|b|b", "3|c|c"}},
        {"another length", false, 4, true, {"1|a|a", "2|b|b", "3|c|c"}},
        {"the same axis, pushed twice", false, 0, false, {"1|a|a", "2|b|b", "3|c|c", "1|a|a"}},
        {"into an empty list: any series", true, 3, false, {"4|d|d"}},
        {"then the first one sets the rule", true, 0, true, {"4|d|d"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.emptyFirst && !Exported().empty() && Exported().front() != "4|d|d")
            PopAll();
        Push(row.candidate, row.warned);
        EXPECT_EQ(Exported(), row.after);
        EXPECT_EQ(dlg->GetOption().exportedData.size(), row.after.size());
    }
}

TEST_F(CSVExportOptionDlgTest, PopMoveAndHeaderEditTheSelectedItem)
{
    wxListCtrl* list = dlg->GetExportedList();
    wxTextCtrl* header = dlg->GetHeaderText();
    header->SetValue("ignored"); // no item selected: changes nothing
    EXPECT_EQ(Exported(), (Rows{"1|a|a", "2|b|b", "3|c|c"}));

    Select(list, 1);
    EXPECT_TRUE(header->IsEnabled());
    EXPECT_EQ(header->GetValue(), "b");
    header->SetValue("Bee");
    EXPECT_EQ(Exported(), (Rows{"1|a|a", "2|b|Bee", "3|c|c"}));

    const struct
    {
        wxButton* button;
        Rows after;
        long selected;
    } steps[] = {
        {dlg->GetMoveUpButton(), {"2|b|Bee", "1|a|a", "3|c|c"}, 0},
        {dlg->GetMoveUpButton(), {"2|b|Bee", "1|a|a", "3|c|c"}, 0}, // already first
        {dlg->GetMoveDownButton(), {"1|a|a", "2|b|Bee", "3|c|c"}, 1},
        {dlg->GetMoveDownButton(), {"1|a|a", "3|c|c", "2|b|Bee"}, 2},
        {dlg->GetMoveDownButton(), {"1|a|a", "3|c|c", "2|b|Bee"}, 2}, // already last
        {dlg->GetPopButton(), {"1|a|a", "3|c|c"}, 1},                 // the new last
        {dlg->GetPopButton(), {"1|a|a"}, 0},
        {dlg->GetPopButton(), {}, -1},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        Click(steps[i].button);
        EXPECT_EQ(Exported(), steps[i].after);
        EXPECT_EQ(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), steps[i].selected);
        EXPECT_EQ(header->IsEnabled(), steps[i].selected >= 0);
    }
    const CSVExportOption option = dlg->GetOption();
    EXPECT_TRUE(option.exportedData.empty());
}

TEST_F(CSVExportOptionDlgTest, OptionsFollowTheControls)
{
    Toggle(dlg->GetExportXBox(), false);
    EXPECT_FALSE(dlg->GetXDataHeaderText()->IsEnabled());
    Toggle(dlg->GetExportXBox(), true);
    EXPECT_TRUE(dlg->GetXDataHeaderText()->IsEnabled());
    Toggle(dlg->GetExportHeaderBox(), false);
    dlg->GetXDataHeaderText()->SetValue("t [s]");
    const CSVExportOption option = dlg->GetOption();
    EXPECT_TRUE(option.exportX);
    EXPECT_FALSE(option.exportHeader);
    EXPECT_EQ(option.xDataHeader, "t [s]");
}

TEST_F(CSVExportOptionDlgTest, OkRefusesAnEmptyExport)
{
    EXPECT_TRUE(dlg->TransferDataFromWindow());
    PopAll();
    bool accepted = true;
    wxTEST_DIALOG(accepted = dlg->TransferDataFromWindow(),
                  ExpectMessageBox(EMPTY_REFUSAL, "Warning", wxID_OK));
    EXPECT_FALSE(accepted);
}

// The command on a project imported from a file, as the command-line tool imports it.
class ExportCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = wxFileName::CreateTempFileName("ardentine-export");
        wxRemoveFile(dir);
        wxFileName::Mkdir(dir);
        data = Path("data.csv");
        std::ofstream(data.utf8_string())
            << "time,a,b,c\n0,1,150,-0.00125\n0.1,2.5,1e-7,3\n0.2,-4,0,1e300\n0.3,7,8,9\n";
        frame = new MainFrame(nullptr);
        CSVImporter importer(data, *frame->GetProject());
        ASSERT_TRUE(importer.ScanInfo(nullptr).IsSuccess());
        ASSERT_TRUE(importer.Import(nullptr).IsSuccess());
        LastExportFolder().clear();
        frame->SetStatusMessage(""); // results are compared with this
    }
    void TearDown() override
    {
        delete frame;
        wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
    }

    wxString Path(const wxString& name) const { return wxFileName(dir, name).GetFullPath(); }
    wxString Status() const { return frame->GetStatusBar()->GetStatusText(0); }
    // What the command-line tool writes for the same file and arguments.
    std::string CliExport(const std::string& args) const
    {
        const wxString out = Path("cli.out");
        const std::string command = std::string("'") + ARDENTINE_CLI + "' export '" +
                                    data.utf8_string() + "' -o '" + out.utf8_string() + "' " +
                                    args + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return ReadFile(out);
    }
    // Runs the command; the progress dialog really runs, the others are answered.
    void Run(Expectations expected)
    {
        RealModalScope allow;
        RunWithDialogs([&] { RunExportCommand(*frame); }, expected);
    }

    wxString dir;
    wxString data;
    MainFrame* frame = nullptr;
};

std::unique_ptr<wxModalExpectation> Options(std::function<int(CSVExportOptionDlg*)> act)
{
    return std::make_unique<ExpectDialog<CSVExportOptionDlg>>(std::move(act));
}
std::unique_ptr<wxModalExpectation> OptionsOk()
{
    return Options([](CSVExportOptionDlg*) { return wxID_OK; });
}
// The save dialog: the typed path with the filter chosen; checks the folder it opened in.
std::unique_ptr<wxModalExpectation> SaveAs(const wxString& path, int filter = 0,
                                           const wxString& opensIn = wxString(),
                                           int answer = wxID_OK)
{
    return std::make_unique<ExpectDialog<wxFileDialog>>([=](wxFileDialog* dlg) {
        EXPECT_EQ(dlg->GetMessage(), "Export");
        EXPECT_EQ(dlg->GetWildcard(), "CSV files (*.csv)|*.csv|TXT files (*.txt)|*.txt");
        EXPECT_TRUE(dlg->HasFlag(wxFD_OVERWRITE_PROMPT));
        if (!opensIn.empty()) {
            EXPECT_EQ(dlg->GetDirectory(), opensIn);
        }
        dlg->SetFilterIndex(filter);
        dlg->SetPath(path);
        return answer;
    });
}
std::unique_ptr<wxModalExpectation> Separator(wxChar separator, int answer = wxID_OK)
{
    return std::make_unique<ExpectDialog<SeparatorSettingDlg>>([=](SeparatorSettingDlg* dlg) {
        EXPECT_EQ(dlg->GetSeparator(), ',');
        dlg->SetSeparator(separator);
        return answer;
    });
}
std::unique_ptr<wxModalExpectation> Progress()
{
    return std::make_unique<ExpectDialog<ProgressDlg>>(
        [](ProgressDlg*) { return RUN_MODAL_FOR_REAL; });
}
std::unique_ptr<wxModalExpectation> Box(const wxString& text, const wxString& caption,
                                        int answer = wxID_OK)
{
    return std::make_unique<ExpectMessageBox>(text, caption, answer);
}

TEST_F(ExportCommandTest, WritesTheSameBytesAsTheCommandLineTool)
{
    const struct
    {
        const char* name;
        const char* cliArgs;
        int filter;
        wxChar separator; // 0: no separator dialog
        std::function<int(CSVExportOptionDlg*)> edit;
    } rows[] = {
        {"out.csv", "", 0, 0, [](CSVExportOptionDlg*) { return wxID_OK; }},
        {"out.txt", "--out-sep tab", 0, '\t', [](CSVExportOptionDlg*) { return wxID_OK; }},
        {"typed", "--out-sep semicolon", 1, ';', [](CSVExportOptionDlg*) { return wxID_OK; }},
        {"chosen.csv", "--series 3,1 --no-x --no-header", 0, 0,
         [](CSVExportOptionDlg* dlg) {
             Select(dlg->GetExportedList(), 1);
             Click(dlg->GetPopButton());    // a, c with c selected
             Click(dlg->GetMoveUpButton()); // c, a
             Toggle(dlg->GetExportXBox(), false);
             Toggle(dlg->GetExportHeaderBox(), false);
             return wxID_OK;
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The first dialog opens where the program chooses, later ones in this folder.
        Expectations expected =
            InOrder(Options(row.edit), SaveAs(Path(row.name), row.filter, LastExportFolder()));
        if (row.separator)
            expected.push_back(Separator(row.separator));
        expected.push_back(Progress());
        Run(std::move(expected));
        EXPECT_EQ(Status(), "Exporting is completed!");
        const wxString written =
            wxFileName(row.name).HasExt() ? Path(row.name) : Path(row.name) + ".txt";
        EXPECT_EQ(ReadFile(written), CliExport(row.cliArgs));
        EXPECT_EQ(LastExportFolder(), dir);
        frame->SetStatusMessage("");
    }
}

TEST_F(ExportCommandTest, CancelAnywhereWritesNothing)
{
    const wxString existing = Path("old.csv");
    std::ofstream(existing.utf8_string()) << "old";
    const struct
    {
        const char* name;
        std::function<Expectations()> dialogs;
    } rows[] = {
        {"options",
         [] { return InOrder(Options([](CSVExportOptionDlg*) { return wxID_CANCEL; })); }},
        {"file", [&] { return InOrder(OptionsOk(), SaveAs(Path("x.csv"), 0, "", wxID_CANCEL)); }},
        {"separator",
         [&] { return InOrder(OptionsOk(), SaveAs(Path("x.txt")), Separator('\t', wxID_CANCEL)); }},
        {"replacing a file the name was completed to",
         [&] {
             return InOrder(OptionsOk(), SaveAs(Path("old"), 0),
                            Box(wxString::Format(
                                    "\"%s\" already exists.\nDo you want to replace it?", existing),
                                "Export", wxID_NO));
         }},
        {"the empty list refused, then the dialog",
         [] {
             return InOrder(Options([](CSVExportOptionDlg* dlg) {
                                while (dlg->GetExportedList()->GetItemCount() > 0) {
                                    Select(dlg->GetExportedList(), 0);
                                    Click(dlg->GetPopButton());
                                }
                                return dlg->TransferDataFromWindow() ? wxID_OK : wxID_CANCEL;
                            }),
                            Box(EMPTY_REFUSAL, "Warning"));
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Run(row.dialogs());
        wxArrayString files;
        wxDir::GetAllFiles(dir, &files, wxEmptyString, wxDIR_FILES);
        EXPECT_EQ(files.size(), 2u); // data.csv and old.csv
        EXPECT_EQ(ReadFile(existing), "old");
        EXPECT_EQ(Status(), "");
    }
}

TEST_F(ExportCommandTest, FailureShowsTheExportersMessage)
{
    const wxString folder = Path("folder.csv");
    wxFileName::Mkdir(folder);
    Run(InOrder(OptionsOk(), SaveAs(folder), Progress(),
                Box(wxString::Format("Can't create \"%s\"!", folder), "Error")));
    EXPECT_TRUE(wxDirExists(folder));
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(LastExportFolder(), ""); // only a written file moves the next dialog
}

} // namespace
