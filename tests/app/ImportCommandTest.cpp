// The import command and the other ways a file gets in: the command line, a drop on the
// window and File > Recent Files. Progress dialogs run for real; the others are answered.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <wx/cmdline.h>
#include <wx/config.h>
#include <wx/ffile.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/uiaction.h>

#include "app/Application.h"
#include "app/commands/ImportCommand.h"
#include "app/dialogs/CSVImportOptionDlg.h"
#include "app/dialogs/ProgressDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "csv/ColumnCache.h"
#include "app/panes/GraphPanel.h"
#include "render/TimeTicks.h"
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
    void Import(const Expectations& expected)
    {
        RunWithDialogs([&] { RunImportCommand(*frame); }, expected);
    }
    void ExpectUntouched(const wxString& range)
    {
        EXPECT_EQ(0, Project().GetCount());
        EXPECT_FALSE(frame->IsModified());
        EXPECT_EQ(range, Range());
        EXPECT_NE("Importing is completed!", Status());
        EXPECT_EQ(0u, frame->GetRecentFiles().GetCount());
    }
};

const char* const ABC = "time,a,b\n0,1,2\n1,3,4\n2,5,9\n";

// The first import fits the view, a later one keeps it; what the dialogs say reaches the
// series: the separator of a "txt" file, direct X fractions exactly.
TEST_F(ImportCommandTest, ImportsAsTheDialogsSayAndFitsOnlyAnEmptyProject)
{
    const wxString path = Write("abc.csv", ABC);
    Import(InOrder(File(path), Options([&](CSVImportOptionDlg* dlg) {
                       const wxListCtrl* preview = dlg->GetPreviewList();
                       EXPECT_EQ(
                           path + " 4 3 5x4", // line number, three columns, the text
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
    Import(InOrder(Dialog<wxFileDialog>([&](wxFileDialog* dlg) {
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
    EXPECT_EQ((DataX{0.001, 0.5}), Project().GetItem(2)->GetDataX());
    EXPECT_EQ("-5 5 -6 6", Range());
}

// Cancel at any dialog, the two progress dialogs included, ends the command silently with
// the project, its range and its modified flag as they were.
TEST_F(ImportCommandTest, CancelAtEachDialogLeavesTheProjectUntouched)
{
    const wxString txt = Write("data.txt", ABC);
    const wxString range = Range();
    enum
    {
        FILE_DIALOG,
        SEPARATOR,
        SCAN, // the first progress dialog
        OPTIONS,
        IMPORT, // the second one
    };
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
        Import(expected);
        ExpectUntouched(range);
    }
}

TEST_F(ImportCommandTest, FailuresShowTheImportersMessageAndChangeNothing)
{
    // The file, its content, whether the failure comes after the options dialog, the message.
    const std::tuple<const char*, std::string, bool, const char*> rows[] = {
        {"down.csv", "0,3\n1,2\n2,1\n", true,
         "Column 2 goes down at line 2, so it can't be the X of a series!"},
        {"words.csv", "x,y\nno,data\n", false, "\"%s\" has no data lines to import!"},
        {"empty.csv", "", false, "\"%s\" has no data lines to import!"},
    };
    const wxString range = Range();
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
        Import(expected);
        ExpectUntouched(range);
    }
}

// Files named on the command line (with the default option) and dropped files (with the
// options dialog) import one after another; a failing one does not stop the next.
TEST_F(ImportCommandTest, StartAndDropImportEachFileInTurn)
{
    const wxString a = Write("a.csv", ABC), b = Write("b.txt", "t;c\n0;1\n1;2\n");
    const wxString missing = Path("missing.csv");
    const wxString cantOpen = wxString::Format("Can't open \"%s\"!", missing);
    auto atStart = [&](std::vector<wxString> files, wxChar separator) {
        return [=] {
            ImportFilesAtStart(*frame, wxArrayString(files.size(), files.data()), separator);
        };
    };
    auto drop = [&](std::vector<wxString> files) {
        return [=] {
            auto* target = dynamic_cast<wxFileDropTarget*>(frame->GetDropTarget());
            ASSERT_TRUE(target);
            EXPECT_TRUE(target->OnDropFiles(10, 10, wxArrayString(files.size(), files.data())));
        };
    };
    const Rows all = {"a 0+1: 1 3 5", "b 0+1: 2 4 9", "c 0+1: 1 2"};
    // How they arrive, the dialogs, the series and the range (fitted to the first file).
    const std::tuple<const char*, std::function<void()>, std::function<Expectations()>, Rows,
                     const char*>
        rows[] = {
            {"command line", atStart({a, missing, b}, 0),
             [&] { return InOrder(Box(cantOpen), Separator(1)); }, all, "0 2 1 9"},
            {"command line --sep", atStart({b, missing}, ';'),
             [&] { return InOrder(Box(cantOpen)); }, Rows{"c 0+1: 1 2"}, "0 1 1 2"},
            {"drop", drop({a, b}), [&] { return InOrder(Options(), Separator(1), Options()); }, all,
             "0 2 1 9"},
        };
    for (const auto& [name, start, dialogs, series, range] : rows) {
        SCOPED_TRACE(name);
        frame->ResetProject();
        RunWithDialogs(
            [&, &start = start, count = int(series.size())] {
                start();
                PumpUntil([&] { return Project().GetCount() >= count; });
            },
            dialogs());
        EXPECT_EQ(series, Series());
        EXPECT_EQ(range, Range());
    }
}

// A vanished recent file is reported and kept in the list, which holds the newest nine.
TEST_F(ImportCommandTest, RecentFilesReimportAndKeepAMissingOne)
{
    const wxString path = Write("abc.csv", ABC);
    Import(InOrder(File(path), Options()));
    RecentFiles& recent = frame->GetRecentFiles();
    ASSERT_EQ(1u, recent.GetCount());
    EXPECT_EQ(path, recent.GetHistoryFile(0));
    EXPECT_EQ(path, Application::GetInstance().GetConfig()->Read("/RecentFiles/file1"));
    wxMenuItem* item = frame->GetMenuBar()->FindItem(wxID_FILE1);
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->GetItemLabelText().Contains("abc.csv"));

    wxCommandEvent choose(wxEVT_MENU, wxID_FILE1);
    for (bool vanished : {false, true}) {
        frame->ResetProject();
        if (vanished)
            wxRemoveFile(path);
        RunWithDialogs([&] { frame->ProcessWindowEvent(choose); },
                       vanished ? InOrder(Box(wxString::Format("Can't open \"%s\"!", path)))
                                : InOrder(Options()));
        EXPECT_EQ(vanished ? 0 : 2, Project().GetCount());
        EXPECT_EQ(1u, recent.GetCount());
    }

    for (int i = 0; i < 12; ++i)
        recent.Remember(wxString::Format("/data/%d.csv", i),
                        *Application::GetInstance().GetConfig());
    EXPECT_EQ(size_t(RecentFiles::MAX_FILES), recent.GetCount());
    EXPECT_EQ("/data/11.csv", recent.GetHistoryFile(0));
}

// Through the X server: Ctrl+I, the file, OK. A real file opens with the defaults (decimal
// commas in a semicolon ".csv"; the detection's other cases are the engine's tests) and
// draws its series in the window, seen in a screenshot of the screen.
TEST_F(ImportCommandTest, CtrlIAndOkOpenARealFileAndDrawIt)
{
    ShowNewFrame();
    const wxString path = Write("semicolons.csv", "Zeit;Temp\n0;21,5\n1;22,0\n2;20,5\n");
    RunWithDialogs(
        [&] {
            frame->Raise();
            frame->GetGraphPanel()->GraphWindow()->SetFocus();
            PumpPending();
            wxUIActionSimulator().Char('I', wxMOD_CONTROL);
            EXPECT_TRUE(PumpUntil([&] { return Project().GetCount() > 0; }));
        },
        InOrder(File(path), Options()));
    EXPECT_EQ((Rows{"Temp 0+1: 21.5 22 20.5"}), Series());
    EXPECT_EQ("Importing is completed!", Status());
    ASSERT_TRUE(PumpUntil([&] { return frame->GetGraphPanel()->IsRendered(); }));
    PumpPending();

    // Series blue inside the frame, read back from the screen.
    const wxString shot = Path("shot.png");
    ASSERT_EQ(0, wxExecute("import -window root " + shot, wxEXEC_SYNC | wxEXEC_NODISABLE));
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxImage image(shot, wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(image.IsOk());
    const RenderInfo info = frame->GetGraphPanel()->GetRenderInfo();
    const wxPoint corner = frame->GetGraphPanel()->GraphWindow()->GetScreenPosition();
    int blue = 0;
    for (int y = int(info.plotArea.top); y < int(info.plotArea.top + info.plotArea.height); ++y)
        for (int x = int(info.plotArea.left); x < int(info.plotArea.left + info.plotArea.width);
             ++x)
            blue += image.GetBlue(corner.x + x, corner.y + y) > 200 &&
                    image.GetRed(corner.x + x, corner.y + y) < 80;
    EXPECT_GT(blue, 100);
}

// Recordings stacked with a key open as one series per key, each over its own dates; the
// dialog says so, and with its split turned off they open as one series.
TEST_F(ImportCommandTest, StackedRecordingsSplitByKeyUnlessTurnedOff)
{
    const Rows keys = {"MSFT", "AMZN", "IBM", "GOOG", "AAPL"};
    std::string stacked = "symbol,date,price\n";
    for (size_t k = 0; k < keys.size(); ++k)
        for (int m = 0; m < 24; ++m)
            stacked += wxString::Format("%s,%d-%02d-01,%d\n", keys[k], 2000 + m / 12, m % 12 + 1,
                                        int(k) * 100 + m)
                           .utf8_string();
    const wxString path = Write("stocks.csv", stacked);
    Import(InOrder(File(path), Options([](CSVImportOptionDlg* dlg) {
                       EXPECT_TRUE(dlg->GetSplitCheck()->GetValue());
                       EXPECT_EQ("One series per value of column 1 (symbol)",
                                 dlg->GetSplitCheck()->GetLabel());
                       EXPECT_EQ("Splits the rows", dlg->GetColumnList()->GetItemText(0, 2));
                   })));
    ASSERT_EQ(5, Project().GetCount());
    for (int k = 0; k < 5; ++k) {
        const auto series = Project().GetItem(k);
        EXPECT_EQ("price (" + keys[size_t(k)] + ")", series->GetLabel());
        ASSERT_EQ(24u, series->GetCount());
        EXPECT_EQ(k * 100 + 23, series->GetDataY()->raw[23]);
        // Monthly dates step unevenly, and never back across the plot.
        const DataX x = series->GetDataX();
        ASSERT_TRUE(x.IsExplicit());
        EXPECT_TRUE(std::is_sorted(x.ExplicitValues()->begin(), x.ExplicitValues()->end()));
        EXPECT_TRUE(series->HasTimeOrigin());
    }

    Import(InOrder(File(path), Options([](CSVImportOptionDlg* dlg) {
                       Send(dlg->GetSplitCheck(), wxEVT_CHECKBOX, 0);
                       EXPECT_EQ(-1, dlg->GetOption().splitColumn);
                       EXPECT_FALSE(dlg->GetSplitCheck()->GetValue());
                   })));
    ASSERT_EQ(6, Project().GetCount());
    EXPECT_EQ("price", Project().GetItem(5)->GetLabel());
    EXPECT_EQ(120u, Project().GetItem(5)->GetCount());
}

// Through the X server: with Follow on, lines a logger appends reach the picture and the
// view moves with them; with it off, F5 reads them, keeping the view where the user put it.
TEST_F(ImportCommandTest, FollowAndReloadAGrowingFile)
{
    std::string content = "t,v\n";
    int n = 0;
    auto lines = [&](int count) {
        std::string text;
        for (int k = 0; k < count; ++k, ++n)
            text += wxString::Format("%d,%g\n", n, std::sin(n / 10.0)).utf8_string();
        return text;
    };
    const wxString path = Write("logger.csv", content + lines(200));
    auto append = [&](const std::string& text) {
        wxFFile file(path, "ab");
        ASSERT_TRUE(file.IsOpened());
        file.Write(text.data(), text.size());
    };
    ShowNewFrame();
    RunWithDialogs([&] { EXPECT_TRUE(ImportFileWithSeparator(*frame, path, 0, false)); }, {});
    ASSERT_EQ(1, Project().GetCount());
    const auto series = Project().GetItem(0);
    GraphPanel* panel = frame->GetGraphPanel();
    ASSERT_TRUE(PumpUntil([&] { return panel->IsRendered(); }));

    frame->SetFollowing(true);
    const PlotRange before = Project().GetPlotRange();
    append(lines(100) + "300,"); // and half a line, which waits for its end
    EXPECT_TRUE(PumpUntil([&] { return series->GetCount() == 300; }));
    EXPECT_TRUE(PumpUntil([&] { return panel->IsRendered(); }));
    const PlotRange moved = Project().GetPlotRange();
    EXPECT_DOUBLE_EQ(before.maxX - before.minX, moved.maxX - moved.minX); // same width
    EXPECT_GT(moved.maxX, before.maxX + 90);
    append("0.5\n");
    ++n;
    EXPECT_TRUE(PumpUntil([&] { return series->GetCount() == 301; }));
    EXPECT_EQ(0.5, series->GetDataY()->raw[300]);

    frame->SetFollowing(false);
    frame->GetProject()->SetPlotRange(10, 20, -1, 1); // the user looks elsewhere
    append(lines(50));
    frame->Raise();
    panel->GraphWindow()->SetFocus();
    PumpPending();
    wxUIActionSimulator sim;
    sim.Char(WXK_F5);
    EXPECT_TRUE(PumpUntil([&] { return series->GetCount() == 351; }));
    EXPECT_EQ("10 20 -1 1", RangeText(Project()));
    EXPECT_EQ(wxString::Format("%g", std::sin(350 / 10.0)),
              wxString::Format("%g", series->GetDataY()->raw[350]));
    // End brings the newest points back, at the width shown.
    sim.Char(WXK_END);
    EXPECT_TRUE(PumpUntil([&] { return RangeText(Project()) == "340 350 -1 1"; }))
        << RangeText(Project());

    // A series not read from the file (as the calculator makes them) stays as it is, and
    // the status bar says so.
    frame->GetProject()->Add(CreateGraphData(DataX{0.0, 1.0}, series->GetDataY()));
    frame->SetFollowing(true);
    append(lines(10));
    EXPECT_TRUE(PumpUntil([&] {
        return Status() == "Following: 10 new points. Calculated series are not calculated again.";
    })) << Status();
    // Fit Y While Following: Y takes in the newest point as the view moves.
    frame->SetFollowFitY(true);
    append(wxString::Format("%d,40\n", n++).utf8_string());
    EXPECT_TRUE(PumpUntil([&] { return Project().GetPlotRange().maxY == 40; }))
        << RangeText(Project());
    frame->SetFollowing(false);
}

// Files whose X is a time column or steps unevenly (a jittered 1 ms base, a minute's
// pause) open with their own X, draw, pan and zoom, and the status bar reads the X under
// the pointer: ISO text on a time axis.
TEST_F(ImportCommandTest, TimeAndUnevenXDrawPanZoomAndReadUnderThePointer)
{
    std::string clock = "time,v\n", jitter = "t,v\n", pause = "t,v\n";
    for (int i = 0; i < 20000; ++i) {
        if (i < 600)
            clock += wxString::Format("2026-03-05T14:%02d:%02d,%d\n", i / 60, i % 60, i % 7)
                         .utf8_string();
        const double t = 0.001 * i + (i % 3 - 1) * 1e-6, u = 0.001 * i + (i >= 10000 ? 60 : 0);
        jitter += wxString::Format("%.6f,%g\n", t, std::sin(i / 300.0)).utf8_string();
        pause += wxString::Format("%.3f,%g\n", u, std::cos(i / 500.0)).utf8_string();
    }
    for (const auto& [content, time] : {std::pair{clock, true}, {jitter, false}, {pause, false}}) {
        SCOPED_TRACE(content.substr(0, 12));
        ShowNewFrame();
        const wxString path = Write("x.csv", content);
        RunWithDialogs([&] { EXPECT_TRUE(ImportFileWithSeparator(*frame, path, 0, false)); }, {});
        ASSERT_EQ(1, Project().GetCount());
        EXPECT_EQ(time, Project().HasTimeOrigin());
        EXPECT_EQ(!time, Project().GetItem(0)->GetDataX().IsExplicit());
        GraphPanel* panel = frame->GetGraphPanel();
        ASSERT_TRUE(PumpUntil([&] { return panel->IsRendered(); }));
        const RenderInfo info = panel->GetRenderInfo();
        const wxPoint at(int(info.plotArea.left + info.plotArea.width / 3),
                         int(info.plotArea.top + info.plotArea.height / 2));
        SendMouse(panel->GraphWindow(), wxEVT_MOTION, at.x - 1, at.y); // enters
        SendMouse(panel->GraphWindow(), wxEVT_MOTION, at.x, at.y);
        const double pixel = (info.plotRange.maxX - info.plotRange.minX) / info.plotArea.width;
        const wxString x =
            time ? wxString(TimeAtX(Project().GetTimeOrigin(), info.ToDataX(at.x), pixel))
                 : wxString::Format("%f", info.ToDataX(at.x));
        EXPECT_TRUE(frame->GetStatusBar()->GetStatusText(1).StartsWith(x + ", "))
            << frame->GetStatusBar()->GetStatusText(1) << " want " << x;

        const PlotRange before = Project().GetPlotRange();
        SendMouse(panel->GraphWindow(), wxEVT_LEFT_DOWN, at.x, at.y, wxMOUSE_BTN_LEFT);
        SendMouse(panel->GraphWindow(), wxEVT_MOTION, at.x + 81, at.y, wxMOUSE_BTN_LEFT);
        SendMouse(panel->GraphWindow(), wxEVT_LEFT_UP, at.x + 81, at.y);
        EXPECT_LT(Project().GetPlotRange().minX, before.minX);
        SendMouse(panel->GraphWindow(), wxEVT_MOUSEWHEEL, at.x, at.y, wxMOUSE_BTN_NONE, 120);
        EXPECT_LT(Project().GetPlotRange().maxX - Project().GetPlotRange().minX,
                  before.maxX - before.minX);
        ASSERT_TRUE(PumpUntil([&] { return panel->IsRendered(); }));
    }
}

} // namespace

namespace {

// Counts the progress dialogs that start.
class CountProgress : public wxEventFilter
{
public:
    CountProgress() { wxEvtHandler::AddFilter(this); }
    ~CountProgress() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override
    {
        if (event.GetEventType() == wxEVT_INIT_DIALOG &&
            dynamic_cast<ProgressDlg*>(event.GetEventObject()))
            ++count;
        return Event_Skip;
    }
    int count = 0;
};

} // namespace

// A file opened again as it was: the series come from the column cache, without a scan
// or a progress dialog, the same as read; Data > Clear the Column Cache removes it.
TEST_F(ImportCommandTest, ReopenComesFromTheColumnCache)
{
    std::string content = "t,a,b\n";
    for (int i = 0; i < 50000; ++i)
        content += wxString::Format("%d,%g,%d\n", i, std::sin(i / 100.0), i % 13).utf8_string();
    const wxString path = Write("again.csv", content);
    ColumnCache& cache = Application::GetInstance().GetColumnCache();
    cache.Clear(); // what the other tests left
    const std::string cacheFile = cache.FileFor(path.utf8_string());
    CountProgress progress;
    RunWithDialogs([&] { EXPECT_TRUE(ImportFileWithSeparator(*frame, path, 0, false)); }, {});
    const int read = progress.count; // the scan, the import and its pyramids
    EXPECT_GT(read, 0);
    cache.WaitForWrites();
    ASSERT_TRUE(wxFileName::FileExists(cacheFile));
    const Rows series = Series();

    delete frame;
    frame = new MainFrame(nullptr);
    RunWithDialogs([&] { EXPECT_TRUE(ImportFileWithSeparator(*frame, path, 0, false)); }, {});
    EXPECT_EQ(read, progress.count);
    EXPECT_EQ(series, Series());
    EXPECT_EQ("Importing is completed!", Status());

    wxCommandEvent clear(wxEVT_MENU, ID_MENU_CLEAR_CACHE);
    frame->ProcessWindowEvent(clear);
    EXPECT_FALSE(wxFileName::FileExists(cacheFile));
    EXPECT_EQ("The column cache is cleared: 1 file removed.", Status());
}
