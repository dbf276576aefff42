#pragma once

#include <wx/event.h>
#include <wx/gdicmn.h>

// Sent by the graph pane when the mouse enters, leaves or moves over the plot; the
// event's integer says which. Its event object implements GraphCursorSource.
wxDECLARE_EVENT(EVT_GRAPH_CURSOR, wxCommandEvent);

enum
{
    CURSOR_ENTER = 1,
    CURSOR_LEAVE = 2,
    CURSOR_MOVE = 3,
};

// The point under the mouse, in data coordinates, as the graph pane last saw it.
class GraphCursorSource
{
public:
    virtual ~GraphCursorSource() = default;
    virtual wxRealPoint GetCursorPoint() const = 0;
};
