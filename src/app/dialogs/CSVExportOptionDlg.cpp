#include "app/dialogs/CSVExportOptionDlg.h"

#include <algorithm>
#include <utility>

#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "app/dialogs/ListCells.h"
#include "model/GraphProject.h"

namespace {

// Rows are added or removed at the top until the count matches; SetCell then writes only
// the cells that changed.
void ResizeList(wxListCtrl* list, int rows)
{
    while (list->GetItemCount() > rows)
        list->DeleteItem(0);
    while (list->GetItemCount() < rows)
        list->InsertItem(0, wxString());
}

} // namespace

CSVExportOptionDlg::CSVExportOptionDlg(wxWindow* parent)
    : CSVExportOptionDlgDesign(parent, wxID_ANY, _("CSV File Export Option"))
{
}

void CSVExportOptionDlg::SetProject(GraphProject* project)
{
    m_proj = project;
    UpdateCandidate();
}

void CSVExportOptionDlg::SetOption(const CSVExportOption& option)
{
    m_option = option;
    UpdateExportedItem();
    UpdateExportedItemHeader();
    UpdateOptionControls();
}

void CSVExportOptionDlg::UpdateCandidate()
{
    wxCHECK_RET(m_proj != 0, "m_proj != 0");
    const int count = m_proj->GetCount();
    ResizeList(m_listCtrlCandidate, count);
    for (int i = 0; i < count; ++i) {
        const auto series = m_proj->GetItem(i);
        const DataX x = series->GetDataX();
        SetCell(m_listCtrlCandidate, i, 0, wxString::Format("%d", i + 1));
        SetCell(m_listCtrlCandidate, i, 1, series->GetLabel());
        SetCell(m_listCtrlCandidate, i, 2,
                x.IsExplicit() ? wxString(_("own X of each point"))
                               : DataXText(x.start, x.interval));
        SetCell(m_listCtrlCandidate, i, 3,
                wxString::Format("%lld", static_cast<long long>(series->GetCount())));
    }
}

void CSVExportOptionDlg::UpdateExportedItem()
{
    wxCHECK_RET(m_proj != 0, "m_proj != 0");
    const auto& items = m_option.exportedData;
    ResizeList(m_listCtrlExported, static_cast<int>(items.size()));
    for (size_t k = 0; k < items.size(); ++k) {
        const long row = static_cast<long>(k);
        const int index = items[k].index;
        const bool known = index >= 0 && index < m_proj->GetCount();
        wxASSERT_MSG(known, "index >= 0 && index < m_proj->GetCount()");
        SetCell(m_listCtrlExported, row, 0, wxString::Format("%d", index + 1));
        SetCell(m_listCtrlExported, row, 1,
                known ? m_proj->GetItem(index)->GetLabel() : wxString());
        SetCell(m_listCtrlExported, row, 2, items[k].header);
    }
}

void CSVExportOptionDlg::UpdateExportedItemHeader()
{
    const long item = SelectedExported();
    if (item < 0) {
        m_textCtrlHeader->Enable(false);
        return;
    }
    // ChangeValue: showing the header is not an edit of it.
    if (m_textCtrlHeader->GetValue() != m_option.exportedData[item].header)
        m_textCtrlHeader->ChangeValue(m_option.exportedData[item].header);
    m_textCtrlHeader->Enable(true);
}

void CSVExportOptionDlg::UpdateOptionControls()
{
    if (m_checkBoxExportHeader->GetValue() != m_option.exportHeader)
        m_checkBoxExportHeader->SetValue(m_option.exportHeader);
    if (m_checkBoxExportX->GetValue() != m_option.exportX)
        m_checkBoxExportX->SetValue(m_option.exportX);
    if (m_textCtrlXDataHeader->GetValue() != m_option.xDataHeader)
        m_textCtrlXDataHeader->ChangeValue(m_option.xDataHeader);
    m_textCtrlXDataHeader->Enable(m_option.exportX);
}

bool CSVExportOptionDlg::TransferDataFromWindow()
{
    if (!m_option.exportedData.empty())
        return true;
    wxMessageBox(_("Exported data is empty! Push at least one series with \">>\"."), _("Warning"),
                 wxOK | wxICON_WARNING, this);
    return false;
}

long CSVExportOptionDlg::SelectedExported() const
{
    const long item = SelectedRow(m_listCtrlExported);
    if (item < 0)
        return -1;
    wxCHECK_MSG(item < static_cast<long>(m_option.exportedData.size()), -1,
                "item >= 0 && item < static_cast<long>(m_option.exportedData.size())");
    return item;
}

void CSVExportOptionDlg::SelectExported(long row)
{
    const long previous = SelectedRow(m_listCtrlExported);
    if (previous >= 0 && previous != row)
        m_listCtrlExported->SetItemState(previous, 0, wxLIST_STATE_SELECTED);
    if (row >= 0)
        m_listCtrlExported->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                         wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

void CSVExportOptionDlg::ButtonPush_OnButtonClick(wxCommandEvent&)
{
    const long item = SelectedRow(m_listCtrlCandidate);
    if (item < 0)
        return;
    wxCHECK_RET(m_proj != 0, "m_proj != 0");
    wxCHECK_RET(item < m_proj->GetCount(), "item >= 0 && item < m_proj->GetCount()");
    const auto candidate = m_proj->GetItem(static_cast<int>(item));
    auto& items = m_option.exportedData;
    if (!items.empty() && !ShareExportAxis(*candidate, *m_proj->GetItem(items[0].index))) {
        wxMessageBox(_("X-data and the number of points, that will be pushed, should be equal "
                       "to the ones already appended!"),
                     _("Warning"), wxOK | wxICON_WARNING, this);
    } else {
        items.push_back(ExportedItem{static_cast<int32_t>(item), candidate->GetLabel()});
    }
    UpdateExportedItem();
    UpdateExportedItemHeader();
}

void CSVExportOptionDlg::ButtonPop_OnButtonClick(wxCommandEvent&)
{
    const long item = SelectedExported();
    if (item < 0)
        return;
    auto& items = m_option.exportedData;
    items.erase(items.begin() + item);
    UpdateExportedItem();
    // The row that took the popped one's place is selected, so "<<" pressed again pops on.
    SelectExported(items.empty() ? -1 : std::min(item, static_cast<long>(items.size()) - 1));
    UpdateExportedItemHeader();
}

void CSVExportOptionDlg::MoveSelected(int direction)
{
    const long item = SelectedExported();
    const long neighbour = item + direction;
    auto& items = m_option.exportedData;
    if (item < 0 || neighbour < 0 || neighbour >= static_cast<long>(items.size()))
        return;
    std::swap(items[item], items[neighbour]);
    UpdateExportedItem();
    SelectExported(neighbour);
    UpdateExportedItemHeader();
}

void CSVExportOptionDlg::ButtonMoveUp_OnButtonClick(wxCommandEvent&)
{
    MoveSelected(-1);
}

void CSVExportOptionDlg::ButtonMoveDown_OnButtonClick(wxCommandEvent&)
{
    MoveSelected(+1);
}

void CSVExportOptionDlg::ListCtrlExported_OnItemSelected(wxListEvent&)
{
    UpdateExportedItemHeader();
}

void CSVExportOptionDlg::ListCtrlExported_OnItemDeselected(wxListEvent&)
{
    UpdateExportedItemHeader();
}

void CSVExportOptionDlg::TextCtrlHeader_OnText(wxCommandEvent&)
{
    const long item = SelectedExported();
    if (item < 0)
        return;
    m_option.exportedData[item].header = m_textCtrlHeader->GetValue();
    UpdateExportedItem();
}

void CSVExportOptionDlg::CheckBoxExportHeader_OnCheckBox(wxCommandEvent&)
{
    m_option.exportHeader = m_checkBoxExportHeader->GetValue();
}

void CSVExportOptionDlg::CheckBoxExportX_OnCheckBox(wxCommandEvent&)
{
    m_option.exportX = m_checkBoxExportX->GetValue();
    m_textCtrlXDataHeader->Enable(m_option.exportX);
}

void CSVExportOptionDlg::TextCtrlXDataHeader_OnText(wxCommandEvent&)
{
    m_option.xDataHeader = m_textCtrlXDataHeader->GetValue();
}
