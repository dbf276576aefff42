#include <wx/app.h>
#include <wx/log.h>

#include "app/Application.h"

wxIMPLEMENT_APP_NO_MAIN(Application);

int main(int argc, char** argv)
{
    // Consistency checks neither report nor stop the program, and debug traces stay quiet,
    // whatever the build type.
    wxSetAssertHandler(nullptr);
    wxLog::SetLogLevel(wxLOG_Info);
    // --help, --version and a bad command line are answered without a display.
    const int answered = Application::AnswerCommandLine(argc, argv);
    if (answered >= 0)
        return answered;
    return wxEntry(argc, argv);
}
