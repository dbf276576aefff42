#pragma once

#include <memory>
#include <stdexcept>
#include <vector>

#include <wx/cmdline.h>
#include <wx/string.h>

#include "cli/JsonWriter.h"
#include "cli/TerminalProgress.h"
#include "csv/Dialect.h"
#include "model/GraphProject.h"

// Exit statuses of the tool.
enum ExitStatus
{
    EXIT_OK = 0,
    EXIT_ENGINE_FAILURE = 1, // the JSON says which
    EXIT_USAGE = 2,          // usage text on stderr
    EXIT_INTERRUPTED = 130,  // Ctrl+C
};

// A bad command line: the message goes to stderr with the usage text, exit status 2.
class UsageError : public std::runtime_error
{
public:
    UsageError(const wxString& message, const wxString& usage = wxString())
        : std::runtime_error(message.utf8_string()), m_usage(usage)
    {
    }
    const wxString& Usage() const { return m_usage; }

private:
    wxString m_usage;
};

// Thrown when the engine reports a failure: printed as {"result":code,"message":...}.
struct EngineFailure
{
    int code;
    wxString message;
};

struct Interrupted
{
};

void PrintJson(const Json& value);

// Message catalogs beside the executable or in the installed share/locale.
void SetUpTranslations(const char* argv0);

// "tab", "semicolon", "comma" or "space" to the character.
wxChar ParseSeparatorName(const wxString& name);

// How to read input files: what the command line fixed; the rest is detected.
struct FileReading
{
    wxChar separator = 0; // 0: the plain reading uses a comma, the detection finds it
    DialectRequest request;
};

// --sep (unless the command places it itself), --decimal, --time-column, --no-detect.
void AddReadingOptions(wxCmdLineParser& parser, bool withSeparator = true);
FileReading ReadingOptions(const wxCmdLineParser& parser);

class CSVImporter;
// Gives the importer what the command line fixed.
void ApplyReading(CSVImporter& importer, const FileReading& reading);

struct ImportReport
{
    int64_t gaps = 0;
    int64_t firstGapLine = 0;
};

class ColumnCache;
// Scans and imports FILE with its default option into project, as the desktop does; a
// file that yields no series is a failure with the desktop's message. With a cache, the
// series come from it when it holds them, and are written to it when not.
ImportReport ImportWithDefaults(GraphProject& project, const wxString& file,
                                const FileReading& reading, TerminalProgress& progress,
                                ColumnCache* cache = nullptr);

// The shapes of the series ImportWithDefaults would add, from the cache's metadata alone:
// false when the cache does not hold them.
bool ListCachedDefaults(const wxString& file, const FileReading& reading, ColumnCache& cache,
                        std::vector<SeriesShape>& shapes, ImportReport& report);

// Adds the series of "LABEL=EXPR" over the X axis and size of the first series of the
// project, or 0, 1 and 1001 points when it has none.
void AddFormulaSeries(GraphProject& project, const wxString& labelAndFormula,
                      TerminalProgress& progress);

// Throws Interrupted for CANCELLED and EngineFailure, with the worker's message, for any
// other failure. The worker is passed whole so that its message is read after the run.
void CheckResult(ResultCode result, const wxString& message);
template <typename Worker> void CheckResult(ResultCode result, const Worker& worker)
{
    if (!result.IsSuccess())
        CheckResult(result, worker.GetErrorMessage());
}

// Parses the command line of one subcommand; throws UsageError (with the parser's usage
// text) when it is not valid. False when help was asked for (already printed).
bool ParseCommandLine(wxCmdLineParser& parser);

int RunInfo(int argc, char** argv);
int RunImport(int argc, char** argv);
int RunEval(int argc, char** argv);
int RunTicks(int argc, char** argv);
int RunPlot(int argc, char** argv);
int RunExport(int argc, char** argv);
