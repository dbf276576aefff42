#pragma once

#include <memory>

#include <wx/app.h>
#include <wx/fileconf.h>

class ColumnCache;

// The application object: loads the per-user configuration at start, creates the main
// window, and saves the configuration when the program ends.
class Application : public wxApp
{
public:
    Application();
    ~Application() override;

    bool OnInit() override;
    int OnExit() override;

    // The command line: `ardentine [--sep tab|semicolon|comma|space] [--verbose] FILE...`,
    // or --help or --version.
    void OnInitCmdLine(wxCmdLineParser& parser) override;
    bool OnCmdLineParsed(wxCmdLineParser& parser) override;
    // The options of the command line, for the toolkit's parse and for the early answer.
    static void DescribeCommandLine(wxCmdLineParser& parser);
    // Before the toolkit starts, so that a machine without a display can ask: prints the
    // help (stdout, 0), the version (stdout, 0) or what is wrong with the command line
    // (stderr, 255, as the toolkit's parse fails). -1 when the program should start.
    // Needs no application object; leaves none behind.
    static int AnswerCommandLine(int argc, char** argv);
    // Files named on the command line (absolute), and their separator (0: by extension).
    const wxArrayString& GetStartFiles() const { return m_startFiles; }
    wxChar GetStartSeparator() const { return m_startSeparator; }

    // The running instance (wxTheApp must be an Application).
    static Application& GetInstance();

    wxFileConfig* GetConfig() const { return m_config.get(); }

    // The column cache as the settings make it (created at the first use).
    ColumnCache& GetColumnCache();
    // Made again from the settings at the next use; unfinished writes are abandoned.
    void ResetColumnCache();

    // Reads the configuration from `path` if the file exists, else starts an empty one;
    // never fails. The path is where SaveConfiguration writes.
    void LoadConfiguration(const wxString& path);
    // Replaces the file at the configuration path atomically; false (and the old file
    // untouched) when it can't be written.
    bool SaveConfiguration();

    // ~/.config/ardentine.conf, or under $XDG_CONFIG_HOME when that is set.
    static wxString LocalConfigPath();

private:
    // The files (absolute) and the separator of a parsed command line; false, with the
    // reason on stderr, when an option's value is refused.
    static bool ReadStartOptions(const wxCmdLineParser& parser, wxArrayString& files,
                                 wxChar& separator);

    std::unique_ptr<wxFileConfig> m_config;
    std::unique_ptr<ColumnCache> m_columnCache;
    wxString m_configPath;
    wxArrayString m_startFiles;
    wxChar m_startSeparator = 0;
};
