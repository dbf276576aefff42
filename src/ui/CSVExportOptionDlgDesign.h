#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

// Layout of the CSV export options: the candidate series, the push/pop/move buttons, the
// exported series with their header entry, the header and X options, OK and Cancel.
class CSVExportOptionDlgDesign : public wxDialog
{
public:
    CSVExportOptionDlgDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                             const wxString& title = wxEmptyString,
                             const wxPoint& pos = wxDefaultPosition,
                             const wxSize& size = wxDefaultSize,
                             long style = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);

    wxListCtrl* GetCandidateList() const { return m_listCtrlCandidate; }
    wxListCtrl* GetExportedList() const { return m_listCtrlExported; }
    wxButton* GetPushButton() const { return m_buttonPush; }
    wxButton* GetPopButton() const { return m_buttonPop; }
    wxButton* GetMoveUpButton() const { return m_buttonMoveUp; }
    wxButton* GetMoveDownButton() const { return m_buttonMoveDown; }
    wxTextCtrl* GetHeaderText() const { return m_textCtrlHeader; }
    wxCheckBox* GetExportHeaderBox() const { return m_checkBoxExportHeader; }
    wxCheckBox* GetExportXBox() const { return m_checkBoxExportX; }
    wxTextCtrl* GetXDataHeaderText() const { return m_textCtrlXDataHeader; }

protected:
    wxListCtrl* m_listCtrlCandidate = nullptr;
    wxButton* m_buttonPush = nullptr;
    wxButton* m_buttonPop = nullptr;
    wxButton* m_buttonMoveUp = nullptr;
    wxButton* m_buttonMoveDown = nullptr;
    wxListCtrl* m_listCtrlExported = nullptr;
    wxTextCtrl* m_textCtrlHeader = nullptr;
    wxCheckBox* m_checkBoxExportHeader = nullptr;
    wxCheckBox* m_checkBoxExportX = nullptr;
    wxTextCtrl* m_textCtrlXDataHeader = nullptr;

    virtual void ButtonPush_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
    virtual void ButtonPop_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
    virtual void ButtonMoveUp_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
    virtual void ButtonMoveDown_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
    virtual void ListCtrlExported_OnItemSelected(wxListEvent& event) { event.Skip(); }
    virtual void ListCtrlExported_OnItemDeselected(wxListEvent& event) { event.Skip(); }
    virtual void TextCtrlHeader_OnText(wxCommandEvent& event) { event.Skip(); }
    virtual void CheckBoxExportHeader_OnCheckBox(wxCommandEvent& event) { event.Skip(); }
    virtual void CheckBoxExportX_OnCheckBox(wxCommandEvent& event) { event.Skip(); }
    virtual void TextCtrlXDataHeader_OnText(wxCommandEvent& event) { event.Skip(); }
};
