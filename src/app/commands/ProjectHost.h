#pragma once

#include <memory>

#include <wx/string.h>

#include "app/commands/CommandHost.h"

struct SavedCursors;

// What the project file commands need beyond CommandHost: the project's file and modified
// state, the cursors the file keeps, and putting an opened project in place.
class ProjectHost : public CommandHost
{
public:
    virtual bool IsModified() const = 0;
    // The project file the project was opened from or last saved to; empty when none.
    virtual const wxString& GetProjectPath() const = 0;
    // The project file's name without its extension, or "Untitled".
    virtual wxString GetProjectName() const = 0;
    // Puts `project` (from the file `path`, or a new one with an empty path) in place of the
    // current one.
    virtual void SetProject(std::shared_ptr<GraphProject> project, const wxString& path,
                            bool modified) = 0;
    // After the project was written to `path`: its file now, no longer modified.
    virtual void MarkSaved(const wxString& path) = 0;
    virtual SavedCursors GetCursors() const = 0;
    virtual void SetCursors(const SavedCursors& cursors) = 0;
};
