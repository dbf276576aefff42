#pragma once

// Between a project and its saved description: what to save of a project, and the new
// project a description makes again (its files read with their options, its formulas
// calculated in order).

#include <memory>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportTuning.h"
#include "model/GraphProject.h"
#include "progress/ProgressProc.h"
#include "progress/ResultCode.h"
#include "project/ProjectFile.h"

class ColumnCache;

// The description of `project`: each series' source, look and place, the properties, the
// range and the time origin (the cursors are the caller's). A series from neither a file
// nor a formula is saved as a formula of zeros over its X: a project never refers to
// anything it can't make again.
SavedProject DescribeProject(const GraphProject& project, const SavedCursors& cursors);

// What opening left out or found changed: the series concerned, by label.
struct OpenReport
{
    std::vector<wxString> missing; // their file is gone: the series is empty
    std::vector<wxString> changed; // their file changed since it was saved
    std::vector<wxString> failed;  // the file or formula failed: the series is empty
    wxString firstFailure;         // the first reason of a failure
    bool Clean() const { return missing.empty() && changed.empty() && failed.empty(); }
    // One message that lists every series concerned; empty when clean.
    wxString Message() const;
};

// Makes the project described by `saved`, on the calling thread (long reads and
// calculations through `context`). A series whose file is missing or fails, or whose
// formula fails, is there without points (its label, look and source kept, so that a
// save keeps it and a reload can fill it) and the report names it. FAILURE, with
// `error`, before anything is read when a file named is something other than a regular
// file (a device, a FIFO, a folder); CANCELLED when the user cancels. `out` is set only
// on SUCCESS. Files come from `cache` when it holds them as they are now, and go to it
// otherwise.
ResultCode BuildSavedProject(const SavedProject& saved, const CSVImportTuning& tuning,
                             int resolution, ProcContext* context,
                             std::shared_ptr<GraphProject>& out, OpenReport& report,
                             wxString& error, ColumnCache* cache = nullptr);

// Starts the cache's reads of the files of the project file at `path` on threads of their
// own (see ColumnCache::Prefetch), for BuildSavedProject to take: at start-up, the files are
// read while the window is made. Nothing when the project can't be read.
void PrefetchProjectFiles(const wxString& path, int resolution, ColumnCache& cache);
// Whether every series of the project file at `path` comes from a file whose prefetch
// loaded it, so that its open reads nothing and asks nothing (waits for the prefetches).
bool ProjectFilesPrefetched(const wxString& path, int resolution, ColumnCache& cache);
