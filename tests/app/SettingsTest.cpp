// The settings file: where it lives, what a first run writes, and what an unreadable file
// gives. The atomic write itself is the base library's test.
#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include "app/Application.h"
#include "app/Settings.h"
#include "support/GuiTestSupport.h"

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = wxFileName::CreateTempFileName("ardentine-settings");
        wxRemoveFile(dir);
        ASSERT_TRUE(wxFileName::Mkdir(dir));
    }
    void TearDown() override
    {
        app.LoadConfiguration(Application::LocalConfigPath());
        wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
    }
    // The three settings as read: formula, resolution (and as stored once read, since
    // a default is recorded when read), zoom factor.
    wxString Read() const
    {
        wxConfigBase& config = *app.GetConfig();
        const wxString formula = ReadSetting(config, SETTING_CALCULATOR_FORMULA);
        const int resolution = ReadSetting(config, SETTING_MIPMAP_RESOLUTION);
        return wxString::Format("%s %d %ld %g", formula, resolution,
                                config.ReadLong("/Mipmap/Resolution", 0),
                                ReadSetting(config, SETTING_MOUSE_ZOOM));
    }

    Application& app = Application::GetInstance();
    wxString dir;
};

TEST_F(SettingsTest, FirstRunSavesDefaultsToTheXdgPath)
{
    wxString home;
    ASSERT_TRUE(wxGetEnv("XDG_CONFIG_HOME", &home)); // set by the test main
    wxSetEnv("XDG_CONFIG_HOME", dir + "/sub");       // a folder that does not exist yet
    const wxString path = Application::LocalConfigPath();
    wxSetEnv("XDG_CONFIG_HOME", home);
    EXPECT_EQ(dir + "/sub/ardentine.conf", path);

    app.LoadConfiguration(path);
    EXPECT_EQ(" 512 512 1.1", Read());
    const wxString formula = wxString::FromUTF8("x*2 # ä");
    app.GetConfig()->Write(SETTING_CALCULATOR_FORMULA.key, formula);
    wxArrayString files;
    EXPECT_EQ(0u, wxDir::GetAllFiles(dir, &files)); // nothing is written before the save
    ASSERT_TRUE(app.SaveConfiguration());
    const wxString text = wxString::FromUTF8(ReadFile(path));
    for (const wxString& part : {"Formula=" + formula, wxString("[Mipmap]\nResolution=512")})
        EXPECT_NE(wxNOT_FOUND, text.Find(part)) << text;
    app.LoadConfiguration(path); // as the next run
    EXPECT_EQ(formula + " 512 512 1.1", Read());
}

TEST_F(SettingsTest, StoredValuesWinAndUnreadableOnesGetTheDefault)
{
    const std::pair<std::string, const char*> rows[] = {
        {"[CalculatorDlg]\nFormula=sin(x)\n[Mipmap]\nResolution=64\n[Mouse]\nZoom=2\n",
         "sin(x) 64 64 2"},
        {"[Mipmap]\nResolution=lots\n[Mouse]\nZoom=abc\n", " 512 512 1.1"},
        {std::string("\xff\xfe\x00\x5b\x80\x0a\x3d\x3d\xc3", 9), " 512 512 1.1"}, // garbage
    };
    for (const auto& [content, read] : rows) {
        SCOPED_TRACE(read);
        wxFFile(dir + "/ardentine.conf", "wb").Write(content.data(), content.size());
        app.LoadConfiguration(dir + "/ardentine.conf");
        EXPECT_EQ(read, Read());
    }
}

} // namespace
