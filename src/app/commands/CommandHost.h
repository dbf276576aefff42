#pragma once

#include <memory>

class ColumnCache;
class GraphProject;
class RecentFiles;
class wxConfigBase;
class wxSize;
class wxString;
class wxWindow;

// What the commands need of the window that runs them. The main window implements it and
// hands itself to each command; a test can hand a stand-in, so that a command runs without
// the main window and the commands never reach into it.
class CommandHost
{
public:
    virtual ~CommandHost() = default;

    // The project the commands read and change.
    virtual std::shared_ptr<GraphProject> GetProject() const = 0;
    // The parent of the commands' dialogs and message boxes; work a command defers (until
    // a drop is over, until the event loop runs) is queued on it.
    virtual wxWindow* GetCommandWindow() = 0;
    // The per-user configuration: the commands' settings and the recent files.
    virtual wxConfigBase& GetConfig() = 0;
    virtual RecentFiles& GetRecentFiles() = 0;
    // A command's result, shown for a few seconds.
    virtual void SetStatusMessage(const wxString& text) = 0;
    // Sets the plot range to the data on the chosen axes.
    virtual void FitPlotRange(bool fitX, bool fitY) = 0;
    // The size the graph was last drawn at; false while no graph has been drawn.
    virtual bool GetDrawnGraphSize(wxSize& size) const = 0;
    // Where imports are cached; null: nowhere.
    virtual ColumnCache* GetColumnCache() { return nullptr; }
};
