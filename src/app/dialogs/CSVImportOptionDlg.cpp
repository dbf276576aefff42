#include "app/dialogs/CSVImportOptionDlg.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "app/dialogs/ListCells.h"

namespace {

enum
{
    COLUMN_NAME,
    COLUMN_X_DATA,
    COLUMN_Y_DATA,
};

// Writes the value only where it differs, then gives what the control really holds
// (clamped to its range, rounded to its digits), so the option can always equal it.
int WriteSpin(wxSpinCtrl* spin, int value)
{
    if (spin->GetValue() != value)
        spin->SetValue(value);
    return spin->GetValue();
}

double WriteSpin(wxSpinCtrlDouble* spin, double value)
{
    if (spin->GetValue() != value)
        spin->SetValue(value);
    return spin->GetValue();
}

wxString XDataText(const DataSource& source)
{
    if (source.useDirectVal)
        return DataXText(source.xStart, source.xInterval);
    return wxString::Format("Column %d", source.columnX + 1);
}

} // namespace

CSVImportOptionDlg::CSVImportOptionDlg(wxWindow* parent)
    : CSVImportOptionDlgDesign(parent, wxID_ANY, _("CSV File Import Option"))
{
    m_listCtrlData->AppendColumn(_("Name"), wxLIST_FORMAT_LEFT, 130);
    m_listCtrlData->AppendColumn(_("X Data"), wxLIST_FORMAT_LEFT, 170);
    m_listCtrlData->AppendColumn(_("Y Data"), wxLIST_FORMAT_LEFT, 80);

    m_spinCtrlXStart->SetDigits(X_DIGITS);
    m_spinCtrlXStart->SetRange(-DBL_MAX, DBL_MAX);
    m_spinCtrlXStart->SetIncrement(1.0);
    m_spinCtrlXStart->SetValue(0.0);
    m_spinCtrlXInterval->SetDigits(X_DIGITS);
    m_spinCtrlXInterval->SetRange(MIN_X_INTERVAL, DBL_MAX);
    m_spinCtrlXInterval->SetIncrement(1.0);
    m_spinCtrlXInterval->SetValue(1.0);
    UpdateDataItem();
}

void CSVImportOptionDlg::SetInfo(const CSVFileInfo& info)
{
    m_info = info;
    m_textCtrlFileName->ChangeValue(info.fileName);
    m_textCtrlRows->ChangeValue(wxString::Format("%d", info.rowCount));
    m_textCtrlColumns->ChangeValue(wxString::Format("%d", info.columnCount));
    // At most rowCount - 1 header rows, so that "Data Rows:" (at least 1) never shows
    // more than the option holds.
    m_spinCtrlHeaderRows->SetRange(0, std::max(0, info.rowCount - 1));
    m_spinCtrlDataRows->SetRange(1, std::max(1, info.rowCount));
    m_spinCtrlXDataColumn->SetRange(1, std::max(1, info.columnCount));
    m_spinCtrlYDataColumn->SetRange(1, std::max(1, info.columnCount));
}

void CSVImportOptionDlg::SetOption(const CSVImportOption& option)
{
    m_option = option;
    UpdateRowSpins();
    UpdateDataList();
    UpdateDataItem();
    UpdateFormat();
    UpdatePreview();
}

void CSVImportOptionDlg::UpdateRowSpins()
{
    m_option.headerRows = WriteSpin(m_spinCtrlHeaderRows, m_option.headerRows);
    m_option.dataRows = WriteSpin(m_spinCtrlDataRows, m_option.dataRows);
}

bool CSVImportOptionDlg::TransferDataFromWindow()
{
    const wxString problem = CheckImportOption(m_info, m_option);
    if (!problem.empty()) {
        wxMessageBox(problem, _("Warning"), wxOK | wxICON_WARNING | wxCENTRE, this);
        return false;
    }
    // What only the file's values can refuse (an X that goes down) keeps the dialog too.
    if (m_accept && !m_accept(m_option))
        return false;
    return CSVImportOptionDlgDesign::TransferDataFromWindow();
}

long CSVImportOptionDlg::GetSelectedItem() const
{
    return SelectedRow(m_listCtrlData);
}

DataSource* CSVImportOptionDlg::SelectedSource()
{
    const long item = GetSelectedItem();
    if (item < 0)
        return nullptr;
    wxCHECK_MSG(item < static_cast<long>(m_option.dataSources.size()), nullptr,
                "item >= 0 && item < static_cast<long>(m_option.dataSources.size())");
    return &m_option.dataSources[size_t(item)];
}

// Selects one row (or none for -1); the list reports it, which refreshes the editor.
void CSVImportOptionDlg::SelectRow(long row)
{
    const long current = GetSelectedItem();
    if (current == row)
        return;
    if (current >= 0)
        m_listCtrlData->SetItemState(current, 0, wxLIST_STATE_SELECTED);
    if (row >= 0) {
        m_listCtrlData->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                     wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        m_listCtrlData->EnsureVisible(row);
    }
    UpdateDataItem();
}

void CSVImportOptionDlg::UpdateDataList()
{
    const long count = static_cast<long>(m_option.dataSources.size());
    while (m_listCtrlData->GetItemCount() > count)
        m_listCtrlData->DeleteItem(m_listCtrlData->GetItemCount() - 1);
    while (m_listCtrlData->GetItemCount() < count)
        m_listCtrlData->InsertItem(m_listCtrlData->GetItemCount(), wxEmptyString);
    for (long i = 0; i < count; ++i) {
        const DataSource& source = m_option.dataSources[size_t(i)];
        SetCell(m_listCtrlData, i, COLUMN_NAME, source.label);
        SetCell(m_listCtrlData, i, COLUMN_X_DATA, XDataText(source));
        SetCell(m_listCtrlData, i, COLUMN_Y_DATA,
                wxString::Format("Column %d", source.columnY + 1));
    }
}

void CSVImportOptionDlg::UpdateDataItem()
{
    DataSource* source = SelectedSource();
    m_textCtrlLabel->Enable(source != nullptr);
    m_spinCtrlXDataColumn->Enable(source && !source->useDirectVal);
    m_spinCtrlXStart->Enable(source && source->useDirectVal);
    m_spinCtrlXInterval->Enable(source && source->useDirectVal);
    m_spinCtrlYDataColumn->Enable(source != nullptr);
    m_checkBoxUseDirectVal->Enable(source != nullptr);
    if (!source)
        return;

    if (m_textCtrlLabel->GetValue() != source->label)
        m_textCtrlLabel->ChangeValue(source->label);
    const DataSource before = *source;
    source->columnX = WriteSpin(m_spinCtrlXDataColumn, source->columnX + 1) - 1;
    source->xStart = WriteSpin(m_spinCtrlXStart, source->xStart);
    source->xInterval = WriteSpin(m_spinCtrlXInterval, source->xInterval);
    source->columnY = WriteSpin(m_spinCtrlYDataColumn, source->columnY + 1) - 1;
    if (m_checkBoxUseDirectVal->GetValue() != source->useDirectVal)
        m_checkBoxUseDirectVal->SetValue(source->useDirectVal);
    if (before.columnX != source->columnX || before.xStart != source->xStart ||
        before.xInterval != source->xInterval || before.columnY != source->columnY)
        UpdateDataList();
}

void CSVImportOptionDlg::SpinCtrlHeaderRows_OnSpinCtrl(wxSpinEvent&)
{
    m_option.headerRows = m_spinCtrlHeaderRows->GetValue();
    if (m_option.headerRows + m_option.dataRows > m_info.rowCount)
        m_option.dataRows = m_info.rowCount - m_option.headerRows;
    UpdateRowSpins();
}

void CSVImportOptionDlg::SpinCtrlDataRows_OnSpinCtrl(wxSpinEvent&)
{
    m_option.dataRows = m_spinCtrlDataRows->GetValue();
    if (m_option.headerRows + m_option.dataRows > m_info.rowCount)
        m_option.headerRows = m_info.rowCount - m_option.dataRows;
    UpdateRowSpins();
}

void CSVImportOptionDlg::ListCtrlData_OnItemSelected(wxListEvent&)
{
    UpdateDataItem();
}

void CSVImportOptionDlg::ListCtrlData_OnItemDeselected(wxListEvent&)
{
    UpdateDataItem();
}

// The new entry is selected, so that it can be edited at once.
void CSVImportOptionDlg::ButtonAdd_OnButtonClick(wxCommandEvent&)
{
    DataSource source;
    source.columnY = 1;
    source.label = _("Untitled");
    const long selected = GetSelectedItem();
    const long at = selected >= 0 ? selected + 1 : static_cast<long>(m_option.dataSources.size());
    m_option.dataSources.insert(m_option.dataSources.begin() + at, source);
    UpdateDataList();
    SelectRow(at);
}

// The entry that takes the removed one's place is selected (the new last one at the end).
void CSVImportOptionDlg::ButtonRemove_OnButtonClick(wxCommandEvent&)
{
    const long selected = GetSelectedItem();
    if (selected < 0) {
        wxMessageBox(_("Please select a item"), _("Warning"), wxOK | wxCENTRE, this);
        return;
    }
    if (!SelectedSource())
        return;
    m_option.dataSources.erase(m_option.dataSources.begin() + selected);
    SelectRow(-1);
    UpdateDataList();
    SelectRow(std::min(selected, static_cast<long>(m_option.dataSources.size()) - 1));
}

void CSVImportOptionDlg::MoveSelected(int direction)
{
    const long selected = GetSelectedItem();
    const long neighbour = selected + direction;
    auto& sources = m_option.dataSources;
    if (!SelectedSource() || neighbour < 0 || neighbour >= static_cast<long>(sources.size()))
        return;
    std::swap(sources[size_t(selected)], sources[size_t(neighbour)]);
    UpdateDataList();
    SelectRow(neighbour);
}

void CSVImportOptionDlg::ButtonMoveUp_OnButtonClick(wxCommandEvent&)
{
    MoveSelected(-1);
}

void CSVImportOptionDlg::ButtonMoveDown_OnButtonClick(wxCommandEvent&)
{
    MoveSelected(+1);
}

void CSVImportOptionDlg::TextCtrlLabel_OnText(wxCommandEvent&)
{
    if (DataSource* source = SelectedSource()) {
        source->label = m_textCtrlLabel->GetValue();
        UpdateDataList();
    }
}

void CSVImportOptionDlg::SpinCtrlXDataColumn_OnSpinCtrl(wxSpinEvent&)
{
    if (DataSource* source = SelectedSource()) {
        source->columnX = m_spinCtrlXDataColumn->GetValue() - 1;
        UpdateDataList();
    }
}

void CSVImportOptionDlg::SpinCtrlXStart_OnSpinCtrlDouble(wxSpinDoubleEvent&)
{
    if (DataSource* source = SelectedSource()) {
        source->xStart = m_spinCtrlXStart->GetValue();
        UpdateDataList();
    }
}

void CSVImportOptionDlg::SpinCtrlXInterval_OnSpinCtrlDouble(wxSpinDoubleEvent&)
{
    if (DataSource* source = SelectedSource()) {
        source->xInterval = m_spinCtrlXInterval->GetValue();
        UpdateDataList();
    }
}

void CSVImportOptionDlg::SpinCtrlYDataColumn_OnSpinCtrl(wxSpinEvent&)
{
    if (DataSource* source = SelectedSource()) {
        source->columnY = m_spinCtrlYDataColumn->GetValue() - 1;
        UpdateDataList();
    }
}

void CSVImportOptionDlg::CheckBoxUseDirectVal_OnCheckBox(wxCommandEvent&)
{
    if (DataSource* source = SelectedSource()) {
        source->useDirectVal = m_checkBoxUseDirectVal->GetValue();
        UpdateDataList();
        UpdateDataItem();
    }
}
