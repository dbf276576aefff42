#include "app/commands/ExportImageCommand.h"

#include <wx/intl.h>
#include <wx/log.h>

#include "app/CommandReport.h"
#include "app/MainFrame.h"
#include "app/commands/ExportFile.h"
#include "app/dialogs/ImageSizeSettingDlg.h"
#include "app/panes/GraphPanel.h"
#include "render/CairoContext.h"
#include "render/GraphRenderer.h"

namespace {

// The image size chosen by the user; false when the dialog is cancelled.
bool ChooseImageSize(MainFrame& frame, int& width, int& height)
{
    const RenderSize window = frame.GetGraphPanel()->GetRenderInfo().lastSize;
    ImageSizeSettingDlg dlg(&frame);
    dlg.SetWindowSize(static_cast<int>(window.width), static_cast<int>(window.height));
    if (dlg.ShowModal() != wxID_OK)
        return false;
    width = dlg.GetImageWidth();
    height = dlg.GetImageHeight();
    return true;
}

// Renders the project as the graph pane does and puts the complete file in place; the
// error text when that failed, else an empty string.
wxString WriteImage(const GraphProject& project, const wxString& path, int width, int height)
{
    if (CairoTargetFromFileName(path) == CairoTarget::Invalid)
        return wxString::Format(_("Can't export \"%s\": the name must end in .png, .svg, .pdf or "
                                  ".ps!"),
                                path);
    CairoContext cairo(path, width, height);
    if (cairo.GetKind() == CairoTarget::Invalid)
        return wxString::Format(_("Can't create \"%s\"!"), path);
    GraphRenderer renderer(cairo, project, width, height);
    renderer.Render();
    // The error box below says what failed; no second window from the file functions' log.
    wxLogNull quiet;
    if (!cairo.Finish())
        return wxString::Format(_("Can't write \"%s\"!"), path);
    return wxString();
}

} // namespace

void RunExportImageCommand(MainFrame& frame)
{
    const auto project = frame.GetProject();
    if (project->GetCount() == 0 || !frame.GetGraphPanel()->IsRendered()) {
        ShowErrorMessage(&frame, _("No Data!"));
        return;
    }
    int width = 0, height = 0;
    if (!ChooseImageSize(frame, width, height))
        return;
    wxString path;
    if (!ChooseExportFile(&frame, _("Export Image"),
                          "PNG files (*.png)|*.png|SVG files (*.svg)|*.svg|PDF files "
                          "(*.pdf)|*.pdf|PS files (*.ps)|*.ps",
                          path))
        return;
    const wxString failure = WriteImage(*project, path, width, height);
    if (!failure.empty()) {
        ShowErrorMessage(&frame, failure);
        return;
    }
    RememberExportFolder(path);
    frame.SetStatusMessage(_("Exporting the image is completed!"));
}
