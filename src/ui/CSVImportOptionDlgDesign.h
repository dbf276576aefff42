#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

// Layout of the import options dialog: the file's shape and format (separator, decimal
// mark, one type per column), the row counts, the list of series to create with its
// editor, and a preview of the file's first lines.
class CSVImportOptionDlgDesign : public wxDialog
{
public:
    CSVImportOptionDlgDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                             const wxString& title = wxEmptyString,
                             const wxPoint& pos = wxDefaultPosition,
                             const wxSize& size = wxDefaultSize,
                             long style = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);

    wxTextCtrl* GetFileNameText() const { return m_textCtrlFileName; }
    wxTextCtrl* GetRowsText() const { return m_textCtrlRows; }
    wxTextCtrl* GetColumnsText() const { return m_textCtrlColumns; }
    wxChoice* GetSeparatorChoice() const { return m_choiceSeparator; }
    wxChoice* GetDecimalChoice() const { return m_choiceDecimal; }
    wxListCtrl* GetColumnList() const { return m_listCtrlColumns; }
    wxChoice* GetColumnTypeChoice() const { return m_choiceColumnType; }
    wxCheckBox* GetSplitCheck() const { return m_checkBoxSplit; }
    wxSpinCtrl* GetHeaderRowsSpin() const { return m_spinCtrlHeaderRows; }
    wxSpinCtrl* GetDataRowsSpin() const { return m_spinCtrlDataRows; }
    wxListCtrl* GetDataList() const { return m_listCtrlData; }
    wxButton* GetAddButton() const { return m_buttonAdd; }
    wxButton* GetRemoveButton() const { return m_buttonRemove; }
    wxButton* GetMoveUpButton() const { return m_buttonMoveUp; }
    wxButton* GetMoveDownButton() const { return m_buttonMoveDown; }
    wxTextCtrl* GetLabelText() const { return m_textCtrlLabel; }
    wxSpinCtrl* GetXDataColumnSpin() const { return m_spinCtrlXDataColumn; }
    wxSpinCtrlDouble* GetXStartSpin() const { return m_spinCtrlXStart; }
    wxSpinCtrlDouble* GetXIntervalSpin() const { return m_spinCtrlXInterval; }
    wxSpinCtrl* GetYDataColumnSpin() const { return m_spinCtrlYDataColumn; }
    wxCheckBox* GetUseDirectValCheck() const { return m_checkBoxUseDirectVal; }
    wxListCtrl* GetPreviewList() const { return m_listCtrlPreview; }

protected:
    wxTextCtrl* m_textCtrlFileName = nullptr;
    wxTextCtrl* m_textCtrlRows = nullptr;
    wxTextCtrl* m_textCtrlColumns = nullptr;
    wxChoice* m_choiceSeparator = nullptr;
    wxChoice* m_choiceDecimal = nullptr;
    wxListCtrl* m_listCtrlColumns = nullptr;
    wxChoice* m_choiceColumnType = nullptr;
    wxCheckBox* m_checkBoxSplit = nullptr;
    wxSpinCtrl* m_spinCtrlHeaderRows = nullptr;
    wxSpinCtrl* m_spinCtrlDataRows = nullptr;
    wxListCtrl* m_listCtrlData = nullptr;
    wxButton* m_buttonAdd = nullptr;
    wxButton* m_buttonRemove = nullptr;
    wxButton* m_buttonMoveUp = nullptr;
    wxButton* m_buttonMoveDown = nullptr;
    wxTextCtrl* m_textCtrlLabel = nullptr;
    wxSpinCtrl* m_spinCtrlXDataColumn = nullptr;
    wxSpinCtrlDouble* m_spinCtrlXStart = nullptr;
    wxSpinCtrlDouble* m_spinCtrlXInterval = nullptr;
    wxSpinCtrl* m_spinCtrlYDataColumn = nullptr;
    wxCheckBox* m_checkBoxUseDirectVal = nullptr;
    wxListCtrl* m_listCtrlPreview = nullptr;

    virtual void ChoiceSeparator_OnChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void ChoiceDecimal_OnChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void ListCtrlColumns_OnItemSelected(wxListEvent& event) { event.Skip(); }
    virtual void ChoiceColumnType_OnChoice(wxCommandEvent& event) { event.Skip(); }
    virtual void CheckBoxSplit_OnCheckBox(wxCommandEvent& event) { event.Skip(); }
    virtual void SpinCtrlHeaderRows_OnSpinCtrl(wxSpinEvent& event) { event.Skip(); }
    virtual void SpinCtrlDataRows_OnSpinCtrl(wxSpinEvent& event) { event.Skip(); }
    virtual void ListCtrlData_OnItemSelected(wxListEvent& event) { event.Skip(); }
    virtual void ListCtrlData_OnItemDeselected(wxListEvent& event) { event.Skip(); }
    virtual void ButtonAdd_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
    virtual void ButtonRemove_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
    virtual void ButtonMoveUp_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
    virtual void ButtonMoveDown_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
    virtual void TextCtrlLabel_OnText(wxCommandEvent& event) { event.Skip(); }
    virtual void SpinCtrlXDataColumn_OnSpinCtrl(wxSpinEvent& event) { event.Skip(); }
    virtual void SpinCtrlXStart_OnSpinCtrlDouble(wxSpinDoubleEvent& event) { event.Skip(); }
    virtual void SpinCtrlXInterval_OnSpinCtrlDouble(wxSpinDoubleEvent& event) { event.Skip(); }
    virtual void SpinCtrlYDataColumn_OnSpinCtrl(wxSpinEvent& event) { event.Skip(); }
    virtual void CheckBoxUseDirectVal_OnCheckBox(wxCommandEvent& event) { event.Skip(); }
};
