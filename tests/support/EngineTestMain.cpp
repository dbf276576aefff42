// Test main for the engine: initialises wxBase (translations, logging, wxThread::IsMain)
// and turns every wx assertion into a test failure unless a test expects it.
#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/log.h>

#include "support/TestSupport.h"

namespace {

void TestAssertHandler(const wxString& file, int line, const wxString& func, const wxString& cond,
                       const wxString& msg)
{
    const std::string text =
        (func + ": " + cond + (msg.empty() ? wxString() : " (" + msg + ")")).utf8_string();
    if (ExpectWxAsserts::Record(text))
        return;
    ADD_FAILURE_AT(file.utf8_string().c_str(), line) << "wx assertion failed: " << text;
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk())
        return 2;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxSetAssertHandler(TestAssertHandler);
    return RUN_ALL_TESTS();
}
