// Project files in the window: save and open in a fresh window, the title, the question
// about a modified project, failures that leave the project as it was, and the CLI's
// picture of a saved project against the window's export of it.
#include <cstdlib>
#include <cstring>

#include <wx/filedlg.h>

#include "app/commands/ExportImageCommand.h"
#include "app/commands/ImportCommand.h"
#include "app/commands/ProjectCommand.h"
#include "app/dialogs/ImageSizeSettingDlg.h"
#include "app/panes/GraphPanel.h"
#include "formula/FormulaCalculator.h"
#include "project/ProjectFile.h"
#include "support/GuiTestSupport.h"

namespace {

std::unique_ptr<wxModalExpectation> FileDialog(const wxString& path, int answer = wxID_OK)
{
    return Dialog<wxFileDialog>([=](wxFileDialog* dlg) {
        dlg->SetPath(path);
        return answer;
    });
}

// The Save / Discard / Cancel question, answered.
std::unique_ptr<wxModalExpectation> SaveQuestion(const wxString& name, const wxString& caption,
                                                 int answer)
{
    return Box("Do you want to save the changes to \"" + name + "\"?", caption, answer);
}

class ProjectCommandTest : public CommandTest
{
protected:
    void TearDown() override
    {
        delete second;
        CommandTest::TearDown();
    }
    void Menu(MainFrame& window, int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(&window);
        window.ProcessWindowEvent(event);
    }
    // Two files, a formula over the first, restyled, zoomed and with cursors.
    void MakeAnalysis()
    {
        const wxString a = Write("a.csv", "t,v\n0,1\n1,3\n2,2\n3,5\n");
        const wxString b = Write("b.csv", "x,w\n0.5,10\n1.7,-4\n2.2,0\n");
        RunWithDialogs(
            [&] {
                EXPECT_TRUE(ImportFileWithSeparator(*frame, a, ',', false));
                EXPECT_TRUE(ImportFileWithSeparator(*frame, b, ',', false));
            },
            {});
        FormulaCalculator calculator(&Project());
        calculator.SetFormula("y(1,x)-y(2,x)/10");
        calculator.SetLabel("diff");
        calculator.SetDataX(DataX{0, 0.5});
        calculator.SetSize(7);
        ASSERT_TRUE(calculator.Compile());
        ASSERT_EQ(calculator.Run(512, nullptr), ResultCode::SUCCESS);
        Project().GetItem(1)->SetLineStyle(LineStyle{3, Colour(200, 0, 0)});
        Project().GetItem(0)->SetVisible(false);
        ProjectProperty property = Project().GetProperty();
        property.legendVisible = true;
        Project().SetProperty(property);
        Project().SetPlotRange(0.25, 2.75, -2, 6);
        frame->SetCursors(SavedCursors{true, {0.5, 2.5}});
    }
    void Save(MainFrame& window, const wxString& path, bool expectDialog = true)
    {
        RunWithDialogs([&] { EXPECT_TRUE(RunSaveProjectCommand(window, false)); },
                       expectDialog ? InOrder(FileDialog(path)) : Expectations());
    }

    MainFrame* second = nullptr;
};

TEST_F(ProjectCommandTest, SaveAndOpenInAFreshWindow)
{
    MakeAnalysis();
    EXPECT_EQ(frame->GetTitle(), "*Untitled - Ardentine");
    const wxString path = Path("analysis.ardentine");
    Save(*frame, Path("analysis")); // the extension is added
    EXPECT_FALSE(frame->IsModified());
    EXPECT_EQ(frame->GetTitle(), "analysis - Ardentine");
    EXPECT_EQ(frame->GetRecentFiles().GetHistoryFile(0), path);

    second = new MainFrame(nullptr);
    RunWithDialogs([&] { EXPECT_TRUE(OpenProjectFile(*second, path)); }, {});
    EXPECT_EQ(second->GetTitle(), "analysis - Ardentine");
    EXPECT_FALSE(second->IsModified());
    const GraphProject &before = Project(), &after = *second->GetProject();
    ASSERT_EQ(after.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(after.GetItem(i)->GetLabel(), before.GetItem(i)->GetLabel());
        EXPECT_EQ(after.GetItem(i)->IsVisible(), before.GetItem(i)->IsVisible());
        EXPECT_EQ(after.GetItem(i)->GetLineStyle(), before.GetItem(i)->GetLineStyle());
        EXPECT_EQ(after.GetItem(i)->GetCount(), before.GetItem(i)->GetCount());
    }
    EXPECT_EQ(after.GetProperty(), before.GetProperty());
    EXPECT_EQ(RangeText(after), RangeText(before));
    EXPECT_TRUE(second->GetGraphPanel()->Cursors().IsShown());
    EXPECT_EQ(second->GetGraphPanel()->Cursors().GetX(0), 0.5);
    EXPECT_EQ(second->GetGraphPanel()->Cursors().GetX(1), 2.5);

    // A save without changes writes the same file, with no dialog.
    const std::string first = ReadFile(path);
    Save(*second, path, false);
    EXPECT_EQ(ReadFile(path), first);
}

// The window's image export of an opened project and the command-line tool's picture of
// the same file, pixel for pixel.
TEST_F(ProjectCommandTest, CommandLinePictureIsTheWindowsExport)
{
    MakeAnalysis();
    const wxString path = Path("p.ardentine");
    Save(*frame, path);
    second = new MainFrame(nullptr);
    RunWithDialogs([&] { EXPECT_TRUE(OpenProjectFile(*second, path)); }, {});
    second->Show();
    wxWindow* pane = second->GetGraphPanel()->GraphWindow();
    ASSERT_TRUE(PumpUntil([&] {
        pane->Refresh(false);
        pane->Update();
        return second->GetGraphPanel()->IsRendered();
    }));
    const wxString window = Path("window.png"), cli = Path("cli.png");
    RunWithDialogs([&] { RunExportImageCommand(*second); },
                   InOrder(Answer<ImageSizeSettingDlg>(wxID_OK), FileDialog(window)));
    const std::string command = std::string("'") + ARDENTINE_CLI + "' plot --project '" +
                                path.utf8_string() + "' -o '" + cli.utf8_string() +
                                "' --size 640x480 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    cairo_surface_t* a = cairo_image_surface_create_from_png(window.utf8_str());
    cairo_surface_t* b = cairo_image_surface_create_from_png(cli.utf8_str());
    ASSERT_EQ(cairo_image_surface_get_width(a), 640);
    ASSERT_EQ(cairo_image_surface_get_width(b), 640);
    ASSERT_EQ(cairo_image_surface_get_height(b), 480);
    EXPECT_EQ(std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b),
                          size_t(cairo_image_surface_get_stride(a)) * 480),
              0);
    cairo_surface_destroy(a);
    cairo_surface_destroy(b);
}

// Each row: a saved project modified by a zoom, a command, the answer to the question.
TEST_F(ProjectCommandTest, ModifiedProjectAsksSaveDiscardOrCancel)
{
    const struct
    {
        const char* name;
        int command;
        int answer;
        bool goesOn;  // the command went ahead (a new, unmodified project)
        bool written; // the file holds the zoom
    } rows[] = {
        {"new, cancel", ID_MENU_NEW_PROJECT, wxID_CANCEL, false, false},
        {"new, discard", ID_MENU_NEW_PROJECT, wxID_NO, true, false},
        {"new, save", ID_MENU_NEW_PROJECT, wxID_YES, true, true},
        {"open, cancel", ID_MENU_OPEN_PROJECT, wxID_CANCEL, false, false},
        {"open, discard", ID_MENU_OPEN_PROJECT, wxID_NO, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const wxString path = Path("q.ardentine");
        frame->ResetProject();
        MakeAnalysis();
        Save(*frame, path);
        const std::string saved = ReadFile(path);
        Project().ZoomX(1, 0.5);
        EXPECT_EQ(frame->GetTitle(), "*q - Ardentine");
        const wxString caption =
            row.command == ID_MENU_NEW_PROJECT ? "New Project" : "Open Project";
        Expectations expected = InOrder(SaveQuestion("q", caption, row.answer));
        if (row.command == ID_MENU_OPEN_PROJECT && row.goesOn)
            expected.push_back(FileDialog(path));
        RunWithDialogs([&] { Menu(*frame, row.command); }, expected);
        EXPECT_EQ(ReadFile(path) != saved, row.written);
        EXPECT_EQ(frame->IsModified(), !row.goesOn);
        EXPECT_EQ(Project().GetCount(), row.goesOn && row.command == ID_MENU_NEW_PROJECT ? 0 : 3);
    }
}

TEST_F(ProjectCommandTest, ExitOfAModifiedProjectCanBeCancelled)
{
    MakeAnalysis();
    RunWithDialogs([&] { EXPECT_FALSE(frame->Close(false)); },
                   InOrder(SaveQuestion("Untitled", "Exit", wxID_CANCEL)));
    EXPECT_TRUE(frame->IsModified());
    // Save, with the name asked for first: the close goes on.
    RunWithDialogs(
        [&] { EXPECT_TRUE(frame->Close(false)); },
        InOrder(SaveQuestion("Untitled", "Exit", wxID_YES), FileDialog(Path("exit.ardentine"))));
    EXPECT_TRUE(wxFileExists(Path("exit.ardentine")));
    PumpPending();
    frame = new MainFrame(nullptr); // the closed one is gone
}

// Failures keep the project as it was: a save that fails stays modified, a damaged or
// newer project file opens nothing.
TEST_F(ProjectCommandTest, FailuresLeaveTheProjectAsItWas)
{
    MakeAnalysis();
    // A folder where the file should go: nothing can replace it.
    const wxString bad = Path("taken.ardentine");
    wxFileName::Mkdir(bad);
    RunWithDialogs([&] { EXPECT_FALSE(RunSaveProjectCommand(*frame, true)); },
                   InOrder(FileDialog(bad), Box("Can't save the project \"" + bad + "\"!")));
    EXPECT_TRUE(frame->IsModified());
    EXPECT_EQ(frame->GetTitle(), "*Untitled - Ardentine");

    const wxString good = Path("good.ardentine");
    Save(*frame, good);
    const std::string text = ReadFile(good);
    const wxString truncated = Write("truncated.ardentine", text.substr(0, text.size() / 2));
    std::string newer = text;
    newer.replace(newer.find("\"version\": 1"), 12, "\"version\": 9");
    const wxString later = Write("later.ardentine", newer);
    const wxString range = RangeText(Project());
    for (const wxString& path : {truncated, later}) {
        RunWithDialogs([&] { EXPECT_FALSE(OpenProjectFile(*frame, path)); },
                       InOrder(Dialog<wxMessageDialog>([&](wxMessageDialog* dlg) {
                           EXPECT_NE(dlg->GetMessage().Find(path), wxNOT_FOUND);
                           return wxID_OK;
                       })));
        EXPECT_EQ(Project().GetCount(), 3);
        EXPECT_EQ(RangeText(Project()), range);
        EXPECT_EQ(frame->GetProjectPath(), good);
    }
}

// A project whose data went missing: one message names the file, the rest opens, and the
// project stays modified.
TEST_F(ProjectCommandTest, MissingFileIsNamedAndTheProjectStaysModified)
{
    MakeAnalysis();
    const wxString path = Path("m.ardentine");
    Save(*frame, path);
    wxRemoveFile(Path("b.csv"));
    second = new MainFrame(nullptr);
    RunWithDialogs([&] { EXPECT_TRUE(OpenProjectFile(*second, path)); },
                   InOrder(Dialog<wxMessageDialog>([&](wxMessageDialog* dlg) {
                       EXPECT_NE(dlg->GetMessage().Find(Path("b.csv")), wxNOT_FOUND);
                       EXPECT_NE(dlg->GetMessage().Find("(w)"), wxNOT_FOUND);
                       return wxID_OK;
                   })));
    EXPECT_TRUE(second->IsModified());
    EXPECT_EQ(second->GetTitle(), "*m - Ardentine");
    EXPECT_EQ(second->GetProject()->GetCount(), 3);
}

// A project file named on the command line, dropped on the window or chosen among the
// recent files opens instead of being imported.
TEST_F(ProjectCommandTest, ProjectFilesOpenFromEveryEntrance)
{
    MakeAnalysis();
    const wxString path = Path("e.ardentine");
    Save(*frame, path);
    const struct
    {
        const char* name;
        std::function<void(MainFrame&)> open;
    } rows[] = {
        {"command line", [&](MainFrame& w) { ImportFilesAtStart(w, wxArrayString(1, &path), 0); }},
        {"drop",
         [&](MainFrame& w) { ImportDropTarget(w).OnDropFiles(0, 0, wxArrayString(1, &path)); }},
        {"recent files", [&](MainFrame& w) { RunRecentFileCommand(w, 0); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        delete second;
        second = new MainFrame(nullptr);
        RunWithDialogs(
            [&] {
                row.open(*second);
                PumpUntil([&] { return second->GetProject()->GetCount() == 3; });
            },
            {});
        EXPECT_EQ(second->GetProjectPath(), path);
        EXPECT_EQ(second->GetTitle(), "e - Ardentine");
    }
}

} // namespace
