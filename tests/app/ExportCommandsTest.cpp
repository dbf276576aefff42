// The two export commands: CSV files compared byte for byte with the
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
    // Typed name, the tool's arguments, filter, separator dialog's answer (0: none) and an
    // edit in the options dialog (exported: c, a; no X, no header).
    const std::tuple<const char*, const char*, int, wxChar, bool> rows[] = {
        {"out.csv", "", 0, 0, false},
        {"out.txt", "--out-sep tab", 0, '\t', false},
        {"typed", "--out-sep semicolon", 1, ';', false}, // typed.txt
        {"chosen.csv", "--series 3,1 --no-x --no-header", 0, 0, true},
    };
    for (const auto& [typed, cliArgs, filter, separator, edit] : rows) {
        SCOPED_TRACE(typed);
        // The first dialog opens where the toolkit chooses, later ones in this folder.
        Expectations expected =
            InOrder(Dialog<CSVExportOptionDlg>([edit = edit](CSVExportOptionDlg* dlg) {
                        if (edit) {
                            SelectRow(dlg->GetExportedList(), 1);
                            Send(dlg->GetPopButton());    // a, c with c selected
                            Send(dlg->GetMoveUpButton()); // c, a
                            Send(dlg->GetExportXBox(), wxEVT_CHECKBOX, false);
                            Send(dlg->GetExportHeaderBox(), wxEVT_CHECKBOX, false);
                        }
                        return wxID_OK;
                    }),
                    SaveAs(Path(typed), filter, LastExportFolder()));
        if (separator)
            expected.push_back(
                Dialog<SeparatorSettingDlg>([separator = separator](SeparatorSettingDlg* dlg) {
                    EXPECT_EQ(dlg->GetSeparator(), ',');
                    dlg->SetSeparator(separator);
                    return wxID_OK;
                }));
        Run(RunExportCommand, expected);
        EXPECT_EQ(Status(), "Exporting is completed!");
        const wxString written = Path(typed) + (wxFileName(typed).HasExt() ? "" : ".txt");
        EXPECT_EQ(ReadFile(written), CliExport(cliArgs));
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
            SelectRow(dlg->GetExportedList(), 0);
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
            return InOrder(
                Dialog<CSVExportOptionDlg>(popAllThenOk),
                Box("Exported data is empty! Push at least one series with \">>\".", "Warning"));
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
    // Typed, filter, the file written (nullptr: refused) and how it starts.
    const std::tuple<const char*, int, const char*, const char*> rows[] = {
        {"a.Png", 2, "a.Png", "\x89PNG"}, {"b.svg", 0, "b.svg", "<?xml"}, {"c", 2, "c.pdf", "%PDF"},
        {"d.PS", 0, "d.PS", "%!PS"},      {"e.jpg", 0, nullptr, ""},
    };
    for (const auto& [typed, filter, written, head] : rows) {
        SCOPED_TRACE(typed);
        frame->SetStatusMessage("");
        ExportImage(Path(typed), filter,
                    written ? wxString()
                            : "Can't export \"" + Path(typed) +
                                  "\": the name must end in .png, .svg, .pdf or .ps!");
        EXPECT_EQ(Status(), written ? "Exporting the image is completed!" : "");
        EXPECT_EQ(ReadFile(written ? Path(written) : "").substr(0, strlen(head)), head);
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
