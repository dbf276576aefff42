#include "app/Application.h"

#include <cstdio>

#include <wx/cmdline.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/msgout.h>
#include <wx/mstream.h>
#include <wx/sstream.h>
#include <wx/stdpaths.h>
#include <wx/wfstream.h>

#include "app/MainFrame.h"
#include "app/Settings.h"
#include "csv/ColumnCache.h"
#include "base/BuildInfo.h"
#include "app/commands/ImportCommand.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "model/Translations.h"

Application::Application() = default;
Application::~Application() = default;

Application& Application::GetInstance()
{
    auto* app = dynamic_cast<Application*>(wxTheApp);
    wxASSERT_MSG(app, "the application object is an Application");
    return *app;
}

wxString Application::LocalConfigPath()
{
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    return wxFileConfig::GetLocalFileName("ardentine", 0);
}

bool Application::OnInit()
{
    InstallTranslations(wxStandardPaths::Get().GetExecutablePath());
    if (!wxApp::OnInit()) // parses the command line
        return false;
    LoadConfiguration(LocalConfigPath());
    PrefetchFilesAtStart(m_startFiles, m_startSeparator, GetColumnCache(),
                         ReadSetting(*m_config, SETTING_MIPMAP_RESOLUTION));
    auto* frame = new MainFrame(nullptr);
    frame->Show(true);
    ImportFilesAtStart(*frame, m_startFiles, m_startSeparator);
    return true;
}

void Application::OnInitCmdLine(wxCmdLineParser& parser)
{
    DescribeCommandLine(parser);
}

void Application::DescribeCommandLine(wxCmdLineParser& parser)
{
    const wxCmdLineEntryDesc entries[] = {
        {wxCMD_LINE_SWITCH, "h", "help", "show this help", wxCMD_LINE_VAL_NONE,
         wxCMD_LINE_OPTION_HELP},
        {wxCMD_LINE_SWITCH, nullptr, "version", "print the version", wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_OPTION, nullptr, "sep",
         "separator of every FILE: tab, semicolon, comma or space (default: asked for .txt "
         "files, else comma)",
         wxCMD_LINE_VAL_STRING, 0},
        {wxCMD_LINE_SWITCH, nullptr, "verbose", "write debug traces to standard error",
         wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_PARAM, nullptr, nullptr, "FILE", wxCMD_LINE_VAL_STRING,
         wxCMD_LINE_PARAM_OPTIONAL | wxCMD_LINE_PARAM_MULTIPLE},
        {wxCMD_LINE_NONE, nullptr, nullptr, nullptr, wxCMD_LINE_VAL_NONE, 0},
    };
    parser.SetDesc(entries);
    parser.SetLogo(_("Ardentine: imports each FILE as a CSV file with its default option."));
}

int Application::AnswerCommandLine(int argc, char** argv)
{
    // With no application factory wxBase makes a console application object, whose
    // start touches no display; the factory is back for wxEntry.
    const wxAppInitializerFunction factory = wxApp::GetInitializerFunction();
    wxApp::SetInitializerFunction(nullptr);
    int status = -1;
    {
        wxInitializer base(argc, argv);
        if (base.IsOk()) {
            InstallTranslations(wxStandardPaths::Get().GetExecutablePath());
            wxCmdLineParser parser(argc, argv);
            DescribeCommandLine(parser);
            // Errors are printed by the parse (to stderr, the console's message output).
            const int parsed = parser.Parse(false);
            wxArrayString files;
            wxChar separator = 0;
            if (parsed == -1) {
                std::fputs(parser.GetUsageString().utf8_str().data(), stdout);
                status = 0;
            } else if (parsed != 0) {
                std::fputs(parser.GetUsageString().utf8_str().data(), stderr);
                status = 255;
            } else if (parser.Found("version")) {
                std::printf("%s\n", VersionLine("ardentine").c_str());
                status = 0;
            } else if (!ReadStartOptions(parser, files, separator)) {
                status = 255;
            }
        }
    }
    wxApp::SetInitializerFunction(factory);
    std::fflush(stdout);
    return status;
}

bool Application::OnCmdLineParsed(wxCmdLineParser& parser)
{
    m_startSeparator = 0;
    m_startFiles.clear();
    if (!ReadStartOptions(parser, m_startFiles, m_startSeparator))
        return false;
    if (parser.Found("verbose")) {
        wxLog::SetLogLevel(wxLOG_Debug);
        wxLog::SetTimestamp("%H:%M:%S.%l"); // milliseconds: the traces time the start-up
    }
    return true;
}

bool Application::ReadStartOptions(const wxCmdLineParser& parser, wxArrayString& files,
                                   wxChar& separator)
{
    wxString name;
    if (parser.Found("sep", &name) && !SeparatorFromName(name, separator)) {
        wxMessageOutputStderr().Printf(
            "Unknown separator \"%s\": use tab, semicolon, comma or space.\n", name);
        return false;
    }
    for (size_t i = 0; i < parser.GetParamCount(); ++i) {
        wxFileName file(parser.GetParam(i));
        file.MakeAbsolute();
        files.push_back(file.GetFullPath());
    }
    return true;
}

ColumnCache& Application::GetColumnCache()
{
    if (!m_columnCache)
        m_columnCache = std::make_unique<ColumnCache>(m_config ? ReadCacheSettings(*m_config)
                                                               : ColumnCacheSettings());
    return *m_columnCache;
}

void Application::ResetColumnCache()
{
    m_columnCache.reset();
}

int Application::OnExit()
{
    m_columnCache.reset(); // a write not finished is abandoned: closing stays quick
    SaveConfiguration();
    m_config.reset();
    return wxApp::OnExit();
}

void Application::LoadConfiguration(const wxString& path)
{
    m_configPath = path;
    m_config.reset();
    if (wxFileName::FileExists(path)) {
        wxLogNull quiet; // an unreadable file means defaults, not a message
        wxFileInputStream in(path);
        if (in.IsOk())
            m_config = std::make_unique<wxFileConfig>(in, wxConvAuto());
    }
    if (!m_config) {
        // Built from an empty stream, the configuration is bound to no file: it neither
        // reads some default file now nor writes one by itself later.
        wxStringInputStream empty(wxEmptyString);
        m_config = std::make_unique<wxFileConfig>(empty, wxConvAuto());
    }
}

bool Application::SaveConfiguration()
{
    if (!m_config || m_configPath.empty())
        return false;
    wxLogNull quiet; // failing to save at exit is silent
    wxMemoryOutputStream buffer;
    if (!m_config->Save(buffer, wxConvAuto()))
        return false;
    const wxStreamBuffer* data = buffer.GetOutputStreamBuffer();
    return WriteFileAtomically(m_configPath, data->GetBufferStart(), data->GetIntPosition());
}
