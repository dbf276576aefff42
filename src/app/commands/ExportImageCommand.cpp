#include "app/commands/ExportImageCommand.h"

#include <wx/gdicmn.h>
#include <wx/intl.h>
#include <wx/log.h>

#include "app/CommandReport.h"
#include "app/commands/CommandHost.h"
#include "app/commands/ExportFile.h"
#include "app/dialogs/ImageSizeSettingDlg.h"
#include "model/GraphProject.h"
#include "render/CairoContext.h"
#include "render/GraphRenderer.h"

namespace {

// The image size chosen by the user; false when the dialog is cancelled.
bool ChooseImageSize(wxWindow* parent, const wxSize& window, int& width, int& height)
{
    ImageSizeSettingDlg dlg(parent);
    dlg.SetWindowSize(window.GetWidth(), window.GetHeight());
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

void RunExportImageCommand(CommandHost& host)
{
    wxWindow* parent = host.GetCommandWindow();
    const auto project = host.GetProject();
    wxSize window;
    if (project->GetCount() == 0 || !host.GetDrawnGraphSize(window)) {
        ShowErrorMessage(parent, _("No Data!"));
        return;
    }
    int width = 0, height = 0;
    if (!ChooseImageSize(parent, window, width, height))
        return;
    wxString path;
    if (!ChooseExportFile(parent, _("Export Image"),
                          "PNG files (*.png)|*.png|SVG files (*.svg)|*.svg|PDF files "
                          "(*.pdf)|*.pdf|PS files (*.ps)|*.ps",
                          path))
        return;
    const wxString failure = WriteImage(*project, path, width, height);
    if (!failure.empty()) {
        ShowErrorMessage(parent, failure);
        return;
    }
    RememberExportFolder(path);
    host.SetStatusMessage(_("Exporting the image is completed!"));
}
