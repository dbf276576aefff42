// The import command and the other ways a file gets in: the command line, a drop on the
// window and File > Recent Files. Progress dialogs run for real; the others are answered.
// What a file imports as is the engine's tests; here, that the dialogs' answers reach it.
#include <cmath>

#include <wx/ffile.h>
#include <wx/menu.h>
#include <wx/uiaction.h>

#include "app/Application.h"
#include "app/Settings.h"
#include "app/commands/ImportCommand.h"
#include "app/dialogs/CSVImportOptionDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "csv/ColumnCache.h"
#include "support/GuiTestSupport.h"

namespace {

// The options dialog: `edit` acts on it, then OK, accepted only when the dialog accepts it.
std::unique_ptr<wxModalExpectation> Options(std::function<void(CSVImportOptionDlg*)> edit = {})
{
    return Dialog<CSVImportOptionDlg>([edit](CSVImportOptionDlg* dlg) {
        if (edit)
            edit(dlg);
        return dlg->TransferDataFromWindow() ? wxID_OK : wxID_CANCEL;
    });
}

std::unique_ptr<wxModalExpectation> Separator(int index)
{
    return Dialog<SeparatorSettingDlg>([index](SeparatorSettingDlg* dlg) {
        dlg->GetComboBox()->SetSelection(index);
        Send(dlg->GetComboBox(), wxEVT_COMBOBOX);
        return wxID_OK;
    });
}

class ImportCommandTest : public CommandTest
{
protected:
    void RunImport(const Expectations& expected)
    {
        RunWithDialogs([&] { RunImportCommand(*frame); }, expected);
    }
    // No series, not modified, the range as it was, no recent file and no success.
    void ExpectUntouched(const wxString& range)
    {
        EXPECT_EQ("0 0 " + range + " 0",
                  wxString::Format("%d %d %s %zu", Project().GetCount(), frame->IsModified(),
                                   Range(), frame->GetRecentFiles().GetCount()));
        EXPECT_NE("Importing is completed!", Status());
    }
    // Focuses the graph pane and types `key` through the X server.
    void Key(int key, int modifiers = wxMOD_NONE)
    {
        frame->Raise();
        frame->GetGraphPanel()->GraphWindow()->SetFocus();
        PumpPending();
        wxUIActionSimulator().Char(key, modifiers);
    }
    // Appends to the file as a logger does.
    static void Append(const wxString& path, const std::string& text)
    {
        wxFFile(path, "ab").Write(text.data(), text.size());
    }
};

const char* const ABC = "time,a,b\n0,1,2\n1,3,4\n2,5,9\n";

// The first import fits the view, a later one keeps it; what the dialogs say reaches the
// series: the separator of a "txt" file, direct X fractions exactly.
TEST_F(ImportCommandTest, ImportsAsTheDialogsSayAndFitsOnlyAnEmptyProject)
{
    const wxString path = Write("abc.csv", ABC);
    RunImport(InOrder(File(path), Options([&](CSVImportOptionDlg* dlg) {
                          const wxListCtrl* preview = dlg->GetPreviewList();
                          EXPECT_EQ(
                              path + " 4 3 5x4", // lines, columns, preview cells
                              wxString::Format("%s %s %s %dx%d", dlg->GetFileNameText()->GetValue(),
                                               dlg->GetRowsText()->GetValue(),
                                               dlg->GetColumnsText()->GetValue(),
                                               preview->GetColumnCount(), preview->GetItemCount()));
                      })));
    EXPECT_EQ((Rows{"a 0+1: 1 3 5", "b 0+1: 2 4 9"}), Series());
    EXPECT_EQ("0 2 1 9", Range());
    EXPECT_EQ("Importing is completed!", Status());
    EXPECT_TRUE(frame->IsModified());

    Project().SetPlotRange(-5, 5, -6, 6);
    const wxString tabs = Write("data.txt", "t\tv\n0\t1.5\n1\t2.5\n");
    RunImport(InOrder(Dialog<wxFileDialog>([&](wxFileDialog* dlg) {
                          EXPECT_EQ(dir, dlg->GetDirectory()); // where the last import was
                          dlg->SetPath(tabs);
                          return wxID_OK;
                      }),
                      Separator(0), Options([](CSVImportOptionDlg* dlg) {
                          CSVImportOption option = dlg->GetOption();
                          option.dataSources[0] = DataSource{true, 0.001, 0.5, 0, 1, "v"};
                          dlg->SetOption(option);
                      })));
    ASSERT_EQ(3, Project().GetCount());
    EXPECT_EQ("v 0.001+0.5: 1.5 2.5", Series()[2]);
    EXPECT_EQ((DataX{0.001, 0.5}), Project().GetItem(2)->GetDataX()); // exactly, through OK
    EXPECT_EQ("-5 5 -6 6", Range());
}

// Cancel at any dialog, the two progress dialogs included, or a failure (the importer's
// message in a box) ends the command with the project, its range and its modified flag as
// they were.
TEST_F(ImportCommandTest, CancelOrFailureAtEachStepLeavesTheProjectUntouched)
{
    const wxString txt = Write("data.txt", ABC);
    const wxString range = Range();
    enum
    {
        FILE_DIALOG,
        SEPARATOR,
        SCAN,
        OPTIONS,
        IMPORT
    }; // SCAN, IMPORT: progress dialogs
    for (int stop : {FILE_DIALOG, SEPARATOR, SCAN, OPTIONS, IMPORT}) {
        SCOPED_TRACE(stop);
        CancelProgress cancel(stop == SCAN ? 1 : stop == IMPORT ? 2 : 0);
        Expectations expected = InOrder(File(txt, stop == FILE_DIALOG ? wxID_CANCEL : wxID_OK));
        if (stop > FILE_DIALOG)
            expected.push_back(stop == SEPARATOR ? Answer<SeparatorSettingDlg>(wxID_CANCEL)
                                                 : Separator(2));
        if (stop > SCAN)
            expected.push_back(stop == OPTIONS ? Answer<CSVImportOptionDlg>(wxID_CANCEL)
                                               : Options());
        RunImport(expected);
        ExpectUntouched(range);
    }
    // The file, its content, whether it fails after the options dialog, the message.
    const std::tuple<const char*, std::string, bool, const char*> rows[] = {
        {"down.csv", "0,3\n1,2\n2,1\n", true,
         "Column 2 goes down at line 2, so it can't be the X of a series!"},
        {"empty.csv", "", false, "\"%s\" has no data lines to import!"},
    };
    for (const auto& [name, content, options, message] : rows) {
        SCOPED_TRACE(name);
        const wxString path = Write(name, content);
        Expectations expected = InOrder(File(path));
        if (options) // the X of the series becomes column 2, which goes down
            expected.push_back(Options([](CSVImportOptionDlg* dlg) {
                SelectRow(dlg->GetDataList(), 0);
                SpinTo(dlg->GetXDataColumnSpin(), 2);
            }));
        expected.push_back(Box(wxString::Format(message, path)));
        RunImport(expected);
        ExpectUntouched(range);
    }
}

// Files named on the command line (with the default option), dropped files (with the
// options dialog) and a recent file import one after another; a failing one does not stop
// the next, and a vanished recent file stays in the list.
TEST_F(ImportCommandTest, StartDropAndRecentImportEachFileInTurn)
{
    const wxString a = Write("a.csv", ABC), b = Write("b.txt", "t;c\n0;1\n1;2\n");
    const wxString missing = Path("missing.csv");
    const auto cantOpen = [](const wxString& p) { return Box("Can't open \"" + p + "\"!"); };
    const auto atStart = [&](std::vector<wxString> files, wxChar separator) {
        return [=] {
            ImportFilesAtStart(*frame, wxArrayString(files.size(), files.data()), separator);
        };
    };
    const auto drop = [&](std::vector<wxString> files) {
        return [=] {
            auto* target = dynamic_cast<wxFileDropTarget*>(frame->GetDropTarget());
            ASSERT_TRUE(target);
            EXPECT_TRUE(target->OnDropFiles(10, 10, wxArrayString(files.size(), files.data())));
        };
    };
    const auto recent = [&] { Menu(wxID_FILE1); };
    const Rows all = {"a 0+1: 1 3 5", "b 0+1: 2 4 9", "c 0+1: 1 2"}, c = {"c 0+1: 1 2"};
    // How they arrive, the dialogs, the series and the range (fitted to the first file).
    const std::tuple<const char*, std::function<void()>, std::function<Expectations()>, Rows,
                     const char*>
        rows[] = {
            {"command line", atStart({a, missing, b}, 0),
             [&] { return InOrder(cantOpen(missing), Separator(1)); }, all, "0 2 1 9"},
            {"command line --sep", atStart({b, missing}, ';'),
             [&] { return InOrder(cantOpen(missing)); }, c, "0 1 1 2"},
            {"drop", drop({a, b}), [&] { return InOrder(Options(), Separator(1), Options()); }, all,
             "0 2 1 9"},
            {"recent", recent, [&] { return InOrder(Separator(1), Options()); }, c, "0 1 1 2"},
            {"recent, vanished", recent, [&] { return InOrder(cantOpen(b)); }, {}, nullptr},
        };
    for (const auto& [name, start, dialogs, series, range] : rows) {
        SCOPED_TRACE(name);
        frame->ResetProject();
        if (!range)
            wxRemoveFile(b);
        RunWithDialogs(
            [&, &start = start, count = int(series.size())] {
                start();
                PumpUntil([&] { return Project().GetCount() >= count; });
            },
            dialogs());
        EXPECT_EQ(series, Series());
        EXPECT_TRUE(!range || range == Range());
        EXPECT_EQ(b, frame->GetRecentFiles().GetHistoryFile(0));
    }
    EXPECT_TRUE(frame->GetMenuBar()->FindItem(wxID_FILE1)->GetItemLabelText().Contains("b.txt"));
    for (int i = 0; i < 12; ++i)
        frame->GetRecentFiles().Remember(wxString::Format("/data/%d.csv", i),
                                         *Application::GetInstance().GetConfig());
    EXPECT_EQ(size_t(RecentFiles::MAX_FILES), frame->GetRecentFiles().GetCount());
}

// The dialog names the split it found, and its check box reaches the import: turned off,
// recordings stacked with a key open as one series (the split itself is the engine's).
TEST_F(ImportCommandTest, StackedRecordingsOpenAsOneSeriesWithTheSplitTurnedOff)
{
    std::string stacked = "symbol,date,price\n";
    for (const char* key : {"MSFT", "AMZN", "IBM"})
        for (int m = 1; m <= 9; ++m)
            stacked += wxString::Format("%s,2000-%02d-01,%d\n", key, m, m).utf8_string();
    RunImport(InOrder(File(Write("stocks.csv", stacked)), Options([](CSVImportOptionDlg* dlg) {
                          EXPECT_EQ("One series per value of column 1 (symbol) 1",
                                    wxString::Format("%s %d", dlg->GetSplitCheck()->GetLabel(),
                                                     dlg->GetSplitCheck()->GetValue()));
                          Send(dlg->GetSplitCheck(), wxEVT_CHECKBOX, 0);
                      })));
    ASSERT_EQ(1, Project().GetCount());
    EXPECT_EQ("price", Project().GetItem(0)->GetLabel());
}

// Through the X server: Ctrl+I, the file, OK opens a logger's file and draws its series,
// seen in a screenshot of the screen. With Follow on, lines it appends reach the picture
// and the view moves with them; with it off, F5 reads them, keeping the view where the
// user put it, and End brings the newest points back.
TEST_F(ImportCommandTest, CtrlIOpensAGrowingFileThatFollowAndReloadKeepReading)
{
    int n = 0;
    const auto lines = [&](int count) {
        std::string text;
        for (int k = 0; k < count; ++k, ++n)
            text += wxString::Format("%d,%g\n", n, std::sin(n / 10.0)).utf8_string();
        return text;
    };
    const wxString path = Write("logger.csv", "t,v\n" + lines(200));
    ShowNewFrame();
    RunWithDialogs(
        [&] {
            Key('I', wxMOD_CONTROL);
            EXPECT_TRUE(PumpUntil([&] { return Project().GetCount() > 0; }));
        },
        InOrder(File(path), Options()));
    ASSERT_EQ(1, Project().GetCount());
    const auto series = Project().GetItem(0);
    GraphPanel* panel = frame->GetGraphPanel();
    ASSERT_TRUE(PumpUntil([&] { return panel->IsRendered(); }));
    PumpPending();
    const wxString shot = Path("shot.png"); // series blue inside the frame, on the screen
    ASSERT_EQ(0, wxExecute("import -window root " + shot, wxEXEC_SYNC | wxEXEC_NODISABLE));
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxImage image(shot, wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(image.IsOk());
    const auto area = panel->GetRenderInfo().plotArea;
    const wxPoint at =
        panel->GraphWindow()->GetScreenPosition() + wxPoint(int(area.left), int(area.top));
    int blue = 0;
    for (int y = at.y; y < at.y + int(area.height); ++y)
        for (int x = at.x; x < at.x + int(area.width); ++x)
            blue += image.GetBlue(x, y) > 200 && image.GetRed(x, y) < 80;
    EXPECT_GT(blue, 100);

    frame->SetFollowing(true);
    const PlotRange before = Project().GetPlotRange();
    Append(path, lines(100)); // (half lines are the reload's own tests)
    EXPECT_TRUE(PumpUntil([&] { return series->GetCount() == 300 && panel->IsRendered(); }));
    const PlotRange moved = Project().GetPlotRange();
    EXPECT_DOUBLE_EQ(before.maxX - before.minX, moved.maxX - moved.minX); // same width
    EXPECT_GT(moved.maxX, before.maxX + 90);

    frame->SetFollowing(false);
    Project().SetPlotRange(10, 20, -1, 1); // the user looks elsewhere
    Append(path, lines(50));
    Key(WXK_F5);
    EXPECT_TRUE(PumpUntil([&] { return series->GetCount() == 350; }));
    EXPECT_EQ("10 20 -1 1", Range());
    EXPECT_EQ(wxString::Format("%g", std::sin(34.9)),
              wxString::Format("%g", series->GetDataY()->raw[349]));
    Key(WXK_END);
    EXPECT_TRUE(PumpUntil([&] { return Range() == "339 349 -1 1"; })) << Range();

    // A series not read from the file (as the calculator makes them) stays as it is, and
    // the status bar says so; Fit Y While Following takes in the newest point.
    Project().Add(CreateGraphData(DataX{0.0, 1.0}, series->GetDataY()));
    frame->SetFollowing(true);
    Append(path, lines(10));
    EXPECT_TRUE(PumpUntil([&] {
        return Status() == "Following: 10 new points. Calculated series are not calculated again.";
    })) << Status();
    frame->SetFollowFitY(true);
    Append(path, wxString::Format("%d,40\n", n++).utf8_string());
    EXPECT_TRUE(PumpUntil([&] { return Project().GetPlotRange().maxY == 40; })) << Range();
    frame->SetFollowing(false);
}

// Counts the progress dialogs that start.
struct CountProgress : wxEventFilter
{
    CountProgress() { wxEvtHandler::AddFilter(this); }
    ~CountProgress() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override
    {
        count += event.GetEventType() == wxEVT_INIT_DIALOG &&
                 dynamic_cast<ProgressDlg*>(event.GetEventObject());
        return Event_Skip;
    }
    int count = 0;
};

// A file opened again as it was comes from the column cache, without a scan or a progress
// dialog, the same as read. Files named on the command line that the cache holds are read
// from it while the window is made and go in before ImportFilesAtStart returns, so its
// first picture shows them; the first one it does not hold, and all after it, wait for the
// event loop as before. Data > Clear the Column Cache empties it.
TEST_F(ImportCommandTest, ReopenAndStartFilesComeFromTheColumnCache)
{
    std::string content = "t,a,b\n";
    for (int i = 0; i < 50000; ++i)
        content += wxString::Format("%d,%g,%d\n", i, std::sin(i / 100.0), i % 13).utf8_string();
    const wxString a = Write("again.csv", content), c = Write("start-c.csv", "t,c\n0,1\n1,2\n"),
                   d = Write("start-d.csv", "t,d\n0,1\n1,2\n");
    ColumnCache& cache = Application::GetInstance().GetColumnCache();
    cache.Clear(); // what the other tests left
    CountProgress progress;
    Import(a);
    const int read = progress.count; // the scan, the import and its pyramids
    EXPECT_GT(read, 0);
    cache.WaitForWrites();
    const Rows fromA = Series();
    frame->ResetProject();
    Import(a);
    EXPECT_EQ(read, progress.count);
    EXPECT_EQ(fromA, Series());

    const int resolution = ReadSetting(frame->GetConfig(), SETTING_MIPMAP_RESOLUTION);
    // The files, the series there before the event loop runs, all series after it.
    const std::tuple<std::vector<wxString>, size_t, size_t> rows[] = {
        {{a, c}, 2, 3}, // c is not in the cache: read once the loop runs
        {{d, a}, 0, 3}, // d neither: nothing goes before it
    };
    for (const auto& [files, before, after] : rows) {
        SCOPED_TRACE(files[0]);
        frame->ResetProject();
        const wxArrayString names(files.size(), files.data());
        PrefetchFilesAtStart(names, 0, cache, resolution);
        RunWithDialogs(
            [&] {
                ImportFilesAtStart(*frame, names, 0);
                EXPECT_EQ(before, size_t(Project().GetCount()));
                PumpUntil([&] { return size_t(Project().GetCount()) >= after; });
            },
            {});
        const Rows now = Series();
        ASSERT_EQ(after, now.size());
        EXPECT_EQ(fromA, Rows(now.begin() + (files[0] == a ? 0 : 1),
                              now.begin() + (files[0] == a ? 2 : 3)));
    }
    cache.WaitForWrites();
    Menu(ID_MENU_CLEAR_CACHE);
    EXPECT_FALSE(wxFileName::FileExists(cache.FileFor(a.utf8_string())));
    EXPECT_TRUE(Status().Matches("The column cache is cleared: * removed.")) << Status();
}
} // namespace
