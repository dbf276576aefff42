// The commands reach the window that runs them only through CommandHost: a stand-in host
// with a plain frame and a configuration of its own runs them without a main window.
#include <fstream>

#include <wx/frame.h>
#include <wx/memconf.h>

#include "app/RecentFiles.h"
#include "app/Settings.h"
#include "app/commands/CommandHost.h"
#include "app/commands/ImportCommand.h"
#include "app/commands/ReloadCommand.h"
#include "csv/Follow.h"
#include "support/GuiTestSupport.h"

namespace {

class StandInHost : public CommandHost
{
public:
    StandInHost() : m_window(new wxFrame(nullptr, wxID_ANY, "host")) {}
    ~StandInHost() override { m_window->Destroy(); }

    std::shared_ptr<GraphProject> GetProject() const override { return project; }
    wxWindow* GetCommandWindow() override { return m_window; }
    wxConfigBase& GetConfig() override { return config; }
    RecentFiles& GetRecentFiles() override { return recent; }
    void SetStatusMessage(const wxString& text) override
    {
        calls.push_back("status " + text.utf8_string());
    }
    void FitPlotRange(bool fitX, bool fitY) override
    {
        calls.push_back(wxString::Format("fit %d %d", fitX, fitY).utf8_string());
    }
    bool GetDrawnGraphSize(wxSize&) const override { return false; }

    std::shared_ptr<GraphProject> project = CreateGraphProject();
    wxMemoryConfig config;
    RecentFiles recent;
    Rows calls; // what the commands asked of the window, in order

private:
    wxFrame* m_window;
};

void AppendRows(const wxString& path, int from, int to)
{
    std::ofstream out(path.utf8_string(), std::ios::app);
    for (int i = from; i < to; ++i)
        out << i << ',' << i * 2 << '\n';
}

// The settings come from the host's configuration (a mipmap at its resolution of 8, where
// the application's 512 would build none), the recent file is recorded there, and the
// window hears of the fit and the results through the host alone.
TEST(CommandHostTest, ImportAndFollowNeedOnlyTheirHost)
{
    const wxString path = wxFileName::CreateTempFileName("ardentine-host") + ".csv";
    std::ofstream(path.utf8_string()) << "x,y\n";
    AppendRows(path, 0, 100);
    StandInHost host;
    host.config.Write(SETTING_MIPMAP_RESOLUTION.key, 8);

    ASSERT_TRUE(ImportFileWithSeparator(host, path, ',', false));
    ASSERT_EQ(1, host.project->GetCount());
    EXPECT_EQ(MipmapLevelCount(100, 8), host.project->GetItem(0)->GetDataY()->mipmapLevels);
    EXPECT_EQ(path, host.config.Read("/RecentFiles/file1"));

    AppendRows(path, 100, 150);
    FileFollower follower;
    bool read = false;
    ASSERT_TRUE(StartFollowRead(host, follower, [&] { read = true; }));
    ASSERT_TRUE(PumpUntil([&] { return follower.Ready(); }));
    EXPECT_FALSE(FinishFollowRead(host, follower, false));
    EXPECT_TRUE(read);
    EXPECT_EQ(150u, host.project->GetItem(0)->GetDataY()->raw.size());
    EXPECT_EQ(
        (Rows{"fit 1 1", "status Importing is completed!", "status Following: 50 new points."}),
        host.calls);
    wxRemoveFile(path);
    wxRemoveFile(path.BeforeLast('.'));
}

} // namespace
