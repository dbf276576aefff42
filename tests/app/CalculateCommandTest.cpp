// The Calculate command in the main window, the progress dialogs running for real.
#include <climits>
#include <cstdio>
#include <optional>

#include <sys/resource.h>
#include <unistd.h>

#include "app/Settings.h"
#include "app/commands/CalculateCommand.h"
#include "app/dialogs/CalculatorDlg.h"
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

// The defaults give new data, fitted when it is the first series; the saved formula comes
// back. log(x-500) is -inf at x = 500 (and NaN below): the fit takes the finite values,
// where one -inf used to leave an empty graph without labels (infinities alone, and the
// data range, are the model's tests).
TEST_F(CalculateCommandTest, DefaultsGiveNewDataAndInfinitiesLeaveTheFitFinite)
{
    Run(InOrder(Dialog<CalculatorDlg>([](CalculatorDlg* dlg) {
        EXPECT_EQ(dlg->GetFormula(), ""); // nothing saved yet
        dlg->GetFormulaText()->SetValue("log(x-500)");
        return wxID_OK;
    })));
    ASSERT_EQ(Project().GetCount(), 1);
    const auto data = Project().GetItem(0);
    EXPECT_EQ(wxString::Format("%s %zu %g+%g", data->GetLabel(), data->GetCount(),
                               data->GetDataX().start, data->GetDataX().interval),
              "NewData 1001 0+1");
    EXPECT_EQ(Range(), "0 1000 0 6.21461");
    EXPECT_EQ(Status(), "Calculating the image is completed!");

    Project().SetPlotRange(-5, 5, -5, 5);
    Run(InOrder(Dialog<CalculatorDlg>([&](CalculatorDlg* dlg) {
        EXPECT_EQ(dlg->GetFormula(), "log(x-500)");
        dlg->GetFormulaText()->SetValue("x");
        return wxID_OK;
    })));
    ASSERT_EQ(Project().GetCount(), 2);
    EXPECT_EQ(Range(), "-5 5 -5 5"); // a second series leaves the view alone
}

// A formula error brings the dialog back with everything kept and the cursor at the fault
// (where the fault is, and a series number the project lacks, are the engine's); the
// formula is saved only once it compiles. Typed fractions arrive unrounded.
TEST_F(CalculateCommandTest, RefusedFormulaShowsTheDialogAgainAtTheFault)
{
    Run(InOrder(
        Dialog<CalculatorDlg>([](CalculatorDlg* dlg) {
            dlg->GetLabelText()->SetValue("kept");
            dlg->GetXStartText()->SetValue("2.5");
            dlg->GetXIntervalText()->SetValue("0.001");
            dlg->GetDataSizeSpin()->SetValue(3);
            dlg->GetFormulaText()->SetValue("1+\n(2*");
            return wxID_OK;
        }),
        Box("Failed to parse the formula (line 2, column 4): unexpected end of the formula!"),
        Dialog<CalculatorDlg>([](CalculatorDlg* dlg) {
            EXPECT_EQ(SavedFormula(), ""); // the default, recorded when read
            long column = -1, line = -1;
            dlg->GetFormulaText()->PositionToXY(dlg->GetFormulaText()->GetInsertionPoint(), &column,
                                                &line);
            EXPECT_EQ(wxString::Format("%s %g %g %d %s; %ld %ld", dlg->GetNewLabel(),
                                       dlg->GetXStart(), dlg->GetXInterval(), dlg->GetDataSize(),
                                       dlg->GetFormula(), line, column),
                      "kept 2.5 0.001 3 1+\n(2*; 1 3"); // after "*"
            dlg->GetFormulaText()->SetValue("1+\n(2*x)");
            return wxID_OK;
        })));
    EXPECT_EQ(SavedFormula(), "1+\n(2*x)");
    EXPECT_EQ(Series(), Rows{"kept 2.5+0.001: 6 6.002 6.004"});
    EXPECT_EQ(Project().GetItem(0)->GetDataX(), (DataX{2.5, 0.001}));
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
    // Formula, X interval, points, the message (empty: none), a cancel in the progress
    // dialog. The second and third rows are refused before computing; the failures met while
    // computing are the calculator's tests.
    const std::tuple<const char*, const char*, int, const char*, bool> rows[] = {
        {"", "1", 1001, "", false}, // Cancel in the calculator dialog
        {"x", "0", 1001, "The X interval must not be 0!", false},
        // 2^31-1 points and their mipmap: about 21.5 GB.
        {"x", "1", INT32_MAX, "Failed to allocate memory in the calculation process!", false},
        {"sin(x)*exp(-x/1000)", "1", 20000000, "", true},
    };
    for (const auto& [formula, interval, size, error, cancel] : rows) {
        SCOPED_TRACE(formula + std::string(" size ") + std::to_string(size));
        // The huge row under an address-space limit 4 GiB above what is mapped now, so that
        // it is refused whatever this machine has.
        std::optional<AddressSpaceLimit> limit;
#if !defined(__SANITIZE_ADDRESS__)
        if (size == INT32_MAX)
            limit.emplace(int64_t(4) << 30);
#endif
        Config()->DeleteEntry(SETTING_CALCULATOR_FORMULA.key);
        CancelProgress cancelProgress(cancel ? 1 : 0);
        Expectations expected = InOrder(Dialog<CalculatorDlg>(
            [formula = formula, interval = interval, size = size](CalculatorDlg* dlg) {
                dlg->SetFormula(formula);
                dlg->GetXIntervalText()->SetValue(interval);
                dlg->SetDataSize(size);
                return *formula ? wxID_OK : wxID_CANCEL;
            }));
        if (*error)
            expected.push_back(Box(wxString::FromUTF8(error)));
        Run(expected);
        // No series, not modified, no status; the formula saved once it compiles.
        EXPECT_EQ(wxString::Format("0 0 '' '%s'", formula),
                  wxString::Format("%d %d '%s' '%s'", Project().GetCount(), frame->IsModified(),
                                   Status(), SavedFormula()));
    }
}

} // namespace
