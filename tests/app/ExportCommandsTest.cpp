// The two export commands and their dialogs: CSV files compared byte for byte with the
// command-line tool's export, images with the graph pane's own picture.
#include <csignal>
#include <cstdlib>

#include <sys/resource.h>

#include <wx/dir.h>
#include <wx/filedlg.h>

#include "app/commands/ExportCommand.h"
#include "app/commands/ExportFile.h"
#include "app/commands/ExportImageCommand.h"
#include "app/commands/ImportCommand.h"
#include "app/dialogs/CSVExportOptionDlg.h"
#include "app/dialogs/ImageSizeSettingDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "app/panes/GraphPanel.h"
#include "support/ModelTestUtil.h"
#include "render/GraphRenderer.h"
#include "support/GuiTestSupport.h"

namespace {

uint32_t PixelAt(cairo_surface_t* surface, int x, int y) // 0xAARRGGBB
{
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + size_t(y) * cairo_image_surface_get_stride(surface);
    const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
    return cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24 ? p | 0xFF000000u : p;
}

// Rows of a list control, cells joined by "|".
Rows ListRows(const wxListCtrl* list)
{
    Rows rows;
    for (long r = 0; r < list->GetItemCount(); ++r) {
        wxString row = list->GetItemText(r, 0);
        for (int c = 1; c < list->GetColumnCount(); ++c)
            row += "|" + list->GetItemText(r, c);
        rows.push_back(row.utf8_string());
    }
    return rows;
}

void Select(wxListCtrl* list, long row)
{
    list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

const wxString PUSH_WARNING = "X-data and the number of points, that will be pushed, should be "
                              "equal to the ones already appended!";
const wxString EMPTY_REFUSAL = "Exported data is empty! Push at least one series with \">>\".";

// The save dialog: checks the folder it opens in (when given), then the typed path with
// the filter chosen.
std::unique_ptr<wxModalExpectation> SaveAs(const wxString& path, int filter = 0,
                                           const wxString& opensIn = "", int answer = wxID_OK)
{
    return Dialog<wxFileDialog>([=](wxFileDialog* dlg) {
        EXPECT_TRUE(dlg->HasFlag(wxFD_OVERWRITE_PROMPT));
        EXPECT_TRUE(opensIn.empty() || dlg->GetDirectory() == opensIn) << dlg->GetDirectory();
        dlg->SetFilterIndex(filter);
        dlg->SetPath(path);
        return answer;
    });
}

// a, b, c share X (0, 1) and 4 points; d has another interval, e another length.
class CSVExportOptionDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        project = CreateGraphProject();
        for (auto [label, x, points] :
             {std::tuple{"a", 1.0, 4}, {"b", 1.0, 4}, {"c", 1.0, 4}, {"d", 0.5, 4}, {"e", 1.0, 5}})
            project->Add(MakeSeries(std::vector<double>(points, 1.0), DataX{0, x}, label));
        dlg = new CSVExportOptionDlg(nullptr);
        dlg->SetProject(project.get());
        dlg->SetOption(CSVExporter::MakeDefaultOption(*project));
    }
    void TearDown() override { dlg->Destroy(); }

    Rows Exported() const { return ListRows(dlg->GetExportedList()); }

    std::shared_ptr<GraphProject> project;
    CSVExportOptionDlg* dlg = nullptr;
};

TEST_F(CSVExportOptionDlgTest, DefaultHoldsTheSeriesSharingTheFirstsAxis)
{
    EXPECT_EQ(ListRows(dlg->GetCandidateList()),
              (Rows{"1|a|S: 0.000000, I: 1.000000|4", "2|b|S: 0.000000, I: 1.000000|4",
                    "3|c|S: 0.000000, I: 1.000000|4", "4|d|S: 0.000000, I: 0.500000|4",
                    "5|e|S: 0.000000, I: 1.000000|5"}));
    EXPECT_EQ(Exported(), (Rows{"1|a|a", "2|b|b", "3|c|c"}));
    EXPECT_FALSE(dlg->GetHeaderText()->IsEnabled());
    // The X header entry is enabled exactly with "Export X data".
    Send(dlg->GetExportXBox(), wxEVT_CHECKBOX, false);
    EXPECT_FALSE(dlg->GetXDataHeaderText()->IsEnabled());
    Send(dlg->GetExportXBox(), wxEVT_CHECKBOX, true);
    Send(dlg->GetExportHeaderBox(), wxEVT_CHECKBOX, false);
    dlg->GetXDataHeaderText()->SetValue("t [s]");
    EXPECT_TRUE(dlg->GetXDataHeaderText()->IsEnabled());
    const CSVExportOption option = dlg->GetOption();
    EXPECT_EQ(std::make_tuple(option.exportX, option.exportHeader, option.xDataHeader),
              std::make_tuple(true, false, wxString("t [s]")));
}

TEST_F(CSVExportOptionDlgTest, PushKeepsOneXAxis)
{
    const struct
    {
        const char* name;
        long candidate;
        bool warned;
        Rows after;
    } rows[] = {
        {"another interval", 3, true, {"1|a|a", "2|b|b", "3|c|c"}},
        {"another length", 4, true, {"1|a|a", "2|b|b", "3|c|c"}},
        {"the same axis, twice", 0, false, {"1|a|a", "2|b|b", "3|c|c", "1|a|a"}},
        {"into an empty list: any series", 3, false, {"4|d|d"}},
        {"then that one sets the rule", 0, true, {"4|d|d"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.after.size() == 1) // start from an empty list
            while (!Exported().empty() && Exported()[0] != "4|d|d") {
                Select(dlg->GetExportedList(), 0);
                Send(dlg->GetPopButton());
            }
        Select(dlg->GetCandidateList(), row.candidate);
        Expectations expected;
        if (row.warned)
            expected.push_back(Box(PUSH_WARNING, "Warning"));
        RunWithDialogs([&] { Send(dlg->GetPushButton()); }, expected);
        EXPECT_EQ(Exported(), row.after);
        EXPECT_EQ(dlg->GetOption().exportedData.size(), row.after.size());
    }
}

TEST_F(CSVExportOptionDlgTest, PopMoveAndHeaderActOnTheSelectedItemUntilNoneIsLeft)
{
    wxListCtrl* list = dlg->GetExportedList();
    wxTextCtrl* header = dlg->GetHeaderText();
    header->SetValue("ignored"); // no item selected: changes nothing
    Select(list, 1);
    EXPECT_EQ(header->GetValue(), "b");
    header->SetValue("Bee");
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
        {dlg->GetPopButton(), {"1|a|a", "3|c|c"}, 1},                 // the new last: "<<" pops on
        {dlg->GetPopButton(), {"1|a|a"}, 0},
        {dlg->GetPopButton(), {}, -1},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        Send(steps[i].button);
        EXPECT_EQ(Exported(), steps[i].after);
        EXPECT_EQ(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), steps[i].selected);
        EXPECT_EQ(header->IsEnabled(), steps[i].selected >= 0);
    }
}

TEST(ImageSizeSettingDlg, SameSizeAsWindowTakesTheClampedWindowSize)
{
    for (auto [window, shown] :
         {std::pair{wxSize(800, 600), wxSize(800, 600)}, {wxSize(5, 20000), wxSize(10, 10000)}}) {
        ImageSizeSettingDlg dlg(nullptr);
        dlg.SetWindowSize(window.x, window.y);
        for (bool same : {true, false}) { // unchecking keeps the values
            Send(dlg.GetSameSizeBox(), wxEVT_CHECKBOX, same);
            EXPECT_EQ(wxSize(dlg.GetImageWidth(), dlg.GetImageHeight()), shown);
            EXPECT_EQ(dlg.GetWidthCtrl()->IsEnabled() + dlg.GetHeightCtrl()->IsEnabled(),
                      same ? 0 : 2);
        }
    }
}

// Both commands on a project imported from a file as the command-line tool imports it.
class ExportCommandsTest : public CommandTest
{
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        data = Write("data.csv",
                     "time,a,b,c\n0,1,150,-0.00125\n0.1,2.5,1e-7,3\n0.2,-4,0,1e300\n0.3,7,8,9\n");
        RunWithDialogs([&] { ASSERT_TRUE(ImportFileWithSeparator(*frame, data, ',', false)); }, {});
        LastExportFolder().clear();
        frame->SetStatusMessage(""); // results are compared with this
    }

    size_t FileCount() const
    {
        wxArrayString files;
        return wxDir::GetAllFiles(dir, &files, wxEmptyString, wxDIR_FILES);
    }
    std::string CliExport(const std::string& args) const
    {
        const std::string out = Path("cli.out").utf8_string();
        const std::string command = std::string("'") + ARDENTINE_CLI + "' export '" +
                                    data.utf8_string() + "' -o '" + out + "' " + args +
                                    " >/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const std::string bytes = ReadFile(out);
        wxRemoveFile(out);
        return bytes;
    }
    void Run(void (*command)(CommandHost&), const Expectations& expected)
    {
        RunWithDialogs([&] { command(*frame); }, expected);
    }
    // Shows the window and waits until the pane has drawn the graph.
    void ShowRendered()
    {
        frame->Show();
        wxWindow* pane = frame->GetGraphPanel()->GraphWindow();
        ASSERT_TRUE(PumpUntil([&] {
            pane->Refresh(false);
            pane->Update();
            return frame->GetGraphPanel()->IsRendered();
        }));
    }
    // The image export at 640 x 480; `failure` is the error box's text.
    void ExportImage(const wxString& typed, int filter, const wxString& failure = "")
    {
        Expectations expected =
            InOrder(Answer<ImageSizeSettingDlg>(wxID_OK), SaveAs(typed, filter));
        if (!failure.empty())
            expected.push_back(Box(failure));
        Run(RunExportImageCommand, expected);
    }

    wxString data;
};

TEST_F(ExportCommandsTest, CsvHasTheCommandLineToolsBytes)
{
    const struct
    {
        const char* typed;
        const char* cliArgs;
        int filter;
        wxChar separator; // 0: no separator dialog
        bool edit;        // exported: c, a; no X, no header
    } rows[] = {
        {"out.csv", "", 0, 0, false},
        {"out.txt", "--out-sep tab", 0, '\t', false},
        {"typed", "--out-sep semicolon", 1, ';', false}, // typed.txt
        {"chosen.csv", "--series 3,1 --no-x --no-header", 0, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        // The first dialog opens where the toolkit chooses, later ones in this folder.
        Expectations expected =
            InOrder(Dialog<CSVExportOptionDlg>([&](CSVExportOptionDlg* dlg) {
                        if (row.edit) {
                            Select(dlg->GetExportedList(), 1);
                            Send(dlg->GetPopButton());    // a, c with c selected
                            Send(dlg->GetMoveUpButton()); // c, a
                            Send(dlg->GetExportXBox(), wxEVT_CHECKBOX, false);
                            Send(dlg->GetExportHeaderBox(), wxEVT_CHECKBOX, false);
                        }
                        return wxID_OK;
                    }),
                    SaveAs(Path(row.typed), row.filter, LastExportFolder()));
        if (row.separator)
            expected.push_back(Dialog<SeparatorSettingDlg>([&](SeparatorSettingDlg* dlg) {
                EXPECT_EQ(dlg->GetSeparator(), ',');
                dlg->SetSeparator(row.separator);
                return wxID_OK;
            }));
        Run(RunExportCommand, expected);
        EXPECT_EQ(Status(), "Exporting is completed!");
        const wxString written = Path(row.typed) + (wxFileName(row.typed).HasExt() ? "" : ".txt");
        EXPECT_EQ(ReadFile(written), CliExport(row.cliArgs));
        EXPECT_EQ(LastExportFolder(), dir);
    }
}

TEST_F(ExportCommandsTest, CsvCancelAnywhereOrFailureWritesNothing)
{
    const wxString old = Write("old.csv", "old"), folder = Path("folder.csv");
    wxFileName::Mkdir(folder);
    const auto ok = [] { return Answer<CSVExportOptionDlg>(wxID_OK); };
    const auto popAllThenOk = [](CSVExportOptionDlg* dlg) {
        while (dlg->GetExportedList()->GetItemCount() > 0) {
            Select(dlg->GetExportedList(), 0);
            Send(dlg->GetPopButton());
        }
        return dlg->TransferDataFromWindow() ? wxID_OK : wxID_CANCEL;
    };
    const std::function<Expectations()> rows[] = {
        [] { return InOrder(Answer<CSVExportOptionDlg>(wxID_CANCEL)); },
        [&] { return InOrder(ok(), SaveAs(Path("x.csv"), 0, "", wxID_CANCEL)); },
        [&] {
            return InOrder(ok(), SaveAs(Path("x.txt")), Answer<SeparatorSettingDlg>(wxID_CANCEL));
        },
        [&] { // the name the dialog completed exists: asked again, and refused
            return InOrder(ok(), SaveAs(Path("old")),
                           Box("\"" + old + "\" already exists.\nDo you want to replace it?",
                               "Export", wxID_NO));
        },
        [&] { // OK on an empty list is refused before any file is asked for
            return InOrder(Dialog<CSVExportOptionDlg>(popAllThenOk), Box(EMPTY_REFUSAL, "Warning"));
        },
        [&] { // the exporter's message; the next dialog stays where it was
            return InOrder(ok(), SaveAs(folder), Box("Can't create \"" + folder + "\"!"));
        },
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        Run(RunExportCommand, rows[i]());
        EXPECT_EQ(FileCount(), 2u); // data.csv and old.csv
        EXPECT_EQ(ReadFile(old), "old");
        EXPECT_EQ(Status(), "");
        EXPECT_EQ(LastExportFolder(), "");
    }
}

TEST_F(ExportCommandsTest, ImageNeedsADrawnGraphAndOffersThePanesSize)
{
    Run(RunExportImageCommand, InOrder(Box("No Data!"))); // series, but never drawn
    ShowRendered();
    Run(RunExportImageCommand, InOrder(Answer<ImageSizeSettingDlg>(wxID_CANCEL)));
    const wxSize pane = frame->GetGraphPanel()->GraphWindow()->GetClientSize();
    Run(RunExportImageCommand,
        InOrder(Dialog<ImageSizeSettingDlg>([&](ImageSizeSettingDlg* dlg) {
                    Send(dlg->GetSameSizeBox(), wxEVT_CHECKBOX, true);
                    EXPECT_EQ(wxSize(dlg->GetImageWidth(), dlg->GetImageHeight()), pane);
                    return wxID_OK;
                }),
                SaveAs(Path("x.png"), 0, "", wxID_CANCEL)));
    frame->ResetProject();
    Run(RunExportImageCommand, InOrder(Box("No Data!")));
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(ExportCommandsTest, ImageKindFollowsTheExtensionInAnyCase)
{
    ShowRendered();
    const struct
    {
        const char* typed;
        int filter;
        const char* written; // nullptr: refused
        const char* head;
    } rows[] = {
        {"a.Png", 2, "a.Png", "\x89PNG"}, {"b.svg", 0, "b.svg", "<?xml"}, {"c", 2, "c.pdf", "%PDF"},
        {"d.PS", 0, "d.PS", "%!PS"},      {"e.jpg", 0, nullptr, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        frame->SetStatusMessage("");
        const wxString typed = Path(row.typed);
        ExportImage(typed, row.filter,
                    row.written ? wxString()
                                : "Can't export \"" + typed +
                                      "\": the name must end in .png, .svg, .pdf or .ps!");
        EXPECT_EQ(Status(), row.written ? "Exporting the image is completed!" : "");
        const std::string head = row.written ? ReadFile(Path(row.written)) : "";
        EXPECT_EQ(head.substr(0, strlen(row.head)), row.head);
    }
    EXPECT_EQ(FileCount(), 5u) << "data.csv and four images; no .jpg, no temporary file";

    // The PNG holds, pixel for pixel, what the pane draws at that size.
    cairo_surface_t* png = cairo_image_surface_create_from_png(Path("a.Png").utf8_str());
    ASSERT_EQ(cairo_image_surface_get_width(png), 640);
    ASSERT_EQ(cairo_image_surface_get_height(png), 480);
    CairoContext screen(640, 480);
    GraphRenderer(screen, *frame->GetProject(), 640, 480).Render();
    cairo_surface_flush(screen.GetSurface());
    int differing = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            differing += PixelAt(png, x, y) != PixelAt(screen.GetSurface(), x, y);
    EXPECT_EQ(differing, 0);
    cairo_surface_destroy(png);
}

TEST_F(ExportCommandsTest, ImageThatCannotBeWrittenIsReportedAndTheOldFileKept)
{
    ShowRendered();
    const wxString folder = Path("folder.png");
    wxFileName::Mkdir(folder);
    ExportImage(folder, 0, "Can't write \"" + folder + "\"!");
    // A full disk: no file may grow beyond 64 bytes.
    const wxString old = Write("old.png", "old");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tiny = saved;
    tiny.rlim_cur = 64;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    ExportImage(old, 0, "Can't write \"" + old + "\"!");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(ReadFile(old), "old");
    EXPECT_TRUE(wxDirExists(folder));
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(FileCount(), 2u) << "no temporary file left";
    EXPECT_EQ(LastExportFolder(), "");
}

} // namespace
