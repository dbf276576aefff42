// Test main for the desktop program: an Application (not shown) under Xvfb, wx asserts as
// test failures, a configuration in a private folder, and no dialog ever shown unless a
// test allows it.
#include <cstdlib>

#include <gtest/gtest.h>

#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/utils.h>

#include "app/Application.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

namespace {

// Last line of defence: a dialog outside wxTEST_DIALOG would block the run forever.
class RefuseDialogsHook : public wxModalDialogHook
{
protected:
    int Enter(wxDialog* dlg) override
    {
        if (RunsForReal(dlg))
            return wxID_NONE;
        ADD_FAILURE() << "unexpected modal dialog \"" << dlg->GetTitle().utf8_string() << "\"";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

} // namespace

void PumpPending()
{
    while (wxTheApp->Pending())
        wxTheApp->Dispatch();
    wxTheApp->ProcessIdle();
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    const wxLongLong deadline = wxGetLocalTimeMillis() + timeoutMs;
    while (!done()) {
        if (wxGetLocalTimeMillis() > deadline)
            return false;
        wxYield();
        wxMilliSleep(1);
    }
    return true;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);

    // Never touch the user's own settings.
    const wxString configHome = wxFileName::CreateTempFileName("ardentine-gui-tests");
    wxRemoveFile(configHome);
    wxFileName::Mkdir(configHome, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    setenv("XDG_CONFIG_HOME", configHome.utf8_str(), 1);
    TemporaryCacheHome cacheHome;

    wxApp::SetInstance(new Application);
    if (!wxEntryStart(argc, argv))
        return 2;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    InstallTestAssertHandler();
    wxLog::SetLogLevel(wxLOG_Info); // as the program runs: no debug traces
    Application::GetInstance().LoadConfiguration(Application::LocalConfigPath());

    RefuseDialogsHook refuse;
    refuse.Register();
    const int rc = RUN_ALL_TESTS();
    refuse.Unregister();

    wxTheApp->OnExit();
    wxEntryCleanup();
    wxFileName::Rmdir(configHome, wxPATH_RMDIR_RECURSIVE);
    return rc;
}
