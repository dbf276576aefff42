// ardentine-cli: the engine without a display, for scripts and servers.
#include <cstdio>
#include <cstring>

#include <wx/init.h>
#include <wx/log.h>

#include "base/BuildInfo.h"
#include "cli/CliSupport.h"

namespace {

struct Subcommand
{
    const char* name;
    int (*run)(int argc, char** argv);
    const char* summary;
};

const Subcommand SUBCOMMANDS[] = {
    {"info", RunInfo, "scan a CSV/TXT file and print its shape and default import option"},
    {"import", RunImport, "import a file with its default option and print the series"},
    {"eval", RunEval, "evaluate a formula over a new series"},
    {"ticks", RunTicks, "print the grid interval and tick positions of an axis"},
    {"plot", RunPlot, "plot files and formulas into a PNG, SVG, PDF or PS file"},
    {"export", RunExport, "write series of files and formulas as CSV"},
};

void PrintOverview(FILE* out)
{
    std::fprintf(out, "Usage: ardentine-cli COMMAND [OPTIONS] ...\n\nCommands:\n");
    for (const Subcommand& command : SUBCOMMANDS)
        std::fprintf(out, "  %-8s %s\n", command.name, command.summary);
    std::fprintf(out, "\nOptions:\n  --help     show this overview\n"
                      "  --version  print the version\n");
    std::fprintf(out, "\nRun 'ardentine-cli COMMAND --help' for the options of a command.\n");
}

} // namespace

int main(int argc, char** argv)
{
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk()) {
        std::fprintf(stderr, "ardentine-cli: cannot initialise wxWidgets\n");
        return EXIT_ENGINE_FAILURE;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    // Consistency checks of the engine report nothing in a release tool, as in the desktop.
    wxSetAssertHandler(nullptr);
    SetUpTranslations(argv[0]);
    TerminalProgress::InstallInterruptHandler();

    if (argc < 2) {
        PrintOverview(stderr);
        return EXIT_USAGE;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
        !std::strcmp(argv[1], "help")) {
        PrintOverview(stdout);
        return EXIT_OK;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("%s\n", VersionLine("ardentine-cli").c_str());
        return EXIT_OK;
    }
    for (const Subcommand& command : SUBCOMMANDS) {
        if (std::strcmp(argv[1], command.name) != 0)
            continue;
        try {
            return command.run(argc - 1, argv + 1);
        } catch (const UsageError& error) {
            std::fprintf(stderr, "ardentine-cli %s: %s\n", command.name, error.what());
            if (!error.Usage().empty())
                std::fprintf(stderr, "%s", error.Usage().utf8_str().data());
            return EXIT_USAGE;
        } catch (const EngineFailure& failure) {
            PrintJson(Json{{"result", failure.code}, {"message", failure.message.utf8_string()}});
            return EXIT_ENGINE_FAILURE;
        } catch (const Interrupted&) {
            std::fprintf(stderr, "ardentine-cli: interrupted\n");
            return EXIT_INTERRUPTED;
        }
    }
    std::fprintf(stderr, "ardentine-cli: unknown command '%s'\n\n", argv[1]);
    PrintOverview(stderr);
    return EXIT_USAGE;
}
