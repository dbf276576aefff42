#pragma once

// Project files (".ardentine"): a saved analysis as JSON. They hold where every series came
// from (a file and how it was read, or a formula), its look, the display properties, the
// view, the time origin and the cursors; never the data itself. The reader treats the
// file as hostile data: it checks every value and fills a SavedProject only when all of
// them are good, so that nothing of a damaged file reaches a project.

#include <cstdint>
#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportOption.h"
#include "csv/Dialect.h"
#include "csv/Reload.h"
#include "model/GraphData.h"
#include "model/GraphProject.h"
#include "model/PlotRange.h"

// The version this program writes; it reads every version up to it.
constexpr int PROJECT_FORMAT_VERSION = 1;
// "ardentine", without the dot.
extern const char* const PROJECT_EXTENSION;

// Limits that keep a hostile file from asking for absurd amounts of work or memory.
constexpr int64_t MAX_PROJECT_FILE_BYTES = 64 << 20;
constexpr size_t MAX_PROJECT_SERIES = 10000;
constexpr size_t MAX_PROJECT_LIST = 100000; // data sources, columns of one file
constexpr int MAX_PROJECT_DEPTH = 16;       // JSON nesting

// A file that series came from, and how it was read.
struct SavedFile
{
    wxString path; // absolute in memory; relative in the file when beside or below it
    wxChar separator = ',';
    DialectRequest request;
    CSVImportOption option;
    FileIdentity identity; // when it was read
};

// A series made by a formula: over its own start and interval, or over the X of an
// earlier series (`sameXAs`, 0-based) that has one X per point.
struct SavedFormula
{
    wxString text;
    double start = 0.0;
    double interval = 1.0;
    int32_t size = 1;
    int sameXAs = -1;
    bool hasTimeOrigin = false;
    int64_t timeOrigin = 0;
};

struct SavedSeries
{
    wxString label;
    bool visible = true;
    LineStyle style;
    // From file `file` (index into SavedProject::files), data source `source` and the
    // split column's value `key`; or, with file -1, from the formula.
    int file = -1;
    size_t source = 0;
    std::string key;
    SavedFormula formula;
};

struct SavedCursors
{
    bool shown = false;
    double x[2] = {0.0, 0.0};
};

struct SavedProject
{
    std::vector<SavedFile> files;
    std::vector<SavedSeries> series; // in the project's order
    ProjectProperty property;
    PlotRange range;
    bool hasTimeOrigin = false;
    int64_t timeOrigin = 0;
    SavedCursors cursors;
};

// The text of the project file at `projectPath` (paths beside or below its folder are
// written relative to it).
std::string WriteProjectText(const SavedProject& project, const wxString& projectPath);

// Reads the text of a project file whose folder is `projectFolder` (relative paths are
// resolved against it). False, with a message that says what is wrong and where, for
// anything but a complete, valid project of a version up to PROJECT_FORMAT_VERSION;
// `out` is then untouched. Checks the formulas' syntax, not the files on disk.
bool ParseProjectText(const std::string& text, const wxString& projectFolder, SavedProject& out,
                      wxString& error);

// Reads the project file `path`: a regular file of at most MAX_PROJECT_FILE_BYTES, then
// ParseProjectText.
bool ReadProjectFile(const wxString& path, SavedProject& out, wxString& error);

// Writes the project file atomically (flushed to the disk): an existing file is replaced
// only by a complete one. False, with the reason, when it can't be written.
bool SaveProjectFile(const wxString& path, const SavedProject& project, wxString& error);

// Whether `path` names a project file (by its extension).
bool IsProjectFileName(const wxString& path);
