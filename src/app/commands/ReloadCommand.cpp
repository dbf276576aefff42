#include "app/commands/ReloadCommand.h"

#include <cfloat>

#include <wx/intl.h>

#include "app/CommandReport.h"
#include "app/Settings.h"
#include "app/commands/CommandHost.h"
#include "app/dialogs/ProgressDlg.h"
#include "csv/Reload.h"
#include "model/GraphProject.h"

namespace {

// Reloads with `context` (null: on this thread, without a dialog); moves a view that
// showed the end of the data along with it. The report of what happened.
ReloadReport Reload(CommandHost& host, ProcContext* context)
{
    GraphProject& project = *host.GetProject();
    const PlotRange view = project.GetPlotRange();
    const double endBefore = project.GetMaxX(true);
    ReloadReport report;
    ReloadProject(project, CSVImportTuning(),
                  ReadSetting(host.GetConfig(), SETTING_MIPMAP_RESOLUTION), context, report);
    const double endAfter = project.GetMaxX(true);
    // At the end: the newest point within a pixel's worth of the right edge.
    const double slack = (view.maxX - view.minX) * 1e-3;
    if (report.newPoints > 0 && endBefore != -DBL_MAX && endAfter > endBefore &&
        view.maxX >= endBefore - slack && view.minX <= endBefore) {
        const double shift = endAfter - view.maxX;
        if (shift > 0.0)
            project.SetPlotRange(view.minX + shift, view.maxX + shift, view.minY, view.maxY);
    }
    return report;
}

} // namespace

void RunReloadCommand(CommandHost& host)
{
    ProgressDlg progress(host.GetCommandWindow());
    const ReloadReport report = Reload(host, &progress);
    if (!report.message.empty()) {
        ShowErrorMessage(host.GetCommandWindow(), report.message);
        return;
    }
    host.SetStatusMessage(wxString::Format(
        _("Reloaded: %d files grew by %lld points, %d were read again, %d had not changed."),
        report.grown, static_cast<long long>(report.newPoints), report.replaced, report.same));
}

namespace {

// Whether some series was not read from a file (a calculated one), which a reload leaves
// as it was.
bool HasSeriesNotFromFiles(const GraphProject& project)
{
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto series = project.GetItem(i);
        if (series && !dynamic_cast<const FileSeriesSource*>(series->GetSource().get()))
            return true;
    }
    return false;
}

} // namespace

void RunFollowStep(CommandHost& host)
{
    const ReloadReport report = Reload(host, nullptr);
    if (!report.message.empty())
        host.SetStatusMessage(report.message);
    else if (report.newPoints > 0 || report.replaced > 0)
        host.SetStatusMessage(
            HasSeriesNotFromFiles(*host.GetProject())
                ? wxString::Format(_("Following: %lld new points. Calculated series are not "
                                     "calculated again."),
                                   static_cast<long long>(report.newPoints))
                : wxString::Format(_("Following: %lld new points."),
                                   static_cast<long long>(report.newPoints)));
}
