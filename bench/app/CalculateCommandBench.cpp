// The Calculate command from the dialog to the new series, against ardentine-cli eval of
// the same formula and size, alternated in one run. The dialog is answered by a hook with
// its values set; the progress dialog really runs its worker thread and modal loop.
// Usage (needs a display): calculate_vs_cli [ROUNDS [POINTS]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/utils.h>

#include "app/Application.h"
#include "app/MainFrame.h"
#include "app/commands/CalculateCommand.h"
#include "app/dialogs/CalculatorDlg.h"

namespace {

const char* const FORMULA = "sin(x)*exp(-x/1000)";
int g_size = 100000000;

class AnswerCalculator : public wxModalDialogHook
{
protected:
    int Enter(wxDialog* dlg) override
    {
        auto* calculator = dynamic_cast<CalculatorDlg*>(dlg);
        if (!calculator)
            return wxID_NONE; // the progress dialog runs for real
        calculator->SetFormula(FORMULA);
        calculator->SetDataSize(g_size);
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The process's anonymous memory in bytes (RssAnon), -1 when unknown.
long long RssAnon()
{
    FILE* status = std::fopen("/proc/self/status", "r");
    long long kib = -1;
    char line[256];
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "RssAnon: %lld kB", &kib) == 1)
            break;
    if (status)
        std::fclose(status);
    return kib < 0 ? -1 : kib * 1024;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 3;
    if (argc > 1)
        rounds = std::max(1, std::atoi(argv[1]));
    if (argc > 2)
        g_size = std::max(1, std::atoi(argv[2]));

    const wxString configHome = wxFileName::CreateTempFileName("ardentine-bench");
    wxRemoveFile(configHome);
    wxFileName::Mkdir(configHome);
    setenv("XDG_CONFIG_HOME", configHome.utf8_str(), 1);
    wxApp::SetInstance(new Application);
    if (!wxEntryStart(argc, argv))
        return 2;
    wxLog::SetLogLevel(wxLOG_Info); // as the program runs: no debug traces
    Application::GetInstance().LoadConfiguration(Application::LocalConfigPath());
    AnswerCalculator hook;
    hook.Register();
    auto* frame = new MainFrame(nullptr);
    frame->Show();

    const std::string cli = std::string("'") + ARDENTINE_CLI + "' eval '" + FORMULA + "' --size " +
                            std::to_string(g_size) + " --summary >/dev/null";
    long long anonBefore = 0, anonWith = 0; // of the last window run
    auto runWindow = [&] {
        frame->ResetProject();
        anonBefore = RssAnon();
        const auto start = std::chrono::steady_clock::now();
        RunCalculateCommand(*frame);
        const double seconds = Seconds(start);
        anonWith = RssAnon();
        const bool added = frame->GetProject()->GetCount() == 1;
        frame->ResetProject(); // free the series before the other process needs the memory
        return added ? seconds : -1.0;
    };
    auto runCli = [&] {
        const auto start = std::chrono::steady_clock::now();
        return std::system(cli.c_str()) == 0 ? Seconds(start) : -1.0;
    };
    // The first big allocation after a while pays for the kernel's compaction into huge
    // pages, whichever program makes it: one untimed run of each, then the order
    // alternates.
    if (runWindow() < 0 || runCli() < 0) {
        std::fprintf(stderr, "the warm-up failed\n");
        return 1;
    }
    std::vector<double> window, command;
    for (int round = 0; round < rounds; ++round) {
        const bool cliFirst = round % 2 == 1;
        const double first = cliFirst ? runCli() : runWindow();
        const double second = cliFirst ? runWindow() : runCli();
        window.push_back(cliFirst ? second : first);
        command.push_back(cliFirst ? first : second);
        if (window.back() < 0 || command.back() < 0) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
        std::printf("round %d: window %.3f s, cli %.3f s\n", round + 1, window.back(),
                    command.back());
    }
    std::printf("%s, %d points, median of %d: window %.3f s, cli %.3f s, ratio %.3f\n", FORMULA,
                g_size, rounds, Median(window), Median(command), Median(window) / Median(command));

    const double values = double(g_size) * sizeof(double);
    std::printf("RssAnon with the calculated series: %.0f MiB (%.0f MiB more than without it) "
                "for %.0f MiB of values: %.2f times (%.2f times for what it added)\n",
                double(anonWith) / (1 << 20), double(anonWith - anonBefore) / (1 << 20),
                values / (1 << 20), double(anonWith) / values,
                double(anonWith - anonBefore) / values);

    hook.Unregister();
    frame->Destroy();
    wxTheApp->OnExit();
    wxEntryCleanup();
    wxFileName::Rmdir(configHome, wxPATH_RMDIR_RECURSIVE);
    return 0;
}
