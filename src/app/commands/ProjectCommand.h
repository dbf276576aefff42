#pragma once

#include <wx/string.h>

class ProjectHost;

// File > Open Project: what to do with a modified project first, a file dialog, then
// OpenProjectFile.
void RunOpenProjectCommand(ProjectHost& host);

// Reads and makes the project of `path` (its files read with their options, its formulas
// calculated) and puts it in the window in place of the current one. A damaged file, a
// newer format or a file that is no file leaves the current project as it is (the error
// box says why); series left out or changed are listed in one message and the project
// stays modified. False when nothing was opened. Does not ask about the current project.
bool OpenProjectFile(ProjectHost& host, const wxString& path);

// File > Save Project (asks for a name only when the project has none) and Save Project
// As. A failed save says so and leaves the project modified; false then or when cancelled.
bool RunSaveProjectCommand(ProjectHost& host, bool askForName);

// Before New, Open or Exit: a modified project asks Save / Discard / Cancel. True when the
// caller may go on (saved, discarded, or nothing to lose).
bool SaveOrDiscardModified(ProjectHost& host, const wxString& caption);
