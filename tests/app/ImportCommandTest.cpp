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

std::unique_ptr<wxModalExpectation> File(const wxString& path, int answer = wxID_OK)
{
    return std::make_unique<wxExpectModal<wxFileDialog>>(path, answer);
}

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
    const struct
    {
        const char* name;
        std::string content;
        bool options; // the failure comes after the options dialog
        const char* message;
    } rows[] = {
        {"down.csv", "0,3\n1,2\n2,1\n", true,
         "Column 2 goes down at line 2, so it can't be the X of a series!"},
        {"words.csv", "x,y\nno,data\n", false, "\"%s\" has no data lines to import!"},
        {"empty.csv", "", false, "\"%s\" has no data lines to import!"},
    };
    const wxString range = Range();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const wxString path = Write(r.name, r.content);
        Expectations expected = InOrder(File(path));
        // The X of the series becomes column 2, which goes down.
        if (r.options)
            expected.push_back(Options([](CSVImportOptionDlg* dlg) {
                dlg->GetDataList()->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
                wxSpinCtrl* spin = dlg->GetXDataColumnSpin();
                spin->SetValue(2);
                wxSpinEvent event(wxEVT_SPINCTRL, spin->GetId());
                event.SetEventObject(spin);
                spin->ProcessWindowEvent(event);
            }));
        expected.push_back(Box(wxString::Format(r.message, path)));
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
    const struct
    {
        const char* name;
        std::function<void()> start;
        std::function<Expectations()> dialogs;
        Rows series;
        const char* range; // fitted to the first file
    } rows[] = {
        {"command line", atStart({a, missing, b}, 0),
         [&] { return InOrder(Box(cantOpen), Separator(1)); }, all, "0 2 1 9"},
        {"command line --sep",
         atStart({b, missing}, ';'),
         [&] { return InOrder(Box(cantOpen)); },
         {"c 0+1: 1 2"},
         "0 1 1 2"},
        {"drop", drop({a, b}), [&] { return InOrder(Options(), Separator(1), Options()); }, all,
         "0 2 1 9"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        frame->ResetProject();
        RunWithDialogs(
            [&] {
                r.start();
                PumpUntil([&] { return Project().GetCount() >= int(r.series.size()); });
            },
            r.dialogs());
        EXPECT_EQ(r.series, Series());
        EXPECT_EQ(r.range, Range());
    }
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
        {{"--sep", "Semicolon", "/x"}, true, {"/x"}, ';'},
        {{"--sep=COMMA", "/x"}, true, {"/x"}, ','},
        {{"--sep", "pipe", "/x"}, false, {}, 0},
        {{"--unknown"}, false, {}, 0},
    };
    Application& app = Application::GetInstance();
    for (const auto& r : rows) {
        std::vector<const char*> argv{"ardentine"};
        argv.insert(argv.end(), r.args.begin(), r.args.end());
        SCOPED_TRACE(argv.size() > 2 ? argv[2] : argv.size() > 1 ? argv[1] : "none");
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

// Through the X server: Ctrl+I, the file, OK. Real files open with the defaults: decimal
// commas in a semicolon ".csv", an ISO time column beside a text column, and a first
// column that goes down (each series then counts its points). Each draws its series in
// the window, seen in a screenshot of the screen.
TEST_F(ImportCommandTest, CtrlIAndOkOpenRealFilesAndDrawThem)
{
    const struct
    {
        const char* name;
        std::string content;
        Rows series;
    } rows[] = {
        {"semicolons.csv", "Zeit;Temp\n0;21,5\n1;22,0\n2;20,5\n", {"Temp 0+1: 21.5 22 20.5"}},
        {"stations.csv",
         "time,station,temp\n2012-01-01T00:00:00,\"Aguilar\",3.5\n"
         "2012-01-01T01:00:00,\"Aguilar\",9\n2012-01-01T02:00:00,\"Aguilar\",4.5\n",
         {"temp 0+3600: 3.5 9 4.5"}},
        {"airspeed.csv",
         "airspeed,lift\n30,1.2\n20,0.8\n25,1.9\n",
         {"airspeed 0+1: 30 20 25", "lift 0+1: 1.2 0.8 1.9"}},
    };
    wxUIActionSimulator sim;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        delete frame;
        frame = new MainFrame(nullptr);
        frame->SetClientSize(900, 600);
        frame->Show();
        const wxString path = Write(r.name, r.content);
        RunWithDialogs(
            [&] {
                frame->Raise();
                frame->GetGraphPanel()->GraphWindow()->SetFocus();
                PumpPending();
                sim.Char('I', wxMOD_CONTROL);
                EXPECT_TRUE(PumpUntil([&] { return Project().GetCount() > 0; }));
            },
            InOrder(File(path), Options()));
        EXPECT_EQ(r.series, Series());
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
                 ++x) {
                const int sx = corner.x + x, sy = corner.y + y;
                if (sx < image.GetWidth() && sy < image.GetHeight() &&
                    image.GetBlue(sx, sy) > 200 && image.GetRed(sx, sy) < 80)
                    ++blue;
            }
        EXPECT_GT(blue, 100);
    }
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

// Through the X server: a file with an ISO time column opens on a time axis, and the
// status bar reads the instant under the pointer as ISO text.
TEST_F(ImportCommandTest, TimeColumnsReadAsTimesUnderThePointer)
{
    std::string content = "time,v\n";
    for (int i = 0; i < 600; ++i)
        content +=
            wxString::Format("2026-03-05T14:%02d:%02d,%d\n", i / 60, i % 60, i % 7).utf8_string();
    const wxString path = Write("clock.csv", content);
    delete frame;
    frame = new MainFrame(nullptr);
    frame->SetClientSize(900, 600);
    frame->Show();
    RunWithDialogs([&] { EXPECT_TRUE(ImportFileWithSeparator(*frame, path, 0, false)); }, {});
    ASSERT_TRUE(Project().HasTimeOrigin());
    GraphPanel* panel = frame->GetGraphPanel();
    ASSERT_TRUE(PumpUntil([&] { return panel->IsRendered(); }));
    PumpPending();
    const RenderInfo info = panel->GetRenderInfo();
    const wxPoint inside(int(info.plotArea.left + info.plotArea.width / 2),
                         int(info.plotArea.top + info.plotArea.height / 2));
    const double pixel = (info.plotRange.maxX - info.plotRange.minX) / info.plotArea.width;
    auto want = [&](int dx) {
        return TimeAtX(Project().GetTimeOrigin(), info.ToDataX(inside.x + dx), pixel) + ", ";
    };
    EXPECT_EQ(0u, want(0).rfind("2026-03-05T14:0", 0)) << want(0);
    // The pointer goes back and forth between two pixels until the status bar reads one of
    // them (a move may arrive before the window has its place on the screen).
    wxUIActionSimulator sim;
    int step = 0;
    EXPECT_TRUE(PumpUntil([&] {
        const std::string text = frame->GetStatusBar()->GetStatusText(1).utf8_string();
        if (text.rfind(want(0), 0) == 0 || text.rfind(want(1), 0) == 0)
            return true;
        if (step++ % 20 == 0) // now and then, not at every poll
            sim.MouseMove(panel->GraphWindow()->ClientToScreen(inside + wxPoint(step / 20 % 2, 0)));
        return false;
    })) << frame->GetStatusBar()->GetStatusText(1)
        << " want " << want(0);
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
    delete frame;
    frame = new MainFrame(nullptr);
    frame->SetClientSize(900, 600);
    frame->Show();
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

// Through the X server: recordings whose X steps unevenly (a jittered 1 ms base, a minute's
// pause) open with their own X, draw, pan and zoom, and the status bar reads the X under
// the pointer.
TEST_F(ImportCommandTest, UnevenRecordingsDrawPanZoomAndReportTheirX)
{
    std::string jitter = "t,v\n", pause = "t,v\n";
    for (int i = 0; i < 20000; ++i) {
        const double t = 0.001 * i + (i % 3 - 1) * 1e-6;
        const double u = 0.001 * i + (i >= 10000 ? 60.0 : 0.0);
        jitter += wxString::Format("%.6f,%g\n", t, std::sin(i / 300.0)).utf8_string();
        pause += wxString::Format("%.3f,%g\n", u, std::cos(i / 500.0)).utf8_string();
    }
    wxUIActionSimulator sim;
    for (const std::string& content : {jitter, pause}) {
        delete frame;
        frame = new MainFrame(nullptr);
        frame->SetClientSize(900, 600);
        frame->Show();
        const wxString path = Write("uneven.csv", content);
        RunWithDialogs([&] { EXPECT_TRUE(ImportFileWithSeparator(*frame, path, 0, false)); }, {});
        ASSERT_EQ(1, Project().GetCount());
        const auto series = Project().GetItem(0);
        ASSERT_TRUE(series->GetDataX().IsExplicit());
        GraphPanel* panel = frame->GetGraphPanel();
        ASSERT_TRUE(PumpUntil([&] { return panel->IsRendered(); }));
        PumpPending();

        const RenderInfo info = panel->GetRenderInfo();
        const wxPoint inside(int(info.plotArea.left + info.plotArea.width / 3),
                             int(info.plotArea.top + info.plotArea.height / 2));
        const wxPoint screen = panel->GraphWindow()->ClientToScreen(inside);
        sim.MouseMove(screen);
        sim.MouseMove(screen + wxPoint(1, 0));
        const double wantX = info.ToDataX(inside.x + 1);
        EXPECT_TRUE(PumpUntil([&] {
            double x = 0, y = 0;
            return std::sscanf(frame->GetStatusBar()->GetStatusText(1).utf8_str(), "%lf, %lf", &x,
                               &y) == 2 &&
                   std::fabs(x - wantX) < 1e-6 * (1 + std::fabs(wantX));
        })) << frame->GetStatusBar()->GetStatusText(1)
            << " want " << wantX;

        const PlotRange before = Project().GetPlotRange();
        sim.MouseDown();
        sim.MouseMove(screen + wxPoint(40, 0));
        sim.MouseMove(screen + wxPoint(81, 0));
        sim.MouseUp();
        EXPECT_TRUE(PumpUntil([&] { return Project().GetPlotRange().minX < before.minX; }));
        const double span = Project().GetPlotRange().maxX - Project().GetPlotRange().minX;
        for (int i = 0;
             i < 3 && Project().GetPlotRange().maxX - Project().GetPlotRange().minX >= span; ++i) {
            ASSERT_EQ(0, wxExecute("xdotool click 4", wxEXEC_SYNC | wxEXEC_NODISABLE));
            PumpUntil(
                [&] {
                    return Project().GetPlotRange().maxX - Project().GetPlotRange().minX < span;
                },
                2000);
        }
        EXPECT_LT(Project().GetPlotRange().maxX - Project().GetPlotRange().minX, span);
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
