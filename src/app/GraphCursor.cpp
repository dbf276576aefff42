#include "app/GraphCursor.h"

wxDEFINE_EVENT(EVT_GRAPH_CURSOR, wxCommandEvent);
