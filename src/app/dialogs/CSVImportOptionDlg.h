#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportOption.h"
#include "csv/Dialect.h"
#include "model/DataX.h"
#include "ui/CSVImportOptionDlgDesign.h"

// The import options dialog: shows a scanned file's shape and lets the user choose the
// rows to convert and the series to create. Columns are shown 1-based; the option holds
// them 0-based. The option always equals what the controls show, and OK is refused while
// the option could not be imported.
class CSVImportOptionDlg : public CSVImportOptionDlgDesign
{
public:
    static constexpr int PREVIEW_LINES = 20;
    // Enough decimals for an interval of MIN_X_INTERVAL and for Unix times with milliseconds.
    static constexpr int X_DIGITS = 10;

    explicit CSVImportOptionDlg(wxWindow* parent);

    // Scans the file again with another reading: fills the shape and the default option,
    // or gives the reason it can't.
    using Rescan = std::function<wxString(const DialectRequest&, CSVFileInfo&, CSVImportOption&)>;

    void SetInfo(const CSVFileInfo& info);
    void SetOption(const CSVImportOption& option);
    const CSVImportOption& GetOption() const { return m_option; }
    // The reading the scan was asked for, and how to scan again when the user changes the
    // separator, the decimal mark or a column's type; without it those stay fixed.
    void SetReading(const DialectRequest& request, Rescan rescan);
    const DialectRequest& GetReading() const { return m_request; }
    // The file's first records, shown split and read as the option reads them.
    void SetPreview(const std::vector<std::string>& records);

    // Runs the import with the option the user accepted; false (after saying why) keeps
    // the dialog open.
    using Accept = std::function<bool(const CSVImportOption&)>;
    void SetAccept(Accept accept) { m_accept = std::move(accept); }

    // The OK button: shows CheckImportOption's text and keeps the dialog open when it has
    // one, else runs the accept function.
    bool TransferDataFromWindow() override;

    // The selected entry, or -1.
    long GetSelectedItem() const;
    void UpdateDataList();
    void UpdateDataItem();

protected:
    void SpinCtrlHeaderRows_OnSpinCtrl(wxSpinEvent& event) override;
    void SpinCtrlDataRows_OnSpinCtrl(wxSpinEvent& event) override;
    void ListCtrlData_OnItemSelected(wxListEvent& event) override;
    void ListCtrlData_OnItemDeselected(wxListEvent& event) override;
    void ButtonAdd_OnButtonClick(wxCommandEvent& event) override;
    void ButtonRemove_OnButtonClick(wxCommandEvent& event) override;
    void ButtonMoveUp_OnButtonClick(wxCommandEvent& event) override;
    void ButtonMoveDown_OnButtonClick(wxCommandEvent& event) override;
    void TextCtrlLabel_OnText(wxCommandEvent& event) override;
    void SpinCtrlXDataColumn_OnSpinCtrl(wxSpinEvent& event) override;
    void SpinCtrlXStart_OnSpinCtrlDouble(wxSpinDoubleEvent& event) override;
    void SpinCtrlXInterval_OnSpinCtrlDouble(wxSpinDoubleEvent& event) override;
    void SpinCtrlYDataColumn_OnSpinCtrl(wxSpinEvent& event) override;
    void CheckBoxUseDirectVal_OnCheckBox(wxCommandEvent& event) override;
    void ChoiceSeparator_OnChoice(wxCommandEvent& event) override;
    void ChoiceDecimal_OnChoice(wxCommandEvent& event) override;
    void ListCtrlColumns_OnItemSelected(wxListEvent& event) override;
    void ChoiceColumnType_OnChoice(wxCommandEvent& event) override;
    void CheckBoxSplit_OnCheckBox(wxCommandEvent& event) override;

private:
    // The separator, decimal mark and column types as the option reads them.
    void UpdateFormat();
    void UpdateColumnType();
    void UpdatePreview();
    // Scans again with m_request; on failure says why and keeps the option.
    void Reread();
    // The selected entry for an edit, or null (with an assertion for a stale index).
    DataSource* SelectedSource();
    void SelectRow(long row);
    // Swaps the selected entry with the one above (-1) or below (+1) and follows it.
    void MoveSelected(int direction);
    void UpdateRowSpins();

    CSVFileInfo m_info;
    CSVImportOption m_option;
    DialectRequest m_request;
    Rescan m_rescan;
    Accept m_accept;
    std::vector<std::string> m_records;
};
