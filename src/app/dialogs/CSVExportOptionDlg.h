#pragma once

#include "csv/CSVExporter.h"
#include "ui/CSVExportOptionDlgDesign.h"

class GraphProject;

// The CSV export options: which series go into the file, in which order, under which
// headers, and whether the header line and the X column are written.
class CSVExportOptionDlg : public CSVExportOptionDlgDesign
{
public:
    explicit CSVExportOptionDlg(wxWindow* parent);

    // Lists the project's series as candidates; call before SetOption.
    void SetProject(GraphProject* project);
    // Shows the option's series, headers and switches.
    void SetOption(const CSVExportOption& option);
    CSVExportOption GetOption() const { return m_option; }

    // OK: refuses an empty export with a message, before any file is asked for.
    bool TransferDataFromWindow() override;

protected:
    void ButtonPush_OnButtonClick(wxCommandEvent& event) override;
    void ButtonPop_OnButtonClick(wxCommandEvent& event) override;
    void ButtonMoveUp_OnButtonClick(wxCommandEvent& event) override;
    void ButtonMoveDown_OnButtonClick(wxCommandEvent& event) override;
    void ListCtrlExported_OnItemSelected(wxListEvent& event) override;
    void ListCtrlExported_OnItemDeselected(wxListEvent& event) override;
    void TextCtrlHeader_OnText(wxCommandEvent& event) override;
    void CheckBoxExportHeader_OnCheckBox(wxCommandEvent& event) override;
    void CheckBoxExportX_OnCheckBox(wxCommandEvent& event) override;
    void TextCtrlXDataHeader_OnText(wxCommandEvent& event) override;

private:
    void UpdateCandidate();
    void UpdateExportedItem();
    void UpdateExportedItemHeader();
    void UpdateOptionControls();
    long SelectedExported() const;
    void SelectExported(long row);
    void MoveSelected(int direction);

    GraphProject* m_proj = nullptr;
    CSVExportOption m_option;
};
