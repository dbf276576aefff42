// The Calculate command in the main window, the progress dialogs running for real.
#include <climits>
#include <cstdio>
#include <optional>

#include <sys/resource.h>
#include <unistd.h>

#include <wx/checklst.h>

#include "app/Application.h"
#include "app/Settings.h"
#include "app/commands/CalculateCommand.h"
#include "app/dialogs/CalculatorDlg.h"
#include "app/panes/ProjectPanel.h"
#include "app/panes/PropertyPanel.h"
#include "base/FileUtil.h"
#include "csv/CSVImportOption.h"
#include "support/ModelTestUtil.h"
#include "support/GuiTestSupport.h"

namespace {

class CalculateCommandTest : public CommandTest
{
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        Config()->DeleteEntry(SETTING_CALCULATOR_FORMULA.key);
        frame->SetStatusMessage("");
    }

    static wxConfigBase* Config() { return Application::GetInstance().GetConfig(); }
    static wxString SavedFormula() { return Config()->Read(SETTING_CALCULATOR_FORMULA.key); }
    void Run(const Expectations& expected)
    {
        RunWithDialogs([&] { RunCalculateCommand(*frame); }, expected);
    }
};

// The calculator dialog showing `shown` as its formula; `typed` replaces it, then OK.
std::unique_ptr<wxModalExpectation> Formula(const wxString& shown, const wxString& typed)
{
    return Dialog<CalculatorDlg>([=](CalculatorDlg* dlg) {
        EXPECT_EQ(dlg->GetFormula(), shown);
        dlg->GetFormulaText()->SetValue(typed);
        return wxID_OK;
    });
}

TEST_F(CalculateCommandTest, DefaultsGiveNewDataAndAFirstSeriesIsFitted)
{
    Run(InOrder(Formula("", "x"))); // nothing saved yet
    ASSERT_EQ(Project().GetCount(), 1);
    const auto data = Project().GetItem(0);
    EXPECT_EQ(wxString::Format("%s %zu %g+%g", data->GetLabel(), data->GetCount(),
                               data->GetDataX().start, data->GetDataX().interval),
              "NewData 1001 0+1");
    EXPECT_EQ(data->GetDataY()->mipmapLevels, 1); // 1001 points over the resolution 512
    EXPECT_EQ(Range(), "0 1000 0 1000");
    EXPECT_EQ(Status(), "Calculating the image is completed!");
    EXPECT_EQ(SavedFormula(), "x");
    EXPECT_EQ(frame->GetProjectPanel()->GetCheckList()->GetString(0), "[01]NewData");

    // The saved formula comes back; a second series leaves the view alone.
    Run(InOrder(Formula("x", "y(1,x)*2")));
    ASSERT_EQ(Project().GetCount(), 2);
    EXPECT_EQ(Project().GetItem(1)->GetDataY()->raw[10], 20.0);
    EXPECT_EQ(Range(), "0 1000 0 1000");
}

// log(x-500) is -inf at x = 500 (and NaN below): the fit, View > Fit and the data range
// take the finite values, where one -inf used to leave an empty graph without labels. A
// series of infinities only changes none of them.
TEST_F(CalculateCommandTest, InfinitiesLeaveTheFitFinite)
{
    const auto fit = [&] {
        wxCommandEvent event(wxEVT_MENU, ID_MENU_FIT);
        frame->ProcessWindowEvent(event);
    };
    const auto dataRange = [&] {
        const wxPGProperty* p =
            frame->GetPropertyPanel()->GetPropGrid()->GetPropertyByName("DataRange");
        return p ? p->GetValueAsString() : wxString("<none>");
    };
    Run(InOrder(Formula("", "log(x-500)")));
    EXPECT_EQ(Range(), "0 1000 0 6.21461");
    Project().SetPlotRange(-5, 5, -5, 5);
    fit();
    EXPECT_EQ(Range(), "0 1000 0 6.21461");
    EXPECT_EQ(dataRange(), "0; 1000; 0; 6.214608098422191");

    Run(InOrder(Dialog<CalculatorDlg>([&](CalculatorDlg* dlg) {
        dlg->GetXStartText()->SetValue("-3000");
        dlg->GetFormulaText()->SetValue("log(x*0)");
        return wxID_OK;
    })));
    ASSERT_EQ(Project().GetCount(), 2);
    EXPECT_EQ(Project().GetItem(1)->GetDataY()->raw[7], -INFINITY);
    Project().SetPlotRange(-5, 5, -5, 5);
    fit();
    EXPECT_EQ(Range(), "0 1000 0 6.21461");
    EXPECT_EQ(dataRange(), "0; 1000; 0; 6.214608098422191");
}

// A formula error brings the dialog back with everything kept and the cursor at the
// fault; the formula is saved only once it compiles. Typed fractions arrive unrounded.
TEST_F(CalculateCommandTest, FormulaErrorShowsTheDialogAgain)
{
    const wxString bad = "1+\n(2*";
    Run(InOrder(Dialog<CalculatorDlg>([&](CalculatorDlg* dlg) {
                    dlg->GetLabelText()->SetValue("kept");
                    dlg->GetXStartText()->SetValue("2.5");
                    dlg->GetXIntervalText()->SetValue("0.001");
                    dlg->GetDataSizeSpin()->SetValue(9);
                    dlg->GetFormulaText()->SetValue(bad);
                    return wxID_OK;
                }),
                Box("Failed to parse the formula (line 2, column 4): unexpected end of the "
                    "formula!",
                    "Error"),
                Dialog<CalculatorDlg>([&](CalculatorDlg* dlg) {
                    EXPECT_EQ(SavedFormula(), ""); // the default, recorded when read
                    EXPECT_EQ(wxString::Format("%s %g %g %d", dlg->GetNewLabel(), dlg->GetXStart(),
                                               dlg->GetXInterval(), dlg->GetDataSize()),
                              "kept 2.5 0.001 9");
                    EXPECT_EQ(dlg->GetFormula(), bad);
                    long column = -1, line = -1;
                    dlg->GetFormulaText()->PositionToXY(dlg->GetFormulaText()->GetInsertionPoint(),
                                                        &column, &line);
                    EXPECT_EQ(wxString::Format("%ld %ld", line, column), "1 3"); // after "*"
                    dlg->GetFormulaText()->SetValue("1+\n(2*x)");
                    return wxID_OK;
                })));
    EXPECT_EQ(SavedFormula(), "1+\n(2*x)");
    EXPECT_EQ(Series(), (Rows{"kept 2.5+0.001: 6 6.002 6.004 6.006 6.008 6.01 6.012 6.014 6.016"}));
    ASSERT_EQ(Project().GetCount(), 1);
    EXPECT_EQ(Project().GetItem(0)->GetDataX(), (DataX{2.5, 0.001})); // unrounded
}

// A constant series number the project lacks is refused in the dialog, the cursor on its
// call (it gave a series of zeros).
TEST_F(CalculateCommandTest, MissingSeriesIsRefusedWithTheCursorOnItsCall)
{
    Project().Add(MakeSeries({1.0, 2.0}));
    Run(InOrder(Formula("", "x +\n  y(2, x)"),
                Box("There is no series 2: the project has 1 series!", "Error"),
                Dialog<CalculatorDlg>([&](CalculatorDlg* dlg) {
                    long column = -1, line = -1;
                    dlg->GetFormulaText()->PositionToXY(dlg->GetFormulaText()->GetInsertionPoint(),
                                                        &column, &line);
                    EXPECT_EQ(wxString::Format("%ld %ld", line, column), "1 2");
                    dlg->GetFormulaText()->SetValue("x +\n  y(1, x)");
                    return wxID_OK;
                })));
    ASSERT_EQ(Project().GetCount(), 2);
    EXPECT_EQ(SavedFormula(), "x +\n  y(1, x)");
}

// Lowers the process's address-space limit to `extra` bytes above what it maps now, for
// the life of the object.
class AddressSpaceLimit
{
public:
    explicit AddressSpaceLimit(int64_t extra)
    {
        getrlimit(RLIMIT_AS, &m_saved);
        long long pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%lld", &pages) != 1)
                pages = 0;
            std::fclose(statm);
        }
        rlimit lowered = m_saved;
        lowered.rlim_cur = rlim_t(pages * sysconf(_SC_PAGESIZE) + extra);
        setrlimit(RLIMIT_AS, &lowered);
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &m_saved); }

private:
    rlimit m_saved;
};

// Failures and cancels leave the project as it was (not even a notification) and the
// formula unsaved unless it compiled; the user sees the message, none for a cancel.
TEST_F(CalculateCommandTest, FailuresAndCancelsChangeNothing)
{
    enum Stop
    {
        DIALOG,   // in the calculator dialog: Cancel, or a formula that does not compile
        LATER,    // refused before computing or failed while computing
        PROGRESS, // Cancel in the progress dialog
    };
    // Formula, X interval, points, where it stops, the message (empty: none).
    const std::tuple<const char*, const char*, int, Stop, const char*> rows[] = {
        {"x", "1", 1001, DIALOG, ""},
        {"sin(", "1", 1001, DIALOG,
         "Failed to parse the formula (line 1, column 5): unexpected end of the formula!"},
        {"y(1, x)", "1", 1001, DIALOG, "There is no series 1: the project has 0 series!"},
        {"1/(x-500)", "1", 1001, LATER, "Zero division!."},
        {"x", "0", 1001, LATER, "The X interval must not be 0!"}, // past OK's check
        // 2^31-1 points and their mipmap: about 21.5 GB.
        {"x", "1", INT32_MAX, LATER, "Failed to allocate memory in the calculation process!"},
        {"sin(x)*exp(-x/1000)", "1", 20000000, PROGRESS, ""},
    };
    for (const auto& [formula, interval, size, stop, error] : rows) {
        SCOPED_TRACE(formula + std::string(" size ") + std::to_string(size));
        // The huge row under an address-space limit 4 GiB above what is mapped now, so that
        // it is refused whatever this machine has.
        std::optional<AddressSpaceLimit> limit;
#if !defined(__SANITIZE_ADDRESS__)
        if (size == INT32_MAX)
            limit.emplace(int64_t(4) << 30);
#endif
        Config()->DeleteEntry(SETTING_CALCULATOR_FORMULA.key);
        CancelProgress cancel(stop == PROGRESS ? 1 : 0);
        const bool cancelled = stop == DIALOG && !*error;
        Expectations expected = InOrder(Dialog<CalculatorDlg>(
            [formula = formula, interval = interval, size = size, cancelled](CalculatorDlg* dlg) {
                dlg->SetFormula(formula);
                dlg->GetXIntervalText()->SetValue(interval);
                dlg->SetDataSize(size);
                return cancelled ? wxID_CANCEL : wxID_OK;
            }));
        if (*error)
            expected.push_back(Box(wxString::FromUTF8(error)));
        if (stop == DIALOG && *error) // shown again, then cancelled
            expected.push_back(Answer<CalculatorDlg>(wxID_CANCEL));
        Run(expected);
        EXPECT_EQ(Project().GetCount(), 0);
        EXPECT_FALSE(frame->IsModified());
        EXPECT_EQ(Status(), "");
        EXPECT_EQ(SavedFormula(), stop == DIALOG ? "" : formula);
    }
}

} // namespace
