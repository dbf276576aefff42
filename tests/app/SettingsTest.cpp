#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/sstream.h>
#include <wx/utils.h>

#include "app/Application.h"
#include "app/Settings.h"
#include "support/GuiTestSupport.h"

namespace {

wxString ReadFile(const wxString& path)
{
    wxString text;
    wxFFile file(path, "rb");
    if (file.IsOpened())
        file.ReadAll(&text, wxConvUTF8);
    return text;
}

void WriteFile(const wxString& path, const wxString& text)
{
    wxFFile file(path, "wb");
    ASSERT_TRUE(file.IsOpened());
    file.Write(text, wxConvUTF8);
}

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = wxFileName::CreateTempFileName("ardentine-settings");
        wxRemoveFile(dir);
        ASSERT_TRUE(wxFileName::Mkdir(dir));
        app.LoadConfiguration(wxEmptyString); // empty, bound to no file
    }
    void TearDown() override
    {
        app.LoadConfiguration(Application::LocalConfigPath());
        wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
    }
    std::vector<wxString> Files() const
    {
        std::vector<wxString> out;
        wxDir d(dir);
        wxString name;
        for (bool more = d.GetFirst(&name); more; more = d.GetNext(&name))
            out.push_back(dir + "/" + name);
        std::sort(out.begin(), out.end());
        return out;
    }

    Application& app = Application::GetInstance();
    wxString dir;
};

TEST_F(SettingsTest, ConfigurationFileFollowsTheXdgLayout)
{
    wxString home;
    ASSERT_TRUE(wxGetEnv("XDG_CONFIG_HOME", &home)); // set by the test main
    const wxString path = home + "/ardentine.conf";
    EXPECT_EQ(path, Application::LocalConfigPath());

    app.LoadConfiguration(Application::LocalConfigPath());
    ReadSetting(SETTING_MOUSE_ZOOM);
    ASSERT_TRUE(app.SaveConfiguration());
    EXPECT_NE(wxNOT_FOUND, ReadFile(path).Find("[Mouse]\nZoom=1.1"));
}

TEST_F(SettingsTest, MissingSettingsGetTheirDefaultsWrittenBack)
{
    wxConfigBase& config = *app.GetConfig();
    EXPECT_EQ("", ReadSetting(SETTING_CALCULATOR_FORMULA));
    EXPECT_EQ(512, ReadSetting(SETTING_MIPMAP_RESOLUTION));
    EXPECT_DOUBLE_EQ(1.1, ReadSetting(SETTING_MOUSE_ZOOM));
    EXPECT_TRUE(config.HasEntry("/CalculatorDlg/Formula"));
    EXPECT_EQ(512, config.ReadLong("/Mipmap/Resolution", 0));
    EXPECT_DOUBLE_EQ(1.1, config.ReadDouble("/Mouse/Zoom", 0));
}

TEST_F(SettingsTest, StoredValuesWinOverDefaults)
{
    const wxString path = dir + "/ardentine.conf";
    WriteFile(path, "[CalculatorDlg]\nFormula=sin(x)*2\n[Mipmap]\nResolution=64\n"
                    "[Mouse]\nZoom=2\n");
    app.LoadConfiguration(path);
    EXPECT_EQ("sin(x)*2", ReadSetting(SETTING_CALCULATOR_FORMULA));
    EXPECT_EQ(64, ReadSetting(SETTING_MIPMAP_RESOLUTION));
    EXPECT_DOUBLE_EQ(2.0, ReadSetting(SETTING_MOUSE_ZOOM));
    EXPECT_DOUBLE_EQ(2.0, ReadZoomFactor());
}

TEST_F(SettingsTest, UnreadableValueIsReplacedByTheDefault)
{
    const wxString path = dir + "/ardentine.conf";
    WriteFile(path, "[Mipmap]\nResolution=lots\n");
    app.LoadConfiguration(path);
    EXPECT_EQ(512, ReadSetting(SETTING_MIPMAP_RESOLUTION));
    EXPECT_EQ(512, app.GetConfig()->ReadLong("/Mipmap/Resolution", 0));
}

TEST_F(SettingsTest, FirstRunCreatesTheFileAtExitWithTheSettingsRead)
{
    const wxString path = dir + "/sub/ardentine.conf"; // folder does not exist yet
    app.LoadConfiguration(path);
    EXPECT_TRUE(Files().empty()); // loading creates nothing
    ReadSetting(SETTING_MIPMAP_RESOLUTION);
    app.GetConfig()->Write(SETTING_CALCULATOR_FORMULA.key, wxString::FromUTF8("x*2 # ä"));

    ASSERT_TRUE(app.SaveConfiguration());
    const wxString text = ReadFile(path);
    EXPECT_NE(wxNOT_FOUND, text.Find("[Mipmap]\nResolution=512")) << text;
    EXPECT_NE(wxNOT_FOUND, text.Find(wxString::FromUTF8("Formula=x*2 # ä"))) << text;
    EXPECT_EQ(std::vector<wxString>{dir + "/sub"}, Files());
    wxArrayString inSub;
    EXPECT_EQ(1u, wxDir::GetAllFiles(dir + "/sub", &inSub)) << "no temporary left behind";

    // Read back as the next run would.
    app.LoadConfiguration(path);
    EXPECT_EQ(wxString::FromUTF8("x*2 # ä"), ReadSetting(SETTING_CALCULATOR_FORMULA));
    EXPECT_EQ(512, ReadSetting(SETTING_MIPMAP_RESOLUTION));
}

TEST_F(SettingsTest, FailedSaveLeavesTheOldFileWhole)
{
    // The target is a directory: the final rename fails after the temporary was written.
    const wxString blocked = dir + "/blocked";
    ASSERT_TRUE(wxFileName::Mkdir(blocked));
    EXPECT_FALSE(WriteFileAtomically(blocked, "abc", 3));
    EXPECT_TRUE(wxFileName::DirExists(blocked));
    EXPECT_EQ(std::vector<wxString>{blocked}, Files()); // temporary removed

    const wxString path = dir + "/ardentine.conf";
    WriteFile(path, "[Mouse]\nZoom=3\n");
    app.LoadConfiguration(path);
    ASSERT_TRUE(WriteFileAtomically(path, "new", 3));
    EXPECT_EQ("new", ReadFile(path));
}

TEST_F(SettingsTest, GarbageFileStartsWithDefaults)
{
    const wxString path = dir + "/ardentine.conf";
    {
        wxFFile file(path, "wb");
        const unsigned char junk[] = {0xff, 0xfe, 0x00, 0x5b, 0x80, 0x0a, 0x3d, 0x3d, 0xc3};
        file.Write(junk, sizeof junk);
    }
    app.LoadConfiguration(path);
    ASSERT_NE(nullptr, app.GetConfig());
    EXPECT_DOUBLE_EQ(1.1, ReadSetting(SETTING_MOUSE_ZOOM));
}

} // namespace
