#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <tuple>

#include "formula/FormulaCalculator.h"
#include "model/GraphProject.h"
#include "support/ModelTestUtil.h"
#include "support/TestSupport.h"

namespace {

class FormulaCalculatorTest : public ::testing::Test
{
protected:
    FormulaCalculatorTest() { project->Attach(&recorder); }
    ~FormulaCalculatorTest() override { project->Detach(&recorder); }

    // A calculator with `formula` compiled.
    std::unique_ptr<FormulaCalculator> Compiled(const wxString& formula, int32_t size,
                                                DataX dataX = DataX{}, int threads = 2)
    {
        auto calculator = std::make_unique<FormulaCalculator>(project.get());
        calculator->SetFormula(formula);
        calculator->SetSize(size);
        calculator->SetDataX(dataX);
        calculator->SetMaxThreads(threads);
        EXPECT_TRUE(calculator->Compile()) << calculator->GetErrorMessage();
        return calculator;
    }

    // Runs `formula` without a progress context; the new series' values.
    std::vector<double> Values(const wxString& formula, int32_t size, DataX dataX = DataX{},
                               int threads = 2)
    {
        const int before = project->GetCount();
        EXPECT_EQ(Compiled(formula, size, dataX, threads)->Run(512, nullptr), ResultCode::SUCCESS);
        if (project->GetCount() != before + 1)
            return {};
        const auto data = project->GetItem(project->GetCount() - 1);
        const auto& raw = data->GetDataY()->raw;
        std::vector<double> values(raw.begin(), raw.end());
        project->Remove(project->GetCount() - 1);
        recorder.updates.clear();
        return values;
    }

    std::shared_ptr<GraphProject> project = CreateGraphProject();
    ProjectRecorder recorder;
};

// The Progress calls must be those of a point-by-point loop over the points before `end`:
// position at every multiple of the step, a cancel poll at every multiple of 10000, and
// (size, size) at the end of a finished run.
void ExpectPointByPoint(const ThreadProcContext& context, int size, int end, bool finished)
{
    std::vector<std::pair<int, int>> positions;
    int polls = 0;
    const int step = size / 500 ? size / 500 : 1;
    for (int index = 0; index < end; ++index) {
        if (index % step == 0)
            positions.emplace_back(index, size);
        polls += index % 10000 == 0;
    }
    if (finished)
        positions.emplace_back(size, size);
    const ProgressRecord record = context.Record();
    EXPECT_EQ(record.positions, positions);
    EXPECT_EQ(record.cancelPolls, polls);
}

// Reporting works on blocks of points, with a helper thread for large runs; the calls
// must still be exactly those of the plain loop, on the calling thread.
TEST_F(FormulaCalculatorTest, ProgressCallsMatchThePointByPointLoop)
{
    for (int size : {1, 499, 1000, 10000, 10001, 25000, 1234567}) {
        for (int threads : {1, 2}) {
            SCOPED_TRACE("size " + std::to_string(size) + ", threads " + std::to_string(threads));
            const auto calculator = Compiled("sin(x)", size, DataX{}, threads);
            ThreadProcContext context;
            ASSERT_EQ(RunProgressProc(&context, &FormulaCalculator::Calculate, calculator.get()),
                      ResultCode::SUCCESS);
            ExpectPointByPoint(context, size, size, true);
            EXPECT_EQ(context.Record().messages,
                      std::vector<std::string>{"Calculating: sin(x) ..."});
        }
    }
}

// The series 10, 20, 30 at X 0, 1, 2, and a second series at X 100, 110.
TEST_F(FormulaCalculatorTest, SeriesLookUps)
{
    project->Add(MakeSeries({10.0, 20.0, 30.0}));
    FormulaCalculator calculator(project.get());
    const double nan = std::nan("");
    const std::tuple<const char*, double, double, double, double> rows[] = {
        // call ("y" interpolates, "Y" truncates), n, argument, value with one, with two series
        {"y(1, 0.5)", 1, 0.5, 15, 15},
        {"y(1, 0)", 1, 0, 10, 10},
        {"y(1, 2): the last X", 1, 2, 0, 0},
        {"y(1, -0.1)", 1, -0.1, 0, 0},
        {"y(0, 1)", 0, 1, 0, 0},
        {"y(2, 105)", 2, 105, 0, 1.5},
        {"y(1.9, 1)", 1.9, 1, 0, 20},    // range test before truncation
        {"y(2.7, 105)", 2.7, 105, 0, 0}, // 2.7 > 2 series
        {"y(NaN, 1)", nan, 1, 0, 0},
        {"y(1, NaN)", 1, nan, 0, 0},
        {"y(1, 1e300)", 1, 1e300, 0, 0},
        {"Y(1, 2)", 1, 2, 30, 30},
        {"Y(1, 3)", 1, 3, 0, 0},
        {"Y(1, 1.9)", 1, 1.9, 20, 20},
        {"Y(1, -0.5)", 1, -0.5, 10, 10}, // truncation toward zero
        {"Y(1, -1)", 1, -1, 0, 0},
        {"Y(1, NaN)", 1, nan, 0, 0},
        {"Y(1, 3e9)", 1, 3e9, 0, 0},
        {"Y(2, 1)", 2, 1, 0, 2},
        {"Y(-1, 0)", -1, 0, 0, 0},
    };
    for (int count : {1, 2}) {
        if (count == 2)
            project->Add(MakeSeries({1.0, 2.0}, DataX{100.0, 10.0}));
        for (const auto& [name, n, arg, oneSeries, twoSeries] : rows) {
            SCOPED_TRACE(std::string(name) + " with " + std::to_string(count) + " series");
            const double value =
                name[0] == 'y' ? calculator.ValueAtX(n, arg) : calculator.ValueAtIndex(n, arg);
            EXPECT_EQ(value, count == 1 ? oneSeries : twoSeries);
        }
    }
}

// A series with its own X: y(1, x) interpolates between the neighbours around x, as a
// scan finds them; a new series over those points sees each point's own x.
TEST_F(FormulaCalculatorTest, SeriesWithTheirOwnX)
{
    std::mt19937_64 random(11);
    auto xs = std::make_shared<DataX::Values>();
    std::vector<double> ys;
    double x = -3.0;
    for (int i = 0; i < 5000; ++i) {
        xs->push_back(x);
        ys.push_back(double(int(random() % 2001) - 1000) / 8.0);
        x += i == 2500 ? 60.0 : 0.001 * double(random() % 9); // X may repeat
    }
    project->Add(MakeSeries(ys, DataX::Explicit(xs)));
    FormulaCalculator calculator(project.get());
    for (int q = 0; q < 2000; ++q) {
        const double at = -4.0 + double(random() % 800000) / 10000.0;
        double want = 0.0;
        for (size_t j = 0; j + 1 < xs->size(); ++j) {
            if ((*xs)[j] <= at && at < (*xs)[j + 1]) {
                const double f = (at - (*xs)[j]) / ((*xs)[j + 1] - (*xs)[j]);
                want = (1.0 - f) * ys[j] + f * ys[j + 1];
                break;
            }
        }
        ASSERT_EQ(want, calculator.ValueAtX(1, at)) << at;
    }
    const std::vector<double> own = Values("x + Y(1, i) - y(1, x)", 5000, DataX::Explicit(xs));
    for (size_t i = 0; i < own.size(); ++i)
        ASSERT_EQ((*xs)[i] + ys[i] - calculator.ValueAtX(1, (*xs)[i]), own[i]) << i;
}

// "x" and "i" follow the axis; "y" and "Y" read the series 10, 20, 30 and 7, 7 (interval 0:
// "y" always 0). One thread and two (a helper thread for large runs) give the same values.
TEST_F(FormulaCalculatorTest, ValuesThroughFormulas)
{
    project->Add(MakeSeries({10.0, 20.0, 30.0}));
    project->Add(MakeSeries({7.0, 7.0}, DataX{0.0, 0.0}));
    std::vector<double> k(1001);
    std::iota(k.begin(), k.end(), 0.0);
    const std::tuple<const char*, int, DataX, std::vector<double>> rows[] = {
        {"x", 1001, DataX{}, k},
        {"x", 3, DataX{5.0, 0.5}, {5.0, 5.5, 6.0}},
        {"i*2", 3, DataX{5.0, 0.5}, {0.0, 2.0, 4.0}},
        {"y(2, x) + Y(2, i)", 3, DataX{}, {7.0, 7.0, 0.0}},
        {"y(1, x) + Y(1, i/1e5) * sin(i) + (i % 7 == 3 ? 1/3 : -x)", 200001, DataX{0, 1e-5}, {}},
    };
    for (const auto& [formula, size, dataX, expected] : rows) {
        SCOPED_TRACE(formula);
        const std::vector<double> one = Values(formula, size, dataX, 1);
        EXPECT_EQ(one, Values(formula, size, dataX, 2));
        ASSERT_EQ(one.size(), size_t(size));
        if (!expected.empty()) {
            EXPECT_EQ(one, expected);
        }
    }
}

TEST_F(FormulaCalculatorTest, RandIsStandardNormalAndDiffersPerCalculator)
{
    const int n = 200000;
    const std::vector<double> first = Values("rand()", n);
    const std::vector<double> second = Values("rand()", n);
    ASSERT_EQ(first.size(), size_t(n));
    const double mean = std::accumulate(first.begin(), first.end(), 0.0) / n;
    const double squares = std::inner_product(first.begin(), first.end(), first.begin(), 0.0);
    const double deviation = std::sqrt(squares / n - mean * mean);
    EXPECT_NEAR(mean, 0.0, 0.015); // about 7 standard errors
    EXPECT_NEAR(deviation, 1.0, 0.015);
    EXPECT_NE(first, second);
}

// The message counts from 1 and says why; the position for the dialog stays 0-based. A
// constant series number outside 1..count is refused before any computing, with the call's
// place; a computed one reads zeros where it names no series, as before.
TEST_F(FormulaCalculatorTest, CompileFailuresSayWhyAndWhere)
{
    for (int k = 0; k < 4; ++k)
        project->Add(MakeSeries({10.0 * (k + 1), 10.0 * (k + 1)}));
    const std::string deep(FormulaParser::MAX_DEPTH, '(');
    const std::tuple<const char*, const char*, int, int> rows[] = {
        // formula, message ("(...": after "Failed to parse the formula "; empty: compiles),
        // 0-based line and column
        {"", "(line 1, column 1): the formula is empty!", 0, 0},
        {"1+\n(2*", "(line 2, column 4): unexpected end of the formula!", 1, 3},
        {"1 ? 2 3", "(line 1, column 7): ':' expected!", 0, 6},
        {"1 2", "(line 1, column 3): unexpected '2'!", 0, 2},
        {"x*2)", "(line 1, column 4): ')' without '('!", 0, 3},
        {"x^2", "(line 1, column 2): unexpected character '^'!", 0, 1},
        {"x\x01", "(line 1, column 2): unexpected character U+0001!", 0, 1},
        {"1.5.2", "(line 1, column 1): '1.5.2' is not a number!", 0, 0},
        {"2 + foo(x)", "(line 1, column 5): unknown function 'foo'!", 0, 4},
        {"2 + foo", "(line 1, column 5): unknown variable 'foo'!", 0, 4},
        {"1 +\n  sin(1,2)", "(line 2, column 3): wrong number of arguments for 'sin'!", 1, 2},
        {"y(1)", "(line 1, column 1): wrong number of arguments for 'y'!", 0, 0},
        {deep.c_str(), "(line 1, column 1000): the formula is nested too deeply!", 0, 999},
        {"y(9, x)", "There is no series 9: the project has 4 series!", 0, 0},
        {"x + Y(0, i)", "There is no series 0: the project has 4 series!", 0, 4},
        {"Y(-1, i)", "There is no series -1: the project has 4 series!", 0, 0},
        {"y(4.5, x)", "There is no series 4.5: the project has 4 series!", 0, 0},
        {"y(PI*2, x)", "There is no series 6.28319: the project has 4 series!", 0, 0},
        {"y(1, x) + y(sqrt(-1), x)", "There is no series nan: the project has 4 series!", 0, 10},
        {"y(y(1, 0), x)", "There is no series 10: the project has 4 series!", 0, 0},
        {"Y(2, y(7, x))", "There is no series 7: the project has 4 series!", 0, 5},
        {"y(4, x)", "", 0, 0},
        {"Y(1, i) + y(3.9, x)", "", 0, 0},
        {"y(1+1, x)", "", 0, 0},
        {"y(i, x)", "", 0, 0},
        {"y(rand(), x)", "", 0, 0},
        {"y(1/0, x)", "", 0, 0}, // the zero division is the calculation's to report
    };
    for (const auto& [formula, message, line, column] : rows) {
        SCOPED_TRACE(formula);
        FormulaCalculator calculator(project.get());
        calculator.SetFormula(formula);
        EXPECT_EQ(calculator.Compile(), !*message);
        EXPECT_EQ(calculator.GetErrorMessage(),
                  (*message == '(' ? wxString("Failed to parse the formula ") : wxString()) +
                      message);
        if (*message) {
            EXPECT_EQ(calculator.GetErrorPosition().line, line);
            EXPECT_EQ(calculator.GetErrorPosition().column, column);
        }
    }
    // Computed numbers outside the series still read zeros; within, the series.
    EXPECT_EQ(Values("y(i + 3, 0)", 3), (std::vector<double>{30.0, 40.0, 0.0}));

    // Without series every constant number is refused, which is how a new user meets it.
    auto empty = CreateGraphProject();
    FormulaCalculator calculator(empty.get());
    calculator.SetFormula("y(1, x)");
    EXPECT_FALSE(calculator.Compile());
    EXPECT_EQ(calculator.GetErrorMessage(), "There is no series 1: the project has 0 series!");
    calculator.SetFormula("rand() + y(i, x) + Y(i, i)");
    EXPECT_TRUE(calculator.Compile());
}

// Failures and cancels stop everything: no series, no notification, and for a failure
// the message to show. A cancel at the last position is seen by the mipmap stage.
TEST_F(FormulaCalculatorTest, FailuresAndCancelLeaveTheProjectUntouched)
{
    // formula, size, threads, cancel from this position (-1: never), result, message, the
    // points whose progress calls were made
    const std::tuple<const char*, int, int, int, int, const char*, int> rows[] = {
        {"1/(x-500)", 1001, 2, -1, ResultCode::EVAL_ERROR, "Zero division!.", 500},
        {"1/(x-54321)", 100000, 2, -1, ResultCode::EVAL_ERROR, "Zero division!.", 54321},
        {"1/(x-99999)", 100000, 2, -1, ResultCode::EVAL_ERROR, "Zero division!.", 99999},
        {"1/x", 100000, 2, -1, ResultCode::EVAL_ERROR, "Zero division!.", 0},
        {"sin(x)", 100000, 1, 25000, ResultCode::CANCELLED, "", 30001},
        {"sin(x)", 100000, 2, 25000, ResultCode::CANCELLED, "", 30001},
        {"rand()", 100000, 2, 0, ResultCode::CANCELLED, "", 1},
        // A cancel request before the failing point wins, as in a plain loop.
        {"1/(x-45000)", 100000, 2, 25000, ResultCode::CANCELLED, "", 30001},
        {"x", 100000, 2, 100000, ResultCode::CANCELLED, "Failed to allocate memory!", 100000},
    };
    for (const auto& [formula, size, threads, cancelFrom, result, message, reportedUpTo] : rows) {
        SCOPED_TRACE(std::string(formula) + " threads " + std::to_string(threads) + " cancel " +
                     std::to_string(cancelFrom));
        const auto calculator = Compiled(formula, size, DataX{}, threads);
        calculator->SetLabel("NewData");
        ThreadProcContext context;
        context.cancelWhen = [from = cancelFrom](int position, int) {
            return from >= 0 && position >= from;
        };
        EXPECT_EQ(calculator->Run(512, &context), ResultCode(result));
        EXPECT_EQ(calculator->GetErrorMessage(), message);
        EXPECT_EQ(project->GetCount(), 0);
        EXPECT_TRUE(recorder.updates.empty());
        const bool calculated = reportedUpTo == size;
        EXPECT_EQ(context.Executions(), calculated ? 2 : 1); // the mipmap stage, if it ran
        if (!calculated)
            ExpectPointByPoint(context, size, reportedUpTo, false);
    }
}

// Requests that cannot give a usable series are refused before any computing; a success
// adds one series with the label, axis, time origin and mipmap asked for.
TEST_F(FormulaCalculatorTest, RunsRefuseBadRequestsOrAddOneSeries)
{
    const double inf = HUGE_VAL;
    const char* notFinite = "The X start and the X interval must be finite numbers!";
    const char* noMemory = "Failed to allocate memory in the calculation process!";
    const int OK = ResultCode::SUCCESS, FAIL = ResultCode::FAILURE;
    // size, X, memory limit in bytes (1000 points take 8000, their mipmap none at 512),
    // resolution, label, result, message, mipmap levels
    const std::tuple<int, DataX, int64_t, int, const char*, int, const char*, size_t> rows[] = {
        {1001, {0, 0}, -1, 512, "", FAIL, "The X interval must not be 0!", 0},
        {1, {3, 0}, -1, 512, "", OK, "", 0}, // one point may have interval 0
        {10, {0, inf}, -1, 512, "", FAIL, notFinite, 0},
        {10, {std::nan(""), 1}, -1, 512, "", FAIL, notFinite, 0},
        {1000, {0, 1}, 7999, 512, "", ResultCode::OUT_OF_MEMORY, noMemory, 0},
        {1000, {0, 1}, 8000, 512, "", OK, "", 1}, // exactly enough
        {5000, {2, 0.25}, -1, 512, "NewData", OK, "", 4},
        {100, {2, 0.25}, -1, 512, "NewData", OK, "", 0},
        {1000, {2, 0.25}, -1, 0, "NewData", OK, "", 0}, // no meaningful level count: none
    };
    for (const auto& [size, dataX, memoryLimit, resolution, label, result, message, levels] :
         rows) {
        SCOPED_TRACE(testing::Message() << "size " << size << " resolution " << resolution
                                        << " memory " << memoryLimit << " '" << label << "'");
        recorder.updates.clear();
        const auto calculator = Compiled("x", size, dataX);
        calculator->SetMemoryLimit(memoryLimit);
        calculator->SetLabel(label);
        const bool time = levels == 4; // X on a time axis
        if (time)
            calculator->SetTimeOrigin(-86400'000'000'000);
        ThreadProcContext context;
        EXPECT_EQ(calculator->Run(resolution, &context), ResultCode(result));
        EXPECT_EQ(calculator->GetErrorMessage(), message);
        const bool added = result == ResultCode::SUCCESS;
        EXPECT_EQ(context.Executions(), added ? 2 : 0);
        ASSERT_EQ(project->GetCount(), added ? 1 : 0);
        std::vector<uint32_t> kinds; // an unlabelled series sends no label notification
        if (added)
            kinds.push_back(PROJ_ADD);
        if (added && *label)
            kinds.push_back(PROJ_DATA);
        EXPECT_EQ(recorder.Kinds(), kinds);
        if (!added)
            continue;
        EXPECT_EQ(recorder.updates.back().dataKind, *label ? uint32_t(DATA_LABEL) : 0u);
        const auto data = project->GetItem(0);
        EXPECT_EQ(std::make_tuple(data->GetLabel(), data->GetDataX(), data->GetCount(),
                                  size_t(data->GetDataY()->mipmapLevels), data->GetTimeOrigin(),
                                  data->HasTimeOrigin()),
                  std::make_tuple(wxString(label), dataX, size_t(size), levels,
                                  time ? -86400'000'000'000 : 0, time));
        project->Remove(0);
    }
}

} // namespace
