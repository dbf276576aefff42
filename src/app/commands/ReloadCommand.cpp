#include "app/commands/ReloadCommand.h"

#include <algorithm>
#include <cfloat>
#include <functional>

#include <wx/intl.h>

#include "app/CommandReport.h"
#include "app/Settings.h"
#include "app/commands/CommandHost.h"
#include "app/dialogs/ProgressDlg.h"
#include "csv/Follow.h"
#include "model/GraphProject.h"

namespace {

// Moves a view that showed the end of the data (the newest point within a pixel's worth of
// its right edge) along with it, keeping its width; with `fitY`, Y then shows the visible
// points.
void MoveViewWithEnd(GraphProject& project, const PlotRange& view, double endBefore,
                     const ReloadReport& report, bool fitY)
{
    const double endAfter = project.GetMaxX(true);
    const double slack = (view.maxX - view.minX) * 1e-3;
    if (report.newPoints > 0 && endBefore != -DBL_MAX && endAfter > endBefore &&
        view.maxX >= endBefore - slack && view.minX <= endBefore) {
        const double shift = std::max(0.0, endAfter - view.maxX);
        PlotRange moved{view.minX + shift, view.maxX + shift, view.minY, view.maxY};
        if (fitY)
            ComputeVisibleRangeY(project, moved.minX, moved.maxX, moved.minY, moved.maxY);
        if (shift > 0.0 || fitY)
            project.SetPlotRange(moved.minX, moved.maxX, moved.minY, moved.maxY);
    }
}

// Reloads with `context` (null: on this thread, without a dialog), moving a view at the
// end of the data along with it. The report of what happened.
ReloadReport Reload(CommandHost& host, ProcContext* context)
{
    GraphProject& project = *host.GetProject();
    const PlotRange view = project.GetPlotRange();
    const double endBefore = project.GetMaxX(true);
    ReloadReport report;
    ReloadProject(project, CSVImportTuning(), ReadSetting(host.GetConfig(), SETTING_MIPMAP_RESOLUTION), context,
                  report);
    MoveViewWithEnd(project, view, endBefore, report, false);
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

bool StartFollowRead(CommandHost& host, FileFollower& follower, std::function<void()> done)
{
    return follower.Start(*host.GetProject(), CSVImportTuning(),
                          ReadSetting(host.GetConfig(), SETTING_MIPMAP_RESOLUTION), std::move(done));
}

bool FinishFollowRead(CommandHost& host, FileFollower& follower, bool fitY)
{
    GraphProject& project = *host.GetProject();
    const PlotRange view = project.GetPlotRange();
    const double endBefore = project.GetMaxX(true);
    ReloadReport report;
    bool again = false;
    if (!follower.Finish(project, report, again))
        return false;
    MoveViewWithEnd(project, view, endBefore, report, fitY);
    if (!report.message.empty())
        host.SetStatusMessage(report.message);
    else if (report.newPoints > 0 || report.replaced > 0)
        host.SetStatusMessage(
            HasSeriesNotFromFiles(project)
                ? wxString::Format(_("Following: %lld new points. Calculated series are not "
                                     "calculated again."),
                                   static_cast<long long>(report.newPoints))
                : wxString::Format(_("Following: %lld new points."),
                                   static_cast<long long>(report.newPoints)));
    return again;
}
