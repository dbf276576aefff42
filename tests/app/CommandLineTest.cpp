// The desktop program's command line: the files and options it takes, and where no display
// is, help, version and usage errors answered before the toolkit starts.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <wx/cmdline.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

#include "app/Application.h"
#include "support/GuiTestSupport.h"

namespace {

struct Outcome
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program without DISPLAY, in English.
Outcome RunWithoutDisplay(const std::vector<std::string>& args)
{
    const wxString out = wxFileName::CreateTempFileName("ardentine-out");
    const wxString err = wxFileName::CreateTempFileName("ardentine-err");
    std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY LANGUAGE=C LC_ALL=C '" ARDENTINE_PROGRAM "'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " >'" + out.utf8_string() + "' 2>'" + err.utf8_string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
    wxRemoveFile(out);
    wxRemoveFile(err);
    return outcome;
}

// The usage text the program's own parser gives.
std::string Usage()
{
    const char* argv[] = {"ardentine"};
    wxCmdLineParser parser(1, const_cast<char**>(argv));
    Application::DescribeCommandLine(parser);
    return parser.GetUsageString().utf8_string();
}

TEST(CommandLine, HelpAndVersionNeedNoDisplay)
{
    // empty: nothing on stderr
    const std::tuple<std::vector<std::string>, int, std::string, std::string> rows[] = {
        {{"-h", "a.csv"}, 0, Usage(), ""},
        {{"--version"}, 0, "ardentine " ARDENTINE_PROJECT_VERSION "\n", ""},
        // Usage errors keep the status they had (wxEntry's -1), now with their reason.
        {{"--bogus"}, 255, "", "Unknown long option 'bogus'"},
        {{"--sep", "pipe", "a.csv"}, 255, "", "Unknown separator \"pipe\""},
        // A good command line goes on to start the toolkit, which needs the display.
        {{"--sep", "tab", "a.csv"}, 255, "", "GTK"},
    };
    for (const auto& [args, status, out, errHas] : rows) {
        SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
        const Outcome r = RunWithoutDisplay(args);
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.out, out);
        if (errHas.empty())
            EXPECT_EQ(r.err, "");
        else
            EXPECT_NE(r.err.find(errHas), std::string::npos) << r.err;
    }
}

TEST(CommandLine, FilesAndSeparator)
{
    const wxString cwd = wxGetCwd();
    // Arguments, the files and the separator taken.
    const std::tuple<std::vector<const char*>, std::vector<std::string>, wxChar> rows[] = {
        {{}, {}, 0},
        {{"a.csv", "/data/b.txt"}, {(cwd + "/a.csv").utf8_string(), "/data/b.txt"}, 0},
        {{"--sep", "Semicolon", "/x"}, {"/x"}, ';'},
    };
    Application& app = Application::GetInstance();
    for (const auto& [args, files, separator] : rows) {
        std::vector<const char*> argv{"ardentine"};
        argv.insert(argv.end(), args.begin(), args.end());
        SCOPED_TRACE(argv.size() > 2 ? argv[2] : argv.size() > 1 ? argv[1] : "none");
        wxCmdLineParser parser(int(argv.size()), const_cast<char**>(argv.data()));
        app.OnInitCmdLine(parser);
        wxLogNull quiet;
        ASSERT_TRUE(parser.Parse(false) == 0 && app.OnCmdLineParsed(parser));
        std::vector<std::string> taken;
        for (const wxString& f : app.GetStartFiles())
            taken.push_back(f.utf8_string());
        EXPECT_EQ(files, taken);
        EXPECT_EQ(separator, app.GetStartSeparator());
    }
}

} // namespace
