#pragma once

#include <wx/string.h>

#include "progress/ResultCode.h"

class wxWindow;

// The error box of every command: caption "Error", error icon, OK button.
void ShowErrorMessage(wxWindow* parent, const wxString& text);

// What a command shows after a long operation, in the error box: nothing for success and
// cancel, the worker's own message for its failures, and a text of ours when the operation
// could not be started at all. True when the operation succeeded.
bool ReportCommandResult(wxWindow* parent, ResultCode code, const wxString& workerMessage);
