#include <gtest/gtest-spi.h>

#include "app/CommandReport.h"
#include "support/GuiTestSupport.h"

TEST(CommandReport, ErrorBoxOnlyForFailures)
{
    EXPECT_TRUE(ReportCommandResult(nullptr, ResultCode::SUCCESS, ""));
    EXPECT_FALSE(ReportCommandResult(nullptr, ResultCode::CANCELLED, "ignored"));
    const std::tuple<int, const char*, const char*> rows[] = {
        {ResultCode::FAILURE, "Can't open \"x.csv\"!", "Can't open \"x.csv\"!"},
        {ResultCode::OUT_OF_MEMORY, "", "Out of memory!"},
        // The thread never started: an error, not a silent success.
        {ResultCode::NOT_STARTED, "", "Can't start the processing thread!"},
    };
    for (const auto& [code, workerMessage, expected] : rows) {
        SCOPED_TRACE(code);
        bool ok = true;
        wxTEST_DIALOG(ok = ReportCommandResult(nullptr, code, workerMessage),
                      ExpectMessageBox(expected, "Error", wxID_OK));
        EXPECT_FALSE(ok);
    }
    // The harness: an error box no test expected fails the test instead of blocking.
    EXPECT_NONFATAL_FAILURE(ShowErrorMessage(nullptr, "surprise"), "unexpected modal dialog");
}
