// The image export: the size dialog, and the command from "No Data!" to a complete file
// that shows the same picture as the graph pane.
#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>

#include <sys/resource.h>

#include <wx/dir.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/statusbr.h>

#include "app/MainFrame.h"
#include "app/commands/ExportFile.h"
#include "app/commands/ExportImageCommand.h"
#include "app/dialogs/ImageSizeSettingDlg.h"
#include "app/panes/GraphPanel.h"
#include "model/GraphData.h"
#include "render/CairoContext.h"
#include "render/GraphRenderer.h"
#include "support/GuiTestSupport.h"

namespace {

constexpr uint32_t WHITE = 0xFFFFFFFFu;

std::string ReadFile(const wxString& path)
{
    std::ifstream in(path.utf8_string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t PixelAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + size_t(y) * cairo_image_surface_get_stride(surface);
    const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
    return cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24 ? p | 0xFF000000u : p;
}

void Toggle(wxCheckBox* box, bool value)
{
    box->SetValue(value);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(value);
    box->GetEventHandler()->ProcessEvent(event);
}

TEST(ImageSizeSettingDlg, SameSizeAsWindowTakesTheClampedWindowSize)
{
    const struct
    {
        int windowWidth, windowHeight;
        int width, height; // in the controls once the box is checked
    } rows[] = {
        {800, 600, 800, 600}, {5, 20000, 10, 10000}, // outside the controls' range: clamped to it
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.windowWidth);
        ImageSizeSettingDlg dlg(nullptr);
        EXPECT_EQ(dlg.GetTitle(), "Image Size Setting");
        EXPECT_EQ(std::make_pair(dlg.GetImageWidth(), dlg.GetImageHeight()),
                  std::make_pair(640, 480));
        dlg.SetWindowSize(row.windowWidth, row.windowHeight);
        Toggle(dlg.GetSameSizeBox(), true);
        EXPECT_EQ(std::make_pair(dlg.GetImageWidth(), dlg.GetImageHeight()),
                  std::make_pair(row.width, row.height));
        EXPECT_FALSE(dlg.GetWidthCtrl()->IsEnabled() || dlg.GetHeightCtrl()->IsEnabled());
        Toggle(dlg.GetSameSizeBox(), false);
        EXPECT_TRUE(dlg.GetWidthCtrl()->IsEnabled() && dlg.GetHeightCtrl()->IsEnabled());
        EXPECT_EQ(std::make_pair(dlg.GetImageWidth(), dlg.GetImageHeight()),
                  std::make_pair(row.width, row.height));
    }
}

class ExportImageCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = wxFileName::CreateTempFileName("ardentine-image");
        wxRemoveFile(dir);
        wxFileName::Mkdir(dir);
        frame = new MainFrame(nullptr);
        LastExportFolder().clear();
        frame->SetStatusMessage(""); // results are compared with this
    }
    void TearDown() override
    {
        delete frame;
        wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
    }

    wxString Path(const wxString& name) const { return wxFileName(dir, name).GetFullPath(); }
    wxString Status() const { return frame->GetStatusBar()->GetStatusText(0); }
    void AddSeries()
    {
        auto dataY = CreateGraphDataY();
        for (int i = 0; i < 1000; ++i)
            dataY->raw.push_back(std::sin(i * 0.02));
        auto data = CreateGraphData(DataX{0, 0.01}, dataY);
        data->SetLabel("sine");
        frame->GetProject()->Add(data);
        frame->FitPlotRange(true, true);
    }
    // Shows the window and waits until the pane has drawn the graph.
    void ShowRendered()
    {
        AddSeries();
        frame->Show();
        ASSERT_TRUE(PumpUntil([&] {
            frame->GetGraphPanel()->GraphWindow()->Refresh(false);
            frame->GetGraphPanel()->GraphWindow()->Update();
            return frame->GetGraphPanel()->IsRendered();
        }));
    }
    void Run(Expectations expected)
    {
        RunWithDialogs([&] { RunExportImageCommand(*frame); }, expected);
    }
    // Exports at 640 x 480 to `typed` with filter `filter`; `failure` is the error box text.
    void Export(const wxString& typed, int filter, const wxString& failure = wxString())
    {
        Expectations expected;
        expected.push_back(std::make_unique<ExpectDialog<ImageSizeSettingDlg>>(
            [](ImageSizeSettingDlg*) { return wxID_OK; }));
        expected.push_back(std::make_unique<ExpectDialog<wxFileDialog>>([=](wxFileDialog* dlg) {
            EXPECT_EQ(dlg->GetMessage(), "Export Image");
            dlg->SetFilterIndex(filter);
            dlg->SetPath(typed);
            return wxID_OK;
        }));
        if (!failure.empty())
            expected.push_back(std::make_unique<ExpectMessageBox>(failure, "Error", wxID_OK));
        Run(std::move(expected));
    }

    wxString dir;
    MainFrame* frame = nullptr;
};

TEST_F(ExportImageCommandTest, NoDataBeforeAnyDialog)
{
    for (bool withSeries : {false, true}) { // with series, but the pane never painted
        SCOPED_TRACE(withSeries);
        if (withSeries)
            AddSeries();
        Run(InOrder(std::make_unique<ExpectMessageBox>("No Data!", "Error", wxID_OK)));
    }
}

TEST_F(ExportImageCommandTest, SameSizeAsWindowIsThePanesSize)
{
    ShowRendered();
    const wxSize pane = frame->GetGraphPanel()->GraphWindow()->GetClientSize();
    Run(InOrder(std::make_unique<ExpectDialog<ImageSizeSettingDlg>>([&](ImageSizeSettingDlg* dlg) {
        Toggle(dlg->GetSameSizeBox(), true);
        EXPECT_EQ(wxSize(dlg->GetImageWidth(), dlg->GetImageHeight()), pane);
        return wxID_CANCEL;
    })));
}

TEST_F(ExportImageCommandTest, KindFollowsTheExtensionInAnyCase)
{
    ShowRendered();
    const struct
    {
        const char* typed;
        int filter;
        const char* written; // nullptr: refused
        const char* head;
    } rows[] = {
        {"a.Png", 2, "a.Png", "\x89PNG"}, {"b.svg", 0, "b.svg", "<?xml"}, {"c", 2, "c.pdf", "%PDF"},
        {"d.PS", 0, "d.PS", "%!PS"},      {"e.jpg", 0, nullptr, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        frame->SetStatusMessage("");
        const wxString typed = Path(row.typed);
        Export(typed, row.filter,
               row.written ? wxString()
                           : wxString::Format("Can't export \"%s\": the name must end in .png, "
                                              ".svg, .pdf or .ps!",
                                              typed));
        EXPECT_EQ(Status(), row.written ? "Exporting the image is completed!" : "");
        if (row.written) {
            EXPECT_EQ(ReadFile(Path(row.written)).substr(0, strlen(row.head)), row.head);
        }
    }
    wxArrayString files;
    wxDir::GetAllFiles(dir, &files, wxEmptyString, wxDIR_FILES);
    EXPECT_EQ(files.size(), 4u) << "no .jpg and no temporary file";
}

TEST_F(ExportImageCommandTest, PngIsThePanesPictureWithTheFrameAt100And10)
{
    ShowRendered();
    Export(Path("g.png"), 0);
    cairo_surface_t* png = cairo_image_surface_create_from_png(Path("g.png").utf8_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 640);
    EXPECT_EQ(cairo_image_surface_get_height(png), 480);
    // The frame (100, 10, 530, 420): a 1-pixel line covers half of the two pixels at an edge.
    for (int y : {100, 250, 380}) {
        EXPECT_NE(PixelAt(png, 99, y) & PixelAt(png, 100, y), WHITE) << y;
        EXPECT_NE(PixelAt(png, 629, y) & PixelAt(png, 630, y), WHITE) << y;
        EXPECT_EQ(PixelAt(png, 632, y), WHITE) << y;
    }
    for (int x : {200, 450}) {
        EXPECT_NE(PixelAt(png, x, 9) & PixelAt(png, x, 10), WHITE) << x;
        EXPECT_EQ(PixelAt(png, x, 7), WHITE) << x;
    }
    // Pixel for pixel what the pane draws at that size.
    CairoContext screen(640, 480);
    GraphRenderer(screen, *frame->GetProject(), 640, 480).Render();
    int differing = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            differing += PixelAt(png, x, y) != PixelAt(screen.GetSurface(), x, y);
    EXPECT_EQ(differing, 0);
    cairo_surface_destroy(png);
}

TEST_F(ExportImageCommandTest, AFileThatCannotBeWrittenIsReportedAndTheOldOneKept)
{
    ShowRendered();
    const wxString folder = Path("folder.png");
    wxFileName::Mkdir(folder);
    Export(folder, 0, wxString::Format("Can't write \"%s\"!", folder));
    EXPECT_TRUE(wxDirExists(folder));

    // A full disk: no write may grow a file beyond 64 bytes.
    for (const char* name : {"old.png", "old.pdf"}) {
        SCOPED_TRACE(name);
        const wxString path = Path(name);
        std::ofstream(path.utf8_string()) << "old";
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tiny = saved;
        tiny.rlim_cur = 64;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &tiny);
        Export(path, 0, wxString::Format("Can't write \"%s\"!", path));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(ReadFile(path), "old");
    }
    EXPECT_EQ(Status(), "");
    wxArrayString files;
    wxDir::GetAllFiles(dir, &files, wxEmptyString, wxDIR_FILES);
    EXPECT_EQ(files.size(), 2u) << "no temporary file left";
}

TEST_F(ExportImageCommandTest, CancelAtEitherDialogWritesNothing)
{
    ShowRendered();
    Run(InOrder(std::make_unique<ExpectDialog<ImageSizeSettingDlg>>(
        [](ImageSizeSettingDlg*) { return wxID_CANCEL; })));
    Run(InOrder(std::make_unique<ExpectDialog<ImageSizeSettingDlg>>(
                    [](ImageSizeSettingDlg*) { return wxID_OK; }),
                std::make_unique<wxExpectModal<wxFileDialog>>(Path("x.png"), wxID_CANCEL)));
    wxArrayString files;
    EXPECT_EQ(wxDir::GetAllFiles(dir, &files), 0u);
    EXPECT_EQ(Status(), "");
}

} // namespace
