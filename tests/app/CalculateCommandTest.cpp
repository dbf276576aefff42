#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/checklst.h>
#include <wx/statusbr.h>

#include "app/Application.h"
#include "app/MainFrame.h"
#include "app/Settings.h"
#include "app/commands/CalculateCommand.h"
#include "app/dialogs/CalculatorDlg.h"
#include "app/dialogs/ProgressDlg.h"
#include "app/panes/ProjectPanel.h"
#include "csv/FileUtil.h"
#include "model/GraphData.h"
#include "support/GuiTestSupport.h"

namespace {

std::shared_ptr<GraphData> MakeSeries(const char* label, DataX x, size_t count)
{
    auto dataY = CreateGraphDataY();
    dataY->raw.assign(count, 1.0);
    auto data = CreateGraphData(x, dataY);
    data->SetLabel(label);
    return data;
}

void Click(wxButton* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

wxButton* InsertButton(CalculatorDlg& dlg, const wxString& label)
{
    for (wxButton* button : dlg.GetInsertButtons())
        if (button->GetLabel() == label)
            return button;
    ADD_FAILURE() << "no button " << label.utf8_string();
    return nullptr;
}

class CalculatorDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { dlg = new CalculatorDlg(nullptr); }
    void TearDown() override { dlg->Destroy(); }

    std::shared_ptr<GraphProject> project = CreateGraphProject();
    CalculatorDlg* dlg = nullptr;
};

TEST_F(CalculatorDlgTest, DefaultsAndPalette)
{
    EXPECT_EQ(dlg->GetTitle(), "Calculator");
    EXPECT_EQ(dlg->GetNewLabel(), "NewData");
    EXPECT_EQ(dlg->GetXStart(), 0.0);
    EXPECT_EQ(dlg->GetXInterval(), 1.0);
    EXPECT_EQ(dlg->GetDataSize(), 1001);
    EXPECT_EQ(dlg->GetFormula(), "");
    wxString labels;
    for (wxButton* button : dlg->GetInsertButtons())
        labels += button->GetLabel() + " ";
    EXPECT_EQ(labels, "() ?: &&&& || ! < <= > >= == != + - * / % x i PI E y(n,x) Y(n,i) "
                      "sin(x) sinh(x) cos(x) cosh(x) tan(x) tanh(x) asin(x) acos(x) atan(x) "
                      "atan2(y,x) abs(x) round(x) ceil(x) floor(x) wrap(x) exp(x) log(x) "
                      "log10(x) pow(x,y) sqrt(x) rand() ");
    // OK and Cancel stay on a small screen.
    EXPECT_LE(dlg->GetSize().x, 1024);
    EXPECT_LE(dlg->GetSize().y, 700);
}

// The buttons write at the text cursor, wherever it is.
TEST_F(CalculatorDlgTest, InsertButtonsWriteAtTheCursor)
{
    const struct
    {
        const char* before;
        long cursor; // -1: at the end
        const char* button;
        const char* after;
    } rows[] = {
        {"", -1, "&&&&", "&&"},      {"1+", -1, "y(n,x)", "1+y(n,x)"}, {"sin()", 4, "x", "sin(x)"},
        {"a\nb", 1, "?:", "a?:\nb"}, {"", -1, "rand()", "rand()"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.button);
        wxTextCtrl* formula = dlg->GetFormulaText();
        formula->SetValue(row.before);
        formula->SetInsertionPoint(row.cursor < 0 ? formula->GetLastPosition() : row.cursor);
        Click(InsertButton(*dlg, row.button));
        EXPECT_EQ(dlg->GetFormula(), row.after);
    }
}

TEST_F(CalculatorDlgTest, EmptyProjectLeavesTheAxisAlone)
{
    dlg->SetProject(project.get());
    EXPECT_EQ(dlg->GetSeriesChoice()->GetCount(), 0u);
    Click(dlg->GetSameSizeButton());
    EXPECT_EQ(dlg->GetXStart(), 0.0);
    EXPECT_EQ(dlg->GetXInterval(), 1.0);
    EXPECT_EQ(dlg->GetDataSize(), 1001);
}

// The copy is exact, also where a value lies outside the controls' usual ranges.
TEST_F(CalculatorDlgTest, SetSameSizeAsCopiesTheSeriesAxisExactly)
{
    const struct
    {
        const char* label;
        DataX x;
        size_t count;
    } rows[] = {
        {"a", {0.1 + 0.2, 1.0 / 3.0}, 5}, {"b", {-3e8, 1e-12}, 3}, {"c", {1e9, 2e8}, 4},
        {"single", {7.25, 0.0}, 1}, // as the importer reads a one-line file
        {"falling", {10.0, -0.5}, 2},
    };
    for (const auto& row : rows)
        project->Add(MakeSeries(row.label, row.x, row.count));
    dlg->SetProject(project.get());
    wxComboBox* choice = dlg->GetSeriesChoice();
    ASSERT_EQ(choice->GetCount(), std::size(rows));
    EXPECT_EQ(choice->GetSelection(), int(std::size(rows)) - 1);
    for (int k = std::size(rows) - 1; k >= 0; --k) {
        SCOPED_TRACE(rows[k].label);
        EXPECT_EQ(choice->GetString(k), rows[k].label);
        choice->SetSelection(k);
        Click(dlg->GetSameSizeButton());
        EXPECT_EQ(dlg->GetXStart(), rows[k].x.start);
        EXPECT_EQ(dlg->GetXInterval(), rows[k].x.interval);
        EXPECT_EQ(dlg->GetDataSize(), int(rows[k].count));
        EXPECT_TRUE(dlg->Validate()); // the widened ranges accept what was copied
    }
    dlg->SetDataSize(150000000); // more points than the control usually takes
    EXPECT_EQ(dlg->GetDataSize(), 150000000);
}

// The text a copied value is shown with: %g's choice of notation, as few digits as read
// back exactly.
TEST(FormatExactNumber, ShortestTextThatReadsBack)
{
    const std::pair<double, const char*> rows[] = {
        {0.0005, "0.0005"},
        {1e-12, "1e-12"},
        {1.0 / 3.0, "0.3333333333333333"},
        {1e8, "100000000"},
        {200000, "200000"},
        {-4.5, "-4.5"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e20, "1e+20"},
        {-1e-10, "-1e-10"},
    };
    for (const auto& [value, text] : rows)
        EXPECT_EQ(FormatExactNumber(value), text);
}

// What is typed reaches the calculator unrounded; OK refuses what is no number or out of
// range, the interval below 1e-10 included.
TEST_F(CalculatorDlgTest, NumbersAreReadAsTypedWithinTheirRanges)
{
    const wxString startRange = "\"X Start\" must be a number from -100000000 to 100000000!";
    const wxString intervalRange = "\"X Interval\" must be a number from 1e-10 to 100000000!";
    const struct
    {
        const char* start;
        const char* interval;
        wxString refusal; // empty: accepted
    } rows[] = {
        {"2.5", "0.001", ""},           {"-1e8", "1e-10", ""},         {"1E+8", "1e8", ""},
        {"0", "0", intervalRange},      {"0", "9e-11", intervalRange}, {"0", "-1", intervalRange},
        {"100000001", "1", startRange}, {"1e", "1", startRange},       {"", "1", startRange},
        {"0", "--1", intervalRange},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.start) + " " + row.interval);
        dlg->GetXStartText()->SetValue(row.start);
        dlg->GetXIntervalText()->SetValue(row.interval);
        bool valid = false;
        if (row.refusal.empty()) {
            valid = dlg->Validate();
            EXPECT_EQ(dlg->GetXStart(), std::strtod(row.start, nullptr));
            EXPECT_EQ(dlg->GetXInterval(), std::strtod(row.interval, nullptr));
        } else {
            wxTEST_DIALOG(valid = dlg->Validate(), ExpectMessageBox(row.refusal, "Error", wxID_OK));
        }
        EXPECT_EQ(valid, row.refusal.empty());
    }
}

// The command in the main window, the progress dialog running for real.
class CalculateCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new MainFrame(nullptr);
        Config()->DeleteEntry(SETTING_CALCULATOR_FORMULA.key);
    }
    void TearDown() override { delete frame; }

    static wxConfigBase* Config() { return Application::GetInstance().GetConfig(); }
    static wxString SavedFormula() { return Config()->Read(SETTING_CALCULATOR_FORMULA.key); }
    GraphProject& Project() { return *frame->GetProject(); }
    wxString Status() const { return frame->GetStatusBar()->GetStatusText(0); }
    wxString Range()
    {
        const PlotRange r = Project().GetPlotRange();
        return wxString::Format("%g %g %g %g", r.minX, r.maxX, r.minY, r.maxY);
    }
    void Run(const Expectations& expected)
    {
        RealModalScope allow;
        RunWithDialogs([&] { RunCalculateCommand(*frame); }, expected);
    }

    MainFrame* frame = nullptr;
};

std::unique_ptr<wxModalExpectation> Calculator(std::function<int(CalculatorDlg*)> act)
{
    return std::make_unique<ExpectDialog<CalculatorDlg>>(std::move(act));
}
// The calculator dialog with `formula` typed and OK pressed.
std::unique_ptr<wxModalExpectation> Formula(const char* formula)
{
    return Calculator([=](CalculatorDlg* dlg) {
        dlg->GetFormulaText()->SetValue(formula);
        return wxID_OK;
    });
}
// The progress dialog runs for real; a successful run shows it twice (the values, then the
// mipmap).
std::unique_ptr<wxModalExpectation> Progress(std::function<void(ProgressDlg*)> act = nullptr)
{
    return std::make_unique<ExpectDialog<ProgressDlg>>([=](ProgressDlg* dlg) {
        if (act)
            act(dlg);
        return RUN_MODAL_FOR_REAL;
    });
}
std::unique_ptr<wxModalExpectation> ErrorBox(const wxString& text)
{
    return std::make_unique<ExpectMessageBox>(text, "Error", wxID_OK);
}

TEST_F(CalculateCommandTest, DefaultsGiveNewDataAndAFirstSeriesIsFitted)
{
    frame->SetStatusMessage("");
    Run(InOrder(Calculator([](CalculatorDlg* dlg) {
                    EXPECT_EQ(dlg->GetFormula(), ""); // nothing saved yet
                    dlg->GetFormulaText()->SetValue("x");
                    return wxID_OK;
                }),
                Progress(), Progress()));
    ASSERT_EQ(Project().GetCount(), 1);
    const auto data = Project().GetItem(0);
    EXPECT_EQ(data->GetLabel(), "NewData");
    EXPECT_EQ(data->GetCount(), 1001u);
    double minX = 0, maxX = 0;
    ASSERT_TRUE(data->GetRangeX(minX, maxX));
    EXPECT_EQ(wxString::Format("%g %g", minX, maxX), "0 1000");
    EXPECT_FALSE(data->GetDataY()->mipmap.empty()); // 1001 points over the resolution 512
    EXPECT_EQ(Range(), "0 1000 0 1000");
    EXPECT_EQ(Status(), "Calculating the image is completed!");
    EXPECT_EQ(SavedFormula(), "x");
    EXPECT_EQ(frame->GetProjectPanel()->GetCheckList()->GetString(0), "[01]NewData");

    // The saved formula comes back; a second series leaves the view alone.
    Run(InOrder(Calculator([](CalculatorDlg* dlg) {
                    EXPECT_EQ(dlg->GetFormula(), "x");
                    EXPECT_EQ(dlg->GetSeriesChoice()->GetSelection(), 0);
                    dlg->GetFormulaText()->SetValue("y(1,x)*2");
                    return wxID_OK;
                }),
                Progress(), Progress()));
    ASSERT_EQ(Project().GetCount(), 2);
    EXPECT_EQ(Project().GetItem(1)->GetDataY()->raw[10], 20.0);
    EXPECT_EQ(Range(), "0 1000 0 1000");
}

TEST_F(CalculateCommandTest, TypedFractionsReachTheCalculatorExactly)
{
    Run(InOrder(Calculator([](CalculatorDlg* dlg) {
                    dlg->GetLabelText()->SetValue("fine");
                    dlg->GetXStartText()->SetValue("2.5");
                    dlg->GetXIntervalText()->SetValue("0.001");
                    dlg->GetDataSizeSpin()->SetValue(3);
                    dlg->GetFormulaText()->SetValue("x");
                    return wxID_OK;
                }),
                Progress(), Progress()));
    ASSERT_EQ(Project().GetCount(), 1);
    EXPECT_EQ(Project().GetItem(0)->GetDataX(), (DataX{2.5, 0.001}));
    const auto& raw = Project().GetItem(0)->GetDataY()->raw;
    EXPECT_EQ(std::vector<double>(raw.begin(), raw.end()),
              (std::vector<double>{2.5, 2.5 + 0.001, 2.5 + 2 * 0.001}));
}

// A formula error brings the dialog back with everything kept and the cursor at the
// fault; the formula is saved only once it compiles.
TEST_F(CalculateCommandTest, FormulaErrorShowsTheDialogAgain)
{
    const wxString bad = "1+\n(2*";
    const wxString message = wxString::FromUTF8("数式のパースに失敗しました (1 行, 2 列)!");
    Run(InOrder(Calculator([&](CalculatorDlg* dlg) {
                    dlg->GetLabelText()->SetValue("kept");
                    dlg->GetXStartText()->SetValue("-4.5");
                    dlg->GetXIntervalText()->SetValue("0.25");
                    dlg->GetDataSizeSpin()->SetValue(9);
                    dlg->GetFormulaText()->SetValue(bad);
                    return wxID_OK;
                }),
                ErrorBox(message), Calculator([&](CalculatorDlg* dlg) {
                    EXPECT_EQ(SavedFormula(), ""); // the default, recorded when read
                    EXPECT_EQ(dlg->GetNewLabel(), "kept");
                    EXPECT_EQ(dlg->GetXStart(), -4.5);
                    EXPECT_EQ(dlg->GetXInterval(), 0.25);
                    EXPECT_EQ(dlg->GetDataSize(), 9);
                    EXPECT_EQ(dlg->GetFormula(), bad);
                    long column = -1, line = -1;
                    dlg->GetFormulaText()->PositionToXY(dlg->GetFormulaText()->GetInsertionPoint(),
                                                        &column, &line);
                    EXPECT_EQ(wxString::Format("%ld %ld", line, column), "1 2");
                    dlg->GetFormulaText()->SetValue("1+\n(2*i)");
                    return wxID_OK;
                }),
                Progress(), Progress()));
    EXPECT_EQ(SavedFormula(), "1+\n(2*i)");
    ASSERT_EQ(Project().GetCount(), 1);
    EXPECT_EQ(Project().GetItem(0)->GetLabel(), "kept");
    EXPECT_EQ(Project().GetItem(0)->GetDataX(), (DataX{-4.5, 0.25}));
    EXPECT_EQ(Project().GetItem(0)->GetDataY()->raw[8], 17.0);

    // Cancel after an error: nothing added, nothing saved.
    Run(InOrder(Formula("sin("),
                ErrorBox(wxString::FromUTF8("数式のパースに失敗しました (0 行, 3 列)!")),
                Calculator([](CalculatorDlg*) { return wxID_CANCEL; })));
    EXPECT_EQ(Project().GetCount(), 1);
    EXPECT_EQ(SavedFormula(), "1+\n(2*i)");
}

// Failures and cancels leave the project as it was, with the message the user must see
// (none for a cancel).
TEST_F(CalculateCommandTest, FailuresAndCancelsChangeNothing)
{
    const int64_t available = GetAvailableMemory();
    const bool hugeFits = available < 0 || available > (int64_t(52) << 30);
    const struct
    {
        const char* name;
        std::function<int(CalculatorDlg*)> dialog;
        bool progress;
        const char* error; // empty: no message box
        const char* saved;
    } rows[] = {
        {"cancel in the dialog", [](CalculatorDlg*) { return wxID_CANCEL; }, false, "", ""},
        {"division by zero",
         [](CalculatorDlg* dlg) {
             dlg->SetFormula("1/(x-500)");
             return wxID_OK;
         },
         true, "Zero division!.", "1/(x-500)"},
        {"interval 0 past the validator",
         [](CalculatorDlg* dlg) {
             dlg->SetFormula("x");
             dlg->GetXIntervalText()->SetValue("0");
             return wxID_OK;
         },
         false, "The X interval must not be 0!", "x"},
        {"more than memory holds",
         [](CalculatorDlg* dlg) {
             dlg->SetFormula("x");
             dlg->SetDataSize(INT32_MAX); // 2^31-1 points and their mipmap: about 51 GB
             return wxID_OK;
         },
         false, "Failed to allocate memory in the calculation process!", "x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (hugeFits && std::string(row.name) == "more than memory holds")
            continue;
        Config()->DeleteEntry(SETTING_CALCULATOR_FORMULA.key);
        frame->SetStatusMessage("");
        Expectations expected;
        expected.push_back(Calculator(row.dialog));
        if (row.progress)
            expected.push_back(Progress());
        if (*row.error)
            expected.push_back(ErrorBox(row.error));
        Run(expected);
        EXPECT_EQ(Project().GetCount(), 0);
        EXPECT_FALSE(frame->IsModified()); // no notification at all
        EXPECT_EQ(Status(), "");
        EXPECT_EQ(SavedFormula(), row.saved);
    }
}

TEST_F(CalculateCommandTest, CancelInTheProgressDialogAddsNothing)
{
    frame->SetStatusMessage("");
    Run(InOrder(
        Calculator([](CalculatorDlg* dlg) {
            dlg->SetFormula("sin(x)*exp(-x/1000)");
            dlg->SetDataSize(20000000);
            return wxID_OK;
        }),
        Progress([](ProgressDlg* dlg) {
            // Pressed as soon as the modal loop runs, long before 20M points are done.
            dlg->CallAfter([dlg] { Click(dlg->GetCancelButton()); });
        }),
        // Should the click come late, the mipmap stage sees the cancel instead.
        std::make_unique<ExpectDialog<ProgressDlg>>(ExpectDialog<ProgressDlg>([](ProgressDlg*) {
                                                        return RUN_MODAL_FOR_REAL;
                                                    }).Optional())));
    EXPECT_EQ(Project().GetCount(), 0);
    EXPECT_FALSE(frame->IsModified());
    EXPECT_EQ(Status(), "");
}

} // namespace
