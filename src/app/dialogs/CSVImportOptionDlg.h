#pragma once

#include <vector>

#include <wx/string.h>

#include "csv/CSVImporter.h"
#include "ui/CSVImportOptionDlgDesign.h"

// The import options dialog: shows a scanned file's shape and lets the user choose the
// rows to convert and the series to create. Columns are shown 1-based; the option holds
// them 0-based. The option always equals what the controls show, and OK is refused while
// the option could not be imported.
class CSVImportOptionDlg : public CSVImportOptionDlgDesign
{
public:
    static constexpr int PREVIEW_LINES = 20;
    // Enough decimals for an interval of 1e-10 and for Unix times with milliseconds.
    static constexpr int X_DIGITS = 10;

    explicit CSVImportOptionDlg(wxWindow* parent);

    void SetInfo(const CSVFileInfo& info);
    void SetOption(const CSVImportOption& option);
    const CSVImportOption& GetOption() const { return m_option; }
    // Shows the lines, split at the separator as the import assigns columns.
    void SetPreview(const std::vector<wxString>& lines, wxChar separator);

    // The OK button: shows CheckImportOption's text and keeps the dialog open when it has
    // one.
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

private:
    // The selected entry for an edit, or null (with an assertion for a stale index).
    DataSource* SelectedSource();
    void SelectRow(long row);
    // Swaps the selected entry with the one above (-1) or below (+1) and follows it.
    void MoveSelected(int direction);
    void UpdateRowSpins();

    CSVFileInfo m_info;
    CSVImportOption m_option;
};

// Why the option can't be imported from a file of this shape: no data series, or
// CheckOptionFitsFile's reason; empty when it can.
wxString CheckImportOption(const CSVFileInfo& info, const CSVImportOption& option);

// The first lines of a file for the preview, without their line ends; a line longer than
// the import accepts is cut. Empty when the file can't be read.
std::vector<wxString> ReadPreviewLines(const wxString& path, int maxLines);

// One line cut into fields the way the import assigns values to columns: at every
// separator, except that for a space or tab separator runs of blanks count as one.
std::vector<wxString> SplitPreviewLine(const wxString& line, wxChar separator);
