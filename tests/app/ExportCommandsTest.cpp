// The two export commands: CSV files compared byte for byte with the command-line tool's
// export, images by their kind and their failures.
#include <csignal>
#include <cstdlib>

#include <sys/resource.h>

#include <wx/dir.h>
#include <wx/filedlg.h>

#include "app/commands/ExportCommand.h"
#include "app/commands/ExportFile.h"
#include "app/commands/ExportImageCommand.h"
#include "app/dialogs/CSVExportOptionDlg.h"
#include "app/dialogs/ImageSizeSettingDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "support/GuiTestSupport.h"

namespace {

// The save dialog: checks the folder it opens in (when given), then the typed path with
// the filter chosen.
std::unique_ptr<wxModalExpectation> SaveAs(const wxString& path, int filter = 0,
                                           const wxString& opensIn = "", int answer = wxID_OK)
{
    return Dialog<wxFileDialog>([=](wxFileDialog* dlg) {
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
        Import(data);
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
    wxString data;
};

TEST_F(ExportCommandsTest, CsvHasTheCommandLineToolsBytes)
{
    // Typed name, the tool's arguments, filter, separator dialog's answer (0: none) and an
    // edit in the options dialog (exported: c, a; no X, no header).
    const std::tuple<const char*, const char*, int, wxChar, bool> rows[] = {
        {"out.csv", "", 0, 0, false},
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

// The kind follows the extension in any case; a name of another kind, a folder in the way
// or a full disk is reported and leaves the old file and no temporary one. (That the
// picture is the pane's, pixel for pixel, is the project tests' comparison with the
// command-line tool.)
TEST_F(ExportCommandsTest, ImageKindFollowsTheExtensionAndFailuresKeepTheOldFile)
{
    Run(RunExportImageCommand, InOrder(Box("No Data!"))); // series, but never drawn
    ShowRendered();
    const wxSize pane = frame->GetGraphPanel()->GraphWindow()->GetClientSize();
    Run(RunExportImageCommand, InOrder(Dialog<ImageSizeSettingDlg>([&](ImageSizeSettingDlg* dlg) {
            Send(dlg->GetSameSizeBox(), wxEVT_CHECKBOX, true); // the pane's size is offered
            EXPECT_EQ(wxSize(dlg->GetImageWidth(), dlg->GetImageHeight()), pane);
            return wxID_CANCEL;
        })));
    wxFileName::Mkdir(Path("folder.png"));
    const wxString old = Write("old.png", "old");
    // Typed, filter, the file written (nullptr: refused) and how it starts, or the failure.
    const std::tuple<const char*, int, const char*, const char*> rows[] = {
        {"a.Png", 2, "a.Png", "\x89PNG"},
        {"b.svg", 0, "b.svg", "<?xml"},
        {"c", 2, "c.pdf", "%PDF"},
        {"d.PS", 0, "d.PS", "%!PS"},
        {"e.jpg", 0, nullptr, "Can't export \"%s\": the name must end in .png, .svg, .pdf or .ps!"},
        {"folder.png", 0, nullptr, "Can't write \"%s\"!"},
        {"old.png", 0, nullptr, "Can't write \"%s\"!"}, // a full disk
    };
    for (const auto& [typed, filter, written, head] : rows) {
        SCOPED_TRACE(typed);
        frame->SetStatusMessage("");
        // No file may grow beyond 64 bytes on the full disk.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tiny = saved;
        tiny.rlim_cur = 64;
        const bool full = Path(typed) == old;
        const auto handler = std::signal(SIGXFSZ, full ? SIG_IGN : SIG_DFL);
        if (full)
            setrlimit(RLIMIT_FSIZE, &tiny);
        Expectations expected =
            InOrder(Answer<ImageSizeSettingDlg>(wxID_OK), SaveAs(Path(typed), filter));
        if (!written)
            expected.push_back(Box(wxString::Format(head, Path(typed))));
        Run(RunExportImageCommand, expected);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        EXPECT_EQ(Status(), written ? "Exporting the image is completed!" : "");
        EXPECT_EQ(ReadFile(written ? Path(written) : "").substr(0, written ? strlen(head) : 0),
                  written ? head : "");
    }
    EXPECT_EQ(ReadFile(old), "old");
    EXPECT_EQ(FileCount(), 6u) << "data.csv, old.png and four images; no temporary file";
    EXPECT_TRUE(wxDirExists(Path("folder.png")));

    frame->ResetProject();
    Run(RunExportImageCommand, InOrder(Box("No Data!")));
}

} // namespace
