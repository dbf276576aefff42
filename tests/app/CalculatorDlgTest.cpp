// The calculator dialog: the insert buttons, Set Same Size As and the number fields.
#include "app/dialogs/CalculatorDlg.h"
#include "support/GuiTestSupport.h"
#include "support/ModelTestUtil.h"

namespace {

class CalculatorDlgTest : public ::testing::Test
{
protected:
    void TearDown() override { dlg->Destroy(); }
    wxString Axis() const
    {
        return wxString::Format("%.17g %.17g %d", dlg->GetXStart(), dlg->GetXInterval(),
                                dlg->GetDataSize());
    }

    std::shared_ptr<GraphProject> project = CreateGraphProject();
    CalculatorDlg* dlg = new CalculatorDlg(nullptr);
};

// The buttons write at the text cursor, wherever it is; OK and Cancel stay on a small
// screen.
TEST_F(CalculatorDlgTest, InsertButtonsWriteAtTheCursor)
{
    EXPECT_LE(dlg->GetSize().x, 1024);
    EXPECT_LE(dlg->GetSize().y, 700);
    // Text before, the cursor (-1: at the end), the button, the text after.
    const std::tuple<const char*, long, const char*, const char*> rows[] = {
        {"", -1, "&&&&", "&&"}, {"sin()", 4, "x", "sin(x)"}, {"a\nb", 1, "?:", "a?:\nb"}};
    for (const auto& [before, cursor, label, after] : rows) {
        SCOPED_TRACE(label);
        dlg->GetFormulaText()->SetValue(before);
        dlg->GetFormulaText()->SetInsertionPoint(
            cursor < 0 ? dlg->GetFormulaText()->GetLastPosition() : cursor);
        for (wxButton* button : dlg->GetInsertButtons())
            if (button->GetLabel() == label)
                Send(button);
        EXPECT_EQ(dlg->GetFormula(), after);
    }
}

// The copy is exact, also where a value lies outside the controls' usual ranges; the last
// series is the one offered; a time series' origin goes with it.
TEST_F(CalculatorDlgTest, SetSameSizeAsCopiesTheSeriesAxisExactly)
{
    dlg->SetProject(project.get()); // nothing to copy
    Send(dlg->GetSameSizeButton());
    EXPECT_EQ(Axis(), "0 1 1001");
    const std::tuple<const char*, DataX, size_t> rows[] = {
        {"a", {0.1 + 0.2, 1.0 / 3.0}, 5}, {"b", {-3e8, 1e-12}, 3}, {"c", {1e9, 2e8}, 4},
        {"single", {7.25, 0.0}, 1}, // as the importer reads a one-line file
        {"falling", {10.0, -0.5}, 2},
    };
    for (const auto& [label, x, count] : rows)
        project->Add(MakeSeries(std::vector<double>(count, 1.0), x, label));
    dlg->SetProject(project.get());
    wxComboBox* choice = dlg->GetSeriesChoice();
    EXPECT_EQ(choice->GetSelection(), int(std::size(rows)) - 1);
    for (int k = 0; k < int(std::size(rows)); ++k) {
        const auto& [label, x, count] = rows[k];
        SCOPED_TRACE(label);
        choice->SetSelection(k);
        Send(dlg->GetSameSizeButton());
        EXPECT_EQ(Axis(), wxString::Format("%.17g %.17g %zu", x.start, x.interval, count));
        EXPECT_TRUE(dlg->Validate()); // the widened ranges accept what was copied
    }
    dlg->SetDataSize(150000000); // more points than the control usually takes
    EXPECT_EQ(dlg->GetDataSize(), 150000000);

    int64_t origin = 0;
    EXPECT_FALSE(dlg->GetTimeOrigin(origin));
    auto timed = MakeSeries({1.0, 2.0}, DataX{60.0, 1.0}, "timed");
    timed->SetTimeOrigin(1733600000123000000);
    project->Add(timed);
    dlg->SetProject(project.get());
    Send(dlg->GetSameSizeButton());
    EXPECT_TRUE(dlg->GetTimeOrigin(origin));
    EXPECT_EQ(1733600000123000000, origin);
}

// What is typed reaches the calculator unrounded; OK refuses what is no number or out of
// range, the interval below 1e-10 included.
TEST_F(CalculatorDlgTest, NumbersAreReadAsTypedWithinTheirRanges)
{
    const wxString start = "\"X Start\" must be a number from -100000000 to 100000000!";
    const wxString interval = "\"X Interval\" must be a number from 1e-10 to 100000000!";
    // Start and interval typed, the refusal (empty: accepted).
    const std::tuple<const char*, const char*, wxString> rows[] = {
        {"-1e8", "1e-10", ""}, {"0", "9e-11", interval}, {"1e", "1", start}};
    for (const auto& [typedStart, typedInterval, refusal] : rows) {
        SCOPED_TRACE(std::string(typedStart) + " " + typedInterval);
        dlg->GetXStartText()->SetValue(typedStart);
        dlg->GetXIntervalText()->SetValue(typedInterval);
        bool valid = false;
        Expectations box;
        if (!refusal.empty())
            box.push_back(Box(refusal));
        RunWithDialogs([&] { valid = dlg->Validate(); }, box);
        EXPECT_EQ(valid, refusal.empty());
        EXPECT_TRUE(!valid || Axis().StartsWith(
                                  wxString::Format("%.17g %.17g", std::strtod(typedStart, nullptr),
                                                   std::strtod(typedInterval, nullptr))));
    }
}

} // namespace
