// The import command and the other ways a file gets in: the command line, a drop on the
// window and File > Recent Files. The progress dialog runs for real; the other dialogs
// are answered by the test.
#include <wx/cmdline.h>
#include <wx/config.h>
#include <wx/dir.h>
#include <wx/evtloop.h>
#include <wx/eventfilter.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/MainFrame.h"
#include "app/commands/ImportCommand.h"
#include "app/dialogs/CSVImportOptionDlg.h"
#include "app/dialogs/ProgressDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "support/GuiTestSupport.h"

namespace {

using Rows = std::vector<std::string>;

// The options dialog's OK: accepted only when the dialog itself accepts it.
int PressOk(CSVImportOptionDlg* dlg)
{
    return dlg->TransferDataFromWindow() ? wxID_OK : wxID_CANCEL;
}

ExpectDialog<CSVImportOptionDlg> OptionsOk()
{
    return ExpectDialog<CSVImportOptionDlg>(PressOk);
}

ExpectDialog<SeparatorSettingDlg> SeparatorChosen(int index)
{
    return ExpectDialog<SeparatorSettingDlg>([index](SeparatorSettingDlg* dlg) {
        dlg->GetComboBox()->SetSelection(index);
        Send(dlg->GetComboBox(), wxEVT_COMBOBOX);
        return wxID_OK;
    });
}

ExpectMessageBox ErrorBox(const wxString& text)
{
    return ExpectMessageBox(text, "Error", wxID_OK);
}

// Presses Cancel in the progress dialog of the `run`-th long operation (1: the scan,
// 2: the import) right after its worker has started, so that the worker stops at its
// first look at the Cancel button.
class CancelProgressRun : public wxEventFilter
{
public:
    explicit CancelProgressRun(int run) : m_run(run) { wxEvtHandler::AddFilter(this); }
    ~CancelProgressRun() override { wxEvtHandler::RemoveFilter(this); }

    int FilterEvent(wxEvent& event) override
    {
        auto* dlg = dynamic_cast<ProgressDlg*>(event.GetEventObject());
        if (m_inside || !dlg || event.GetEventType() != wxEVT_INIT_DIALOG || --m_run != 0)
            return Event_Skip;
        m_inside = true;
        dlg->GetEventHandler()->ProcessEvent(event); // starts the worker
        dlg->Close();                                // the worker stops at its first poll
        // Closed before its modal loop runs, the dialog's end is lost: leave the loop
        // as soon as it runs.
        dlg->CallAfter([] { wxEventLoopBase::GetActive()->Exit(); });
        m_inside = false;
        return Event_Processed;
    }

private:
    int m_run;
    bool m_inside = false;
};

class ImportCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = wxFileName::CreateTempFileName("ardentine-import");
        wxRemoveFile(dir);
        wxFileName::Mkdir(dir);
        frame = new MainFrame(nullptr);
    }
    void TearDown() override
    {
        delete frame;
        Application::GetInstance().GetConfig()->DeleteGroup("/RecentFiles");
        wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
    }

    wxString Write(const wxString& name, const std::string& content) const
    {
        const wxString path = dir + "/" + name;
        std::ofstream(path.utf8_string(), std::ios::binary) << content;
        return path;
    }
    // Runs a command with the progress dialog allowed to run for real.
    template <class F> static void Run(F f)
    {
        RealProgressScope allow;
        f();
    }
    void Import()
    {
        Run([&] { RunImportCommand(*frame); });
    }

    // "label start+interval: values" for each series.
    Rows Series() const
    {
        Rows rows;
        const auto project = frame->GetProject();
        for (int i = 0; i < project->GetCount(); ++i) {
            const auto data = project->GetItem(i);
            wxString row = wxString::Format("%s %g+%g:", data->GetLabel(), data->GetDataX().start,
                                            data->GetDataX().interval);
            for (double v : data->GetDataY()->raw)
                row += wxString::Format(" %g", v);
            rows.push_back(row.utf8_string());
        }
        return rows;
    }
    wxString Range() const { return RangeText(*frame->GetProject()); }
    wxString Status() const { return frame->GetStatusBar()->GetStatusText(0); }
    void ExpectUntouched(const wxString& range)
    {
        EXPECT_EQ(0, frame->GetProject()->GetCount());
        EXPECT_FALSE(frame->IsModified());
        EXPECT_EQ(range, Range());
        EXPECT_NE("Importing is completed!", Status());
        EXPECT_EQ(0u, frame->GetRecentFiles().GetCount());
    }

    wxString dir;
    MainFrame* frame = nullptr;
};

const char* const ABC = "time,a,b\n0,1,2\n1,3,4\n2,5,9\n";

TEST_F(ImportCommandTest, ImportFitsAnEmptyProjectAndKeepsTheRangeOfAFullOne)
{
    const wxString path = Write("abc.csv", ABC);
    wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(path),
                  ExpectDialog<CSVImportOptionDlg>([&](CSVImportOptionDlg* dlg) {
                      EXPECT_EQ(path, dlg->GetFileNameText()->GetValue());
                      EXPECT_EQ("4", dlg->GetRowsText()->GetValue());
                      EXPECT_EQ("3", dlg->GetColumnsText()->GetValue());
                      EXPECT_EQ(3, dlg->GetPreviewList()->GetColumnCount());
                      EXPECT_EQ(4, dlg->GetPreviewList()->GetItemCount());
                      return PressOk(dlg);
                  }));
    EXPECT_EQ((Rows{"a 0+1: 1 3 5", "b 0+1: 2 4 9"}), Series());
    EXPECT_EQ("0 2 1 9", Range());
    EXPECT_EQ("Importing is completed!", Status());
    EXPECT_TRUE(frame->IsModified());

    frame->GetProject()->SetPlotRange(-5, 5, -6, 6);
    wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(path), OptionsOk());
    EXPECT_EQ(4, frame->GetProject()->GetCount());
    EXPECT_EQ("-5 5 -6 6", Range());

    // The next file dialog opens where the last import was.
    wxTEST_DIALOG(Import(), ExpectDialog<wxFileDialog>([&](wxFileDialog* dlg) {
                      EXPECT_EQ(dir, dlg->GetDirectory());
                      return wxID_CANCEL;
                  }));
}

TEST_F(ImportCommandTest, TxtAsksForTheSeparatorUpperCaseTxtUsesCommas)
{
    const wxString tabs = Write("data.txt", "t\tv\n0\t1.5\n1\t2.5\n");
    wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(tabs), SeparatorChosen(0), OptionsOk());
    const wxString commas = Write("data.TXT", "t,w\n0,7\n1,8\n");
    wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(commas), OptionsOk());
    EXPECT_EQ((Rows{"v 0+1: 1.5 2.5", "w 0+1: 7 8"}), Series());
}

TEST_F(ImportCommandTest, DirectXFractionsReachTheSeriesExactly)
{
    const wxString path = Write("abc.csv", ABC);
    wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(path),
                  ExpectDialog<CSVImportOptionDlg>([](CSVImportOptionDlg* dlg) {
                      dlg->GetDataList()->SetItemState(0, wxLIST_STATE_SELECTED,
                                                       wxLIST_STATE_SELECTED);
                      Send(dlg->GetUseDirectValCheck(), wxEVT_CHECKBOX, true);
                      for (auto [spin, value] : {std::pair(dlg->GetXStartSpin(), 0.001),
                                                 std::pair(dlg->GetXIntervalSpin(), 0.5)}) {
                          spin->SetValue(value);
                          wxSpinDoubleEvent e(wxEVT_SPINCTRLDOUBLE, spin->GetId(), value);
                          spin->ProcessWindowEvent(e);
                      }
                      return PressOk(dlg);
                  }));
    ASSERT_EQ(2, frame->GetProject()->GetCount());
    const DataX x = frame->GetProject()->GetItem(0)->GetDataX();
    EXPECT_EQ(0.001, x.start);
    EXPECT_EQ(0.5, x.interval);
}

// Cancel at any of the four dialogs ends the command silently with the project, its
// range and its modified flag as they were.
TEST_F(ImportCommandTest, CancelAtEachDialogLeavesTheProjectUntouched)
{
    const wxString txt = Write("data.txt", ABC);
    const wxString range = Range();

    wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(txt, wxID_CANCEL));
    ExpectUntouched(range);
    wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(txt),
                  wxExpectDismissableModal<SeparatorSettingDlg>(wxID_CANCEL));
    ExpectUntouched(range);
    wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(txt), SeparatorChosen(2),
                  wxExpectDismissableModal<CSVImportOptionDlg>(wxID_CANCEL));
    ExpectUntouched(range);
    {
        CancelProgressRun cancel(1);
        wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(txt), SeparatorChosen(2));
    }
    ExpectUntouched(range);
    {
        CancelProgressRun cancel(2);
        wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(txt), SeparatorChosen(2), OptionsOk());
    }
    ExpectUntouched(range);
}

TEST_F(ImportCommandTest, FailuresShowTheImportersMessageAndChangeNothing)
{
    const struct
    {
        const char* name;
        std::string content;
        bool options; // the failure comes after the options dialog
        const char* message;
    } rows[] = {
        {"long.csv", "1,2\n" + std::string(1023, '1') + "\n", false,
         "The length of the line in CSV file is too much at %s:2!"},
        {"uneven.csv", "0,1\n1,2\n5,3\n", true, "Column 1 is not arithmetic progression!"},
        {"words.csv", "x,y\nno,data\n", false, "\"%s\" has no data lines to import!"},
        {"empty.csv", "", false, "\"%s\" has no data lines to import!"},
    };
    const wxString range = Range();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const wxString path = Write(r.name, r.content);
        const wxString message = wxString::Format(r.message, path);
        if (r.options) {
            wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(path), OptionsOk(),
                          ErrorBox(message));
        } else {
            wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(path), ErrorBox(message));
        }
        ExpectUntouched(range);
    }
}

TEST_F(ImportCommandTest, CommandLineFilesImportOneAfterAnotherWithoutOptions)
{
    const wxString a = Write("a.csv", ABC);
    const wxString missing = dir + "/missing.csv";
    const wxString txt = Write("b.txt", "t;c\n0;1\n1;2\n");
    auto run = [&](std::vector<wxString> names, wxChar separator, int series) {
        Run([&] {
            ImportFilesAtStart(*frame, wxArrayString(names.size(), names.data()), separator);
            PumpUntil([&] { return frame->GetProject()->GetCount() >= series; });
        });
    };
    // The ".txt" file asks for its separator; a failing file does not stop the next.
    wxTEST_DIALOG(run({a, missing, txt}, 0, 3),
                  ErrorBox(wxString::Format("Can't open \"%s\"!", missing)), SeparatorChosen(1));
    EXPECT_EQ((Rows{"a 0+1: 1 3 5", "b 0+1: 2 4 9", "c 0+1: 1 2"}), Series());
    EXPECT_EQ("0 2 1 9", Range()); // fitted after the first file only

    frame->ResetProject();
    wxTEST_DIALOG(run({txt, missing}, ';', 1),
                  ErrorBox(wxString::Format("Can't open \"%s\"!", missing)));
    EXPECT_EQ((Rows{"c 0+1: 1 2"}), Series());
}

TEST(CommandLine, FilesSeparatorAndRefusedOptions)
{
    const wxString cwd = wxGetCwd();
    const struct
    {
        std::vector<const char*> args;
        bool accepted;
        Rows files;
        wxChar separator;
    } rows[] = {
        {{}, true, {}, 0},
        {{"a.csv", "/data/b.txt"}, true, {(cwd + "/a.csv").utf8_string(), "/data/b.txt"}, 0},
        {{"--sep", "tab", "x.txt"}, true, {(cwd + "/x.txt").utf8_string()}, '\t'},
        {{"--sep=space", "/x"}, true, {"/x"}, ' '},
        {{"--sep", "pipe", "/x"}, false, {}, 0},
        {{"--unknown"}, false, {}, 0},
    };
    Application& app = Application::GetInstance();
    for (const auto& r : rows) {
        std::vector<const char*> argv{"ardentine"};
        argv.insert(argv.end(), r.args.begin(), r.args.end());
        SCOPED_TRACE(argv.size() > 1 ? argv[1] : "none");
        wxCmdLineParser parser(int(argv.size()), const_cast<char**>(argv.data()));
        app.OnInitCmdLine(parser);
        wxLogNull quiet;
        const bool accepted = parser.Parse(false) == 0 && app.OnCmdLineParsed(parser);
        EXPECT_EQ(r.accepted, accepted);
        if (!accepted)
            continue;
        Rows files;
        for (const wxString& f : app.GetStartFiles())
            files.push_back(f.utf8_string());
        EXPECT_EQ(r.files, files);
        EXPECT_EQ(r.separator, app.GetStartSeparator());
    }
}

TEST_F(ImportCommandTest, DroppedFilesImportWithTheOptionsDialog)
{
    const wxString a = Write("a.csv", ABC);
    const wxString b = Write("b.csv", "t,c\n0,1\n1,2\n");
    auto* target = dynamic_cast<wxFileDropTarget*>(frame->GetDropTarget());
    ASSERT_TRUE(target);
    wxArrayString files;
    files.push_back(a);
    files.push_back(b);
    auto drop = [&] {
        Run([&] {
            EXPECT_TRUE(target->OnDropFiles(10, 10, files));
            PumpUntil([&] { return frame->GetProject()->GetCount() >= 3; });
        });
    };
    wxTEST_DIALOG(drop(), OptionsOk(), OptionsOk());
    EXPECT_EQ((Rows{"a 0+1: 1 3 5", "b 0+1: 2 4 9", "c 0+1: 1 2"}), Series());
}

TEST_F(ImportCommandTest, RecentFilesReimportAndKeepAMissingOne)
{
    const wxString path = Write("abc.csv", ABC);
    wxTEST_DIALOG(Import(), wxExpectModal<wxFileDialog>(path), OptionsOk());
    RecentFiles& recent = frame->GetRecentFiles();
    ASSERT_EQ(1u, recent.GetCount());
    EXPECT_EQ(path, recent.GetHistoryFile(0));
    EXPECT_EQ(path, Application::GetInstance().GetConfig()->Read("/RecentFiles/file1"));
    wxMenuItem* item = frame->GetMenuBar()->FindItem(wxID_FILE1);
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->GetItemLabelText().Contains("abc.csv"));

    frame->ResetProject();
    wxCommandEvent choose(wxEVT_MENU, wxID_FILE1);
    wxTEST_DIALOG(Run([&] { frame->ProcessWindowEvent(choose); }), OptionsOk());
    EXPECT_EQ(2, frame->GetProject()->GetCount());

    frame->ResetProject();
    wxRemoveFile(path);
    wxTEST_DIALOG(Run([&] { frame->ProcessWindowEvent(choose); }),
                  ErrorBox(wxString::Format("Can't open \"%s\"!", path)));
    EXPECT_EQ(0, frame->GetProject()->GetCount());
    EXPECT_EQ(1u, recent.GetCount());

    for (int i = 0; i < 12; ++i)
        recent.Remember(wxString::Format("/data/%d.csv", i),
                        *Application::GetInstance().GetConfig());
    EXPECT_EQ(size_t(RecentFiles::MAX_FILES), recent.GetCount());
    EXPECT_EQ("/data/11.csv", recent.GetHistoryFile(0));
}

} // namespace
