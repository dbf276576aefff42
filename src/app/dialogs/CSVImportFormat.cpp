// The import options dialog's file format part: separator, decimal mark, column types,
// and the preview that shows what they make of the first lines.
#include <algorithm>

#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "app/dialogs/CSVImportOptionDlg.h"
#include "app/dialogs/ListCells.h"
#include "csv/Preview.h"
#include "csv/Separator.h"

namespace {

// Beyond this many columns the preview and the column list would only slow the dialog.
constexpr int MAX_SHOWN_COLUMNS = 100;

struct TypeChoice
{
    const char* name; // translated when shown
    ColumnKind kind;
    TimeLayout layout;
};

const TypeChoice TYPE_CHOICES[] = {
    {wxTRANSLATE("Number"), ColumnKind::NUMBER, TimeLayout::NONE},
    {wxTRANSLATE("Time: year-month-day"), ColumnKind::TIME, TimeLayout::ISO},
    {wxTRANSLATE("Time: day/month/year"), ColumnKind::TIME, TimeLayout::DAY_FIRST},
    {wxTRANSLATE("Time: month/day/year"), ColumnKind::TIME, TimeLayout::MONTH_FIRST},
    {wxTRANSLATE("Time: month name"), ColumnKind::TIME, TimeLayout::MONTH_NAME},
    {wxTRANSLATE("Time of day"), ColumnKind::TIME, TimeLayout::TIME_OF_DAY},
    {wxTRANSLATE("Epoch seconds"), ColumnKind::TIME, TimeLayout::EPOCH_S},
    {wxTRANSLATE("Epoch milliseconds"), ColumnKind::TIME, TimeLayout::EPOCH_MS},
    {wxTRANSLATE("Epoch microseconds"), ColumnKind::TIME, TimeLayout::EPOCH_US},
    {wxTRANSLATE("Epoch nanoseconds"), ColumnKind::TIME, TimeLayout::EPOCH_NS},
    {wxTRANSLATE("Text (skipped)"), ColumnKind::TEXT, TimeLayout::NONE},
};

int TypeIndex(const ColumnFormat& format)
{
    for (size_t i = 0; i < std::size(TYPE_CHOICES); ++i) {
        const TypeChoice& choice = TYPE_CHOICES[i];
        if (choice.kind == format.kind &&
            (format.kind != ColumnKind::TIME || choice.layout == format.layout))
            return int(i);
    }
    return 0;
}

wxString TypeText(const ColumnFormat& format, bool splits)
{
    wxString text = wxGetTranslation(TYPE_CHOICES[TypeIndex(format)].name);
    if (format.joinedTo >= 0)
        text += wxString::Format(_(" (joined to column %d)"), format.joinedTo + 1);
    if (splits)
        text = _("Splits the rows");
    return text;
}

void Fill(wxChoice* choice, const wxArrayString& items)
{
    if (choice->GetStrings() != items)
        choice->Set(items);
}

} // namespace

void CSVImportOptionDlg::SetReading(const DialectRequest& request, Rescan rescan)
{
    m_request = request;
    m_rescan = std::move(rescan);
    UpdateFormat();
}

void CSVImportOptionDlg::SetPreview(const std::vector<std::string>& records)
{
    m_records = records;
    UpdatePreview();
}

void CSVImportOptionDlg::UpdateFormat()
{
    wxArrayString separators, decimals, types;
    for (const SeparatorName& separator : SEPARATORS)
        separators.Add(separator.name);
    decimals.Add(_("Point (1.5)"));
    decimals.Add(_("Comma (1,5)"));
    for (const TypeChoice& choice : TYPE_CHOICES)
        types.Add(wxGetTranslation(choice.name));
    Fill(m_choiceSeparator, separators);
    Fill(m_choiceDecimal, decimals);
    Fill(m_choiceColumnType, types);

    const CSVDialect& dialect = m_option.dialect;
    m_choiceSeparator->SetSelection(std::max(0, SeparatorIndex(wxChar(dialect.separator))));
    m_choiceDecimal->SetSelection(dialect.decimal == ',' ? 1 : 0);

    if (m_listCtrlColumns->GetColumnCount() == 0) {
        m_listCtrlColumns->AppendColumn(_("Column"), wxLIST_FORMAT_LEFT, 60);
        m_listCtrlColumns->AppendColumn(_("Name"), wxLIST_FORMAT_LEFT, 130);
        m_listCtrlColumns->AppendColumn(_("Type"), wxLIST_FORMAT_LEFT, 190);
    }
    const long count = std::min(m_info.columnCount, MAX_SHOWN_COLUMNS);
    while (m_listCtrlColumns->GetItemCount() > count)
        m_listCtrlColumns->DeleteItem(m_listCtrlColumns->GetItemCount() - 1);
    while (m_listCtrlColumns->GetItemCount() < count)
        m_listCtrlColumns->InsertItem(m_listCtrlColumns->GetItemCount(), wxEmptyString);
    for (long c = 0; c < count; ++c) {
        SetCell(m_listCtrlColumns, c, 0, wxString::Format("%ld", c + 1));
        SetCell(m_listCtrlColumns, c, 1,
                size_t(c) < m_info.columnNames.size() ? m_info.columnNames[size_t(c)] : wxString());
        SetCell(m_listCtrlColumns, c, 2,
                TypeText(dialect.Column(int(c)), c == m_option.splitColumn));
    }
    // A column is always selected, so that its type can be changed at once.
    if (count > 0 && SelectedRow(m_listCtrlColumns) < 0)
        m_listCtrlColumns->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    const bool canRescan = bool(m_rescan);
    m_choiceSeparator->Enable(canRescan);
    m_choiceDecimal->Enable(canRescan);
    UpdateColumnType();
}

void CSVImportOptionDlg::UpdateColumnType()
{
    const long column = SelectedRow(m_listCtrlColumns);
    m_choiceColumnType->Enable(m_rescan && column >= 0);
    if (column >= 0)
        m_choiceColumnType->SetSelection(TypeIndex(m_option.dialect.Column(int(column))));
    // The split column when there is one, else the selected column that would split.
    const int split = m_option.splitColumn >= 0 ? m_option.splitColumn : int(column);
    m_checkBoxSplit->SetValue(m_option.splitColumn >= 0);
    m_checkBoxSplit->Enable(m_rescan && split >= 0);
    wxString name = split >= 0 && size_t(split) < m_info.columnNames.size()
                        ? m_info.columnNames[size_t(split)]
                        : wxString();
    m_checkBoxSplit->SetLabel(
        split < 0 ? _("One series per value of the column")
        : name.empty()
            ? wxString::Format(_("One series per value of column %d"), split + 1)
            : wxString::Format(_("One series per value of column %d (%s)"), split + 1, name));
}

void CSVImportOptionDlg::UpdatePreview()
{
    const CSVDialect& dialect = m_option.dialect;
    std::vector<std::vector<PreviewCell>> rows;
    size_t columns = 0;
    for (size_t r = 0; r < m_records.size(); ++r) {
        rows.push_back(PreviewCells(m_records[r], dialect, int(r) >= m_option.headerRows));
        columns = std::max(columns, rows.back().size());
    }
    columns = std::min<size_t>(columns, MAX_SHOWN_COLUMNS);

    m_listCtrlPreview->ClearAll();
    if (m_records.empty())
        return;
    m_listCtrlPreview->AppendColumn(_("Line"), wxLIST_FORMAT_RIGHT, 45);
    for (size_t c = 0; c < columns; ++c)
        m_listCtrlPreview->AppendColumn(wxString::Format("%d", int(c) + 1), wxLIST_FORMAT_LEFT,
                                        dialect.IsTimeColumn(int(c)) ? 170 : 90);
    m_listCtrlPreview->AppendColumn(_("Text"), wxLIST_FORMAT_LEFT, 300);
    for (size_t r = 0; r < rows.size(); ++r) {
        const long row = m_listCtrlPreview->InsertItem(long(r), wxString::Format("%d", int(r) + 1));
        for (size_t c = 0; c < std::min(columns, rows[r].size()); ++c) {
            const PreviewCell& cell = rows[r][c];
            // The mark says the import will leave a gap there.
            m_listCtrlPreview->SetItem(row, int(c) + 1,
                                       cell.gap ? _("(gap) ") + cell.text : cell.text);
        }
        m_listCtrlPreview->SetItem(row, int(columns) + 1,
                                   wxString::FromUTF8(m_records[r].data(), m_records[r].size()));
    }
}

void CSVImportOptionDlg::Reread()
{
    if (!m_rescan)
        return;
    CSVFileInfo info;
    CSVImportOption option;
    const wxString problem = m_rescan(m_request, info, option);
    if (!problem.empty()) {
        wxMessageBox(problem, _("Error"), wxOK | wxICON_ERROR | wxCENTRE, this);
        UpdateFormat();
        return;
    }
    SetInfo(info);
    SetOption(option);
}

void CSVImportOptionDlg::ChoiceSeparator_OnChoice(wxCommandEvent&)
{
    const int index = m_choiceSeparator->GetSelection();
    if (index < 0 || index >= SEPARATOR_COUNT)
        return;
    m_request.separator = char(SEPARATORS[index].character);
    Reread();
}

void CSVImportOptionDlg::ChoiceDecimal_OnChoice(wxCommandEvent&)
{
    m_request.decimal = m_choiceDecimal->GetSelection() == 1 ? ',' : '.';
    Reread();
}

void CSVImportOptionDlg::ListCtrlColumns_OnItemSelected(wxListEvent&)
{
    UpdateColumnType();
}

void CSVImportOptionDlg::CheckBoxSplit_OnCheckBox(wxCommandEvent&)
{
    const long column = SelectedRow(m_listCtrlColumns);
    if (m_checkBoxSplit->GetValue() && column >= 0)
        m_request.split = int(column);
    else if (!m_checkBoxSplit->GetValue())
        m_request.split = DialectRequest::SPLIT_NONE;
    else
        return;
    Reread();
}

void CSVImportOptionDlg::ChoiceColumnType_OnChoice(wxCommandEvent&)
{
    const long column = SelectedRow(m_listCtrlColumns);
    const int index = m_choiceColumnType->GetSelection();
    if (column < 0 || index < 0 || size_t(index) >= std::size(TYPE_CHOICES))
        return;
    const TypeChoice& choice = TYPE_CHOICES[index];
    m_request.SetColumn(ColumnRequest{int(column), choice.kind, choice.layout});
    Reread();
    // The same column stays selected for the next change.
    if (column < m_listCtrlColumns->GetItemCount())
        m_listCtrlColumns->SetItemState(column, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}
