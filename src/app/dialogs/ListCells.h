#pragma once

#include <wx/listctrl.h>
#include <wx/string.h>

// Small list helpers shared by the import and export option dialogs.

// The first selected row of a list, or -1.
inline long SelectedRow(const wxListCtrl* list)
{
    return list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

// Writes a cell only where its text differs, so an unchanged list does not flicker.
inline void SetCell(wxListCtrl* list, long row, int column, const wxString& text)
{
    if (list->GetItemText(row, column) != text)
        list->SetItem(row, column, text);
}

// An X axis given by its start and interval, as the option lists show it.
inline wxString DataXText(double start, double interval)
{
    return wxString::Format("S: %f, I: %f", start, interval);
}
