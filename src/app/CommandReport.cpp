#include "app/CommandReport.h"

#include <wx/intl.h>
#include <wx/msgdlg.h>

namespace {

wxString CommandFailureText(ResultCode code, const wxString& workerMessage)
{
    switch (code.code) {
    case ResultCode::SUCCESS:
    case ResultCode::CANCELLED:
        return wxString();
    case ResultCode::NOT_STARTED:
        return _("Can't start the processing thread!");
    case ResultCode::OUT_OF_MEMORY:
        return workerMessage.empty() ? wxString(_("Out of memory!")) : workerMessage;
    default:
        return workerMessage.empty() ? wxString(_("Unknown error!")) : workerMessage;
    }
}

} // namespace

void ShowErrorMessage(wxWindow* parent, const wxString& text)
{
    wxMessageBox(text, _("Error"), wxOK | wxICON_ERROR, parent);
}

bool ReportCommandResult(wxWindow* parent, ResultCode code, const wxString& workerMessage)
{
    const wxString text = CommandFailureText(code, workerMessage);
    if (!text.empty())
        ShowErrorMessage(parent, text);
    return code.IsSuccess();
}
