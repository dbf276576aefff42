// Test main for the engine: initialises wxBase (translations, logging, wxThread::IsMain)
// and turns every wx assertion into a test failure unless a test expects it.
#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/log.h>

#include "support/TestSupport.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    TemporaryCacheHome cacheHome; // also for the command-line tool the tests run
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk())
        return 2;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    InstallTestAssertHandler();
    return RUN_ALL_TESTS();
}
