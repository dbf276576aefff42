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
    size_t FileCount() const
    {
        wxArrayString files;
        return wxDir::GetAllFiles(dir, &files);
    }

    Application& app = Application::GetInstance();
    wxString dir;
};

TEST_F(SettingsTest, FirstRunSavesDefaultsAtomicallyToTheXdgPath)
{
    wxString home;
    ASSERT_TRUE(wxGetEnv("XDG_CONFIG_HOME", &home)); // set by the test main
    wxSetEnv("XDG_CONFIG_HOME", dir + "/sub");       // a folder that does not exist yet
    const wxString path = Application::LocalConfigPath();
    wxSetEnv("XDG_CONFIG_HOME", home);
    EXPECT_EQ(dir + "/sub/ardentine.conf", path);

    app.LoadConfiguration(path);
    EXPECT_EQ("", ReadSetting(*app.GetConfig(), SETTING_CALCULATOR_FORMULA));
    EXPECT_EQ(512, ReadSetting(*app.GetConfig(), SETTING_MIPMAP_RESOLUTION));
    EXPECT_DOUBLE_EQ(1.1, ReadSetting(*app.GetConfig(), SETTING_MOUSE_ZOOM));
    const wxString formula = wxString::FromUTF8("x*2 # ä");
    app.GetConfig()->Write(SETTING_CALCULATOR_FORMULA.key, formula);
    EXPECT_EQ(0u, FileCount()); // nothing is written before the save

    ASSERT_TRUE(app.SaveConfiguration());
    wxString text;
    wxFFile(path, "rb").ReadAll(&text, wxConvUTF8);
    for (const wxString& part : {"Formula=" + formula, wxString("[Mipmap]\nResolution=512"),
                                 wxString("[Mouse]\nZoom=1.1")})
        EXPECT_NE(wxNOT_FOUND, text.Find(part)) << text;
    EXPECT_EQ(1u, FileCount()) << "no temporary left behind";
    // A save that fails at the final rename (the target is a folder) leaves no temporary.
    EXPECT_FALSE(WriteFileAtomically(dir + "/sub", "abc", 3));
    EXPECT_EQ(1u, FileCount());

    app.LoadConfiguration(path); // as the next run
    EXPECT_EQ(formula, ReadSetting(*app.GetConfig(), SETTING_CALCULATOR_FORMULA));
}

TEST_F(SettingsTest, StoredValuesWinAndUnreadableOnesGetTheDefault)
{
    const std::tuple<const char*, std::string, const char*, int, double> rows[] = {
        {"stored", "[CalculatorDlg]\nFormula=sin(x)*2\n[Mipmap]\nResolution=64\n[Mouse]\nZoom=2\n",
         "sin(x)*2", 64, 2.0},
        {"unreadable numbers", "[Mipmap]\nResolution=lots\n[Mouse]\nZoom=abc\n", "", 512, 1.1},
        {"garbage file", std::string("\xff\xfe\x00\x5b\x80\x0a\x3d\x3d\xc3", 9), "", 512, 1.1},
    };
    const wxString path = dir + "/ardentine.conf";
    for (const auto& [name, content, formula, resolution, zoom] : rows) {
        SCOPED_TRACE(name);
        wxFFile(path, "wb").Write(content.data(), content.size());
        app.LoadConfiguration(path);
        EXPECT_EQ(formula, ReadSetting(*app.GetConfig(), SETTING_CALCULATOR_FORMULA));
        EXPECT_EQ(resolution, ReadSetting(*app.GetConfig(), SETTING_MIPMAP_RESOLUTION));
        EXPECT_EQ(resolution, app.GetConfig()->ReadLong("/Mipmap/Resolution", 0));
        EXPECT_DOUBLE_EQ(zoom, ReadSetting(*app.GetConfig(), SETTING_MOUSE_ZOOM));
    }
}

} // namespace
