// Project files in the window: save and open in a fresh window, the title, the question
// about a modified project, failures that leave the project as it was, and the CLI's
// picture of a saved project against the window's export of it.
#include <cstdlib>

#include <wx/filedlg.h>

#include "app/commands/ExportImageCommand.h"
#include "app/commands/ProjectCommand.h"
#include "app/dialogs/ImageSizeSettingDlg.h"
#include "app/panes/GraphPanel.h"
#include "formula/FormulaCalculator.h"
#include "project/ProjectFile.h"
#include "support/GuiTestSupport.h"

namespace {

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
    // Two files, a formula over the first, restyled, zoomed and with cursors.
    void MakeAnalysis()
    {
        Import(Write("a.csv", "t,v\n0,1\n1,3\n2,2\n3,5\n"));
        Import(Write("b.csv", "x,w\n0.5,10\n1.7,-4\n2.2,0\n"));
        FormulaCalculator calculator(&Project());
        calculator.SetFormula("y(1,x)-y(2,x)/10");
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
                       expectDialog ? InOrder(File(path)) : Expectations());
    }
    // Opens `path` in a new second window; `expected` are the dialogs on the way.
    void OpenInSecond(const wxString& path, const Expectations& expected = {})
    {
        delete second;
        second = new MainFrame(nullptr);
        RunWithDialogs([&] { EXPECT_TRUE(OpenProjectFile(*second, path)); }, expected);
    }
    MainFrame* second = nullptr;
};

// Saved and opened in a fresh window, the project is the same, and the command-line
// tool's picture of the file is the window's export of it, pixel for pixel.
TEST_F(ProjectCommandTest, SaveAndOpenInAFreshWindowAndTheCommandLinesPicture)
{
    MakeAnalysis();
    EXPECT_EQ(frame->GetTitle(), "*Untitled - Ardentine");
    const wxString path = Path("analysis.ardentine");
    Save(*frame, Path("analysis")); // the extension is added
    EXPECT_FALSE(frame->IsModified());
    EXPECT_EQ(frame->GetRecentFiles().GetHistoryFile(0), path);
    OpenInSecond(path);
    EXPECT_FALSE(second->IsModified());
    EXPECT_EQ(second->GetTitle(), "analysis - Ardentine");
    EXPECT_EQ(second->GetGraphPanel()->Cursors().GetX(1), 2.5);
    // Saved again without changes, with no dialog, it writes the same file: everything
    // saved came back.
    const std::string first = ReadFile(path);
    Save(*second, path, false);
    EXPECT_EQ(ReadFile(path), first);

    ShowRendered(second);
    const wxString window = Path("window.png"), cli = Path("cli.png");
    RunWithDialogs([&] { RunExportImageCommand(*second); },
                   InOrder(Answer<ImageSizeSettingDlg>(wxID_OK), File(window)));
    const std::string command = std::string("'") + ARDENTINE_CLI + "' plot --project '" +
                                path.utf8_string() + "' -o '" + cli.utf8_string() +
                                "' --size 640x480 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string picture = ReadFile(window);
    EXPECT_GT(picture.size(), 1000u);
    EXPECT_TRUE(picture == ReadFile(cli)); // (not printed: a PNG)
}

// Each row: a saved project modified by a zoom, a command, the answer to the question.
TEST_F(ProjectCommandTest, ModifiedProjectAsksSaveDiscardOrCancel)
{
    // The answer, whether the command went ahead (a new, unmodified project), whether the
    // file holds the zoom.
    const std::tuple<int, int, bool, bool> rows[] = {
        {ID_MENU_NEW_PROJECT, wxID_CANCEL, false, false},
        {ID_MENU_NEW_PROJECT, wxID_NO, true, false},
        {ID_MENU_NEW_PROJECT, wxID_YES, true, true},
        {ID_MENU_OPEN_PROJECT, wxID_NO, true, false},
    };
    const wxString path = Path("q.ardentine");
    for (const auto& [command, answer, goesOn, written] : rows) {
        SCOPED_TRACE(::testing::Message() << command << " " << answer);
        frame->ResetProject();
        MakeAnalysis();
        Save(*frame, path);
        const std::string saved = ReadFile(path);
        Project().ZoomX(1, 0.5);
        EXPECT_EQ(frame->GetTitle(), "*q - Ardentine");
        const bool open = command == ID_MENU_OPEN_PROJECT;
        Expectations expected =
            InOrder(SaveQuestion("q", open ? "Open Project" : "New Project", answer));
        if (open && goesOn)
            expected.push_back(File(path));
        RunWithDialogs([&, command = command] { Menu(command); }, expected);
        EXPECT_EQ(ReadFile(path) != saved, written);
        EXPECT_EQ(frame->IsModified(), !goesOn);
        EXPECT_EQ(Project().GetCount(), goesOn && !open ? 0 : 3);
    }
    // Exit: Cancel keeps the window; Save asks for the name first, then the close goes on.
    frame->ResetProject();
    MakeAnalysis();
    RunWithDialogs([&] { EXPECT_FALSE(frame->Close(false)); },
                   InOrder(SaveQuestion("Untitled", "Exit", wxID_CANCEL)));
    RunWithDialogs(
        [&] { EXPECT_TRUE(frame->Close(false)); },
        InOrder(SaveQuestion("Untitled", "Exit", wxID_YES), File(Path("exit.ardentine"))));
    EXPECT_TRUE(wxFileExists(Path("exit.ardentine")));
    PumpPending();
    frame = new MainFrame(nullptr); // the closed one is gone
}

// Failures keep the project as it was: a save that fails stays modified, a damaged project
// file opens nothing (which files are refused is the project tests'). A project whose data went
// missing opens the rest with one message naming the file, and stays modified.
TEST_F(ProjectCommandTest, FailuresLeaveTheProjectAsItWas)
{
    MakeAnalysis();
    const wxString bad = Path("taken.ardentine"); // a folder: nothing can replace it
    wxFileName::Mkdir(bad);
    RunWithDialogs([&] { EXPECT_FALSE(RunSaveProjectCommand(*frame, true)); },
                   InOrder(File(bad), Box("Can't save the project \"" + bad + "\"!")));
    EXPECT_EQ(frame->GetTitle(), "*Untitled - Ardentine");

    const wxString good = Path("good.ardentine");
    Save(*frame, good);
    const std::string text = ReadFile(good);
    const wxString range = RangeText(Project());
    const auto naming = [](const wxString& name) {
        return Dialog<wxMessageDialog>([=](wxMessageDialog* dlg) {
            EXPECT_NE(dlg->GetMessage().Find(name), wxNOT_FOUND) << dlg->GetMessage();
            return wxID_OK;
        });
    };
    const wxString truncated = Write("truncated.ardentine", text.substr(0, text.size() / 2));
    RunWithDialogs([&] { EXPECT_FALSE(OpenProjectFile(*frame, truncated)); },
                   InOrder(naming(truncated)));
    EXPECT_EQ(Project().GetCount(), 3);
    EXPECT_EQ(RangeText(Project()), range);
    EXPECT_EQ(frame->GetProjectPath(), good);
    wxRemoveFile(Path("b.csv"));
    OpenInSecond(good, InOrder(naming(Path("b.csv") + "\" (w)")));
    EXPECT_EQ(second->GetTitle(), "*good - Ardentine");
    EXPECT_EQ(second->GetProject()->GetCount(), 3);
}

// A project file named on the command line, dropped on the window or chosen among the
// recent files opens instead of being imported.
TEST_F(ProjectCommandTest, ProjectFilesOpenFromEveryEntrance)
{
    MakeAnalysis();
    const wxString path = Path("e.ardentine");
    Save(*frame, path);
    const wxArrayString files(1, &path);
    const std::function<void(MainFrame&)> rows[] = {
        [&](MainFrame& w) { ImportFilesAtStart(w, files, 0); },
        [&](MainFrame& w) { ImportDropTarget(w).OnDropFiles(0, 0, files); },
        [&](MainFrame& w) { RunRecentFileCommand(w, 0); },
    };
    for (const auto& open : rows) {
        delete second;
        second = new MainFrame(nullptr);
        RunWithDialogs(
            [&] {
                open(*second);
                PumpUntil([&] { return second->GetProject()->GetCount() == 3; });
            },
            {});
        EXPECT_EQ(second->GetProjectPath(), path);
        EXPECT_EQ(second->GetTitle(), "e - Ardentine");
    }
}

} // namespace
