#include "app/commands/ProjectCommand.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "app/CommandReport.h"
#include "app/RecentFiles.h"
#include "app/commands/ProjectHost.h"
#include "app/Settings.h"
#include "app/dialogs/FileDialogs.h"
#include "app/dialogs/ProgressDlg.h"
#include "project/ProjectOpen.h"

namespace {

const char* const PROJECT_WILDCARD = "Ardentine projects (*.ardentine)|*.ardentine";

void Remember(ProjectHost& host, const wxString& path)
{
    host.GetRecentFiles().Remember(path, host.GetConfig());
}

// The folder to offer: the project's own, else that of the last recent file.
wxString StartFolder(ProjectHost& host)
{
    const wxString path = host.GetProjectPath();
    return path.empty() ? host.GetRecentFiles().LastFolder() : wxFileName(path).GetPath();
}

} // namespace

void RunOpenProjectCommand(ProjectHost& host)
{
    if (!SaveOrDiscardModified(host, _("Open Project")))
        return;
    wxFileDialog dlg(host.GetCommandWindow(), _("Open Project"), StartFolder(host), wxEmptyString,
                     PROJECT_WILDCARD, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK)
        return;
    OpenProjectFile(host, ChosenPath(dlg));
}

bool OpenProjectFile(ProjectHost& host, const wxString& path)
{
    SavedProject saved;
    wxString error;
    if (!ReadProjectFile(path, saved, error)) {
        ShowErrorMessage(host.GetCommandWindow(), error);
        return false;
    }
    std::shared_ptr<GraphProject> project;
    OpenReport report;
    ProgressDlg progress(host.GetCommandWindow());
    const ResultCode result = BuildSavedProject(
        saved, CSVImportTuning(), ReadSetting(host.GetConfig(), SETTING_MIPMAP_RESOLUTION),
        &progress, project, report, error, host.GetColumnCache());
    if (!ReportCommandResult(host.GetCommandWindow(), result, error))
        return false;
    host.SetProject(project, path, !report.Clean());
    host.SetCursors(saved.cursors);
    Remember(host, path);
    if (!report.Clean())
        wxMessageBox(report.Message(), _("Open Project"), wxOK | wxICON_WARNING,
                     host.GetCommandWindow());
    host.SetStatusMessage(_("Opening the project is completed!"));
    return true;
}

bool RunSaveProjectCommand(ProjectHost& host, bool askForName)
{
    wxString path = host.GetProjectPath();
    if (askForName || path.empty()) {
        const wxString name =
            path.empty() ? wxString(_("Untitled")) + ".ardentine" : wxFileName(path).GetFullName();
        wxFileDialog dlg(host.GetCommandWindow(), _("Save Project As"), StartFolder(host), name,
                         PROJECT_WILDCARD, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dlg.ShowModal() != wxID_OK)
            return false;
        const wxString chosen = ChosenPath(dlg);
        path = WithFilterExtension(chosen, "*.ardentine");
        // The dialog asked only about the name as typed.
        if (path != chosen && wxFileExists(path) &&
            wxMessageBox(
                wxString::Format(_("\"%s\" already exists.\nDo you want to replace it?"), path),
                _("Save Project As"), wxYES_NO | wxICON_QUESTION, host.GetCommandWindow()) != wxYES)
            return false;
    }
    wxString error;
    if (!SaveProjectFile(path, DescribeProject(*host.GetProject(), host.GetCursors()), error)) {
        ShowErrorMessage(host.GetCommandWindow(), error);
        return false;
    }
    host.MarkSaved(path);
    Remember(host, path);
    host.SetStatusMessage(_("Saving the project is completed!"));
    return true;
}

bool SaveOrDiscardModified(ProjectHost& host, const wxString& caption)
{
    if (!host.IsModified())
        return true;
    wxMessageDialog dlg(
        host.GetCommandWindow(),
        wxString::Format(_("Do you want to save the changes to \"%s\"?"), host.GetProjectName()),
        caption, wxYES_NO | wxCANCEL | wxICON_QUESTION);
    dlg.SetYesNoLabels(_("Save"), _("Discard"));
    switch (dlg.ShowModal()) {
    case wxID_YES:
        return RunSaveProjectCommand(host, false);
    case wxID_NO:
        return true;
    default:
        return false;
    }
}
