#include "app/dialogs/CalculatorDlg.h"
#include "support/ModelTestUtil.h"
#include "support/GuiTestSupport.h"

namespace {

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

// The buttons write at the text cursor, wherever it is.
TEST_F(CalculatorDlgTest, InsertButtonsWriteAtTheCursor)
{
    EXPECT_LE(dlg->GetSize().x, 1024); // OK and Cancel stay on a small screen
    EXPECT_LE(dlg->GetSize().y, 700);
    // Text before, the cursor (-1: at the end), the button, the text after.
    const std::tuple<const char*, long, const char*, const char*> rows[] = {
        {"", -1, "&&&&", "&&"},      {"1+", -1, "y(n,x)", "1+y(n,x)"}, {"sin()", 4, "x", "sin(x)"},
        {"a\nb", 1, "?:", "a?:\nb"}, {"", -1, "rand()", "rand()"},
    };
    for (const auto& [before, cursor, label, after] : rows) {
        SCOPED_TRACE(label);
        wxTextCtrl* formula = dlg->GetFormulaText();
        formula->SetValue(before);
        formula->SetInsertionPoint(cursor < 0 ? formula->GetLastPosition() : cursor);
        if (wxButton* button = InsertButton(*dlg, label))
            Send(button);
        EXPECT_EQ(dlg->GetFormula(), after);
    }
}

// The copy is exact, also where a value lies outside the controls' usual ranges; the
// last series is the one offered.
TEST_F(CalculatorDlgTest, SetSameSizeAsCopiesTheSeriesAxisExactly)
{
    const std::tuple<const char*, DataX, size_t> rows[] = {
        {"a", {0.1 + 0.2, 1.0 / 3.0}, 5}, {"b", {-3e8, 1e-12}, 3}, {"c", {1e9, 2e8}, 4},
        {"single", {7.25, 0.0}, 1}, // as the importer reads a one-line file
        {"falling", {10.0, -0.5}, 2},
    };
    // With an empty project there is nothing to copy.
    dlg->SetProject(project.get());
    EXPECT_EQ(dlg->GetSeriesChoice()->GetCount(), 0u);
    Send(dlg->GetSameSizeButton());
    EXPECT_EQ(
        wxString::Format("%g %g %d", dlg->GetXStart(), dlg->GetXInterval(), dlg->GetDataSize()),
        "0 1 1001");

    for (const auto& [label, x, count] : rows)
        project->Add(MakeSeries(std::vector<double>(count, 1.0), x, label));
    dlg->SetProject(project.get());
    wxComboBox* choice = dlg->GetSeriesChoice();
    ASSERT_EQ(choice->GetCount(), std::size(rows));
    EXPECT_EQ(choice->GetSelection(), int(std::size(rows)) - 1);
    for (int k = std::size(rows) - 1; k >= 0; --k) {
        const auto& [label, x, count] = rows[k];
        SCOPED_TRACE(label);
        EXPECT_EQ(choice->GetString(k), label);
        choice->SetSelection(k);
        Send(dlg->GetSameSizeButton());
        EXPECT_EQ(std::tuple(dlg->GetXStart(), dlg->GetXInterval(), dlg->GetDataSize()),
                  std::tuple(x.start, x.interval, int(count)));
        EXPECT_TRUE(dlg->Validate()); // the widened ranges accept what was copied
    }
    dlg->SetDataSize(150000000); // more points than the control usually takes
    EXPECT_EQ(dlg->GetDataSize(), 150000000);

    // A time series' X counts seconds from its origin: the new series keeps that origin.
    int64_t origin = 0;
    EXPECT_FALSE(dlg->GetTimeOrigin(origin));
    auto timed = MakeSeries({1.0, 2.0}, DataX{60.0, 1.0}, "timed");
    timed->SetTimeOrigin(1733600000123000000);
    project->Add(timed);
    dlg->SetProject(project.get());
    choice->SetSelection(choice->GetCount() - 1);
    Send(dlg->GetSameSizeButton());
    EXPECT_TRUE(dlg->GetTimeOrigin(origin));
    EXPECT_EQ(1733600000123000000, origin);
    EXPECT_EQ("X counts seconds on the time axis of \"timed\".", dlg->GetXNoteText()->GetLabel());
}

// What is typed reaches the calculator unrounded; OK refuses what is no number or out of
// range, the interval below 1e-10 included.
TEST_F(CalculatorDlgTest, NumbersAreReadAsTypedWithinTheirRanges)
{
    const wxString startRange = "\"X Start\" must be a number from -100000000 to 100000000!";
    const wxString intervalRange = "\"X Interval\" must be a number from 1e-10 to 100000000!";
    // Start and interval typed, the refusal (empty: accepted).
    const std::tuple<const char*, const char*, wxString> rows[] = {
        {"2.5", "0.001", ""},           {"-1e8", "1e-10", ""},         {"1E+8", "1e8", ""},
        {"0", "0", intervalRange},      {"0", "9e-11", intervalRange}, {"0", "-1", intervalRange},
        {"100000001", "1", startRange}, {"1e", "1", startRange},       {"", "1", startRange},
    };
    for (const auto& [start, interval, refusal] : rows) {
        SCOPED_TRACE(std::string(start) + " " + interval);
        dlg->GetXStartText()->SetValue(start);
        dlg->GetXIntervalText()->SetValue(interval);
        bool valid = false;
        if (refusal.empty()) {
            valid = dlg->Validate();
            EXPECT_EQ(dlg->GetXStart(), std::strtod(start, nullptr));
            EXPECT_EQ(dlg->GetXInterval(), std::strtod(interval, nullptr));
        } else {
            wxTEST_DIALOG(valid = dlg->Validate(), ExpectMessageBox(refusal, "Error", wxID_OK));
        }
        EXPECT_EQ(valid, refusal.empty());
    }
}

} // namespace
