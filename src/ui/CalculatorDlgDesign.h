#pragma once

#include <vector>

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

// Layout of the calculator dialog: the new series' characteristics, the formula and the
// palette of insert buttons over OK and Cancel.
class CalculatorDlgDesign : public wxDialog
{
public:
    CalculatorDlgDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                        const wxString& title = wxEmptyString,
                        const wxPoint& pos = wxDefaultPosition,
                        const wxSize& size = wxSize(581, 413),
                        long style = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);

    wxTextCtrl* GetLabelText() const { return m_textCtrlLabel; }
    wxTextCtrl* GetXStartText() const { return m_textCtrlXStart; }
    wxTextCtrl* GetXIntervalText() const { return m_textCtrlXInterval; }
    wxSpinCtrl* GetDataSizeSpin() const { return m_spinCtrlDataSize; }
    wxButton* GetSameSizeButton() const { return m_buttonSetSameSizeAs; }
    wxComboBox* GetSeriesChoice() const { return m_comboBoxSeries; }
    wxStaticText* GetXNoteText() const { return m_staticTextXNote; }
    wxTextCtrl* GetFormulaText() const { return m_textCtrlFormula; }
    const std::vector<wxButton*>& GetInsertButtons() const { return m_insertButtons; }

protected:
    wxTextCtrl* m_textCtrlLabel = nullptr;
    // Text entries rather than spin controls, so that any double survives as typed.
    wxTextCtrl* m_textCtrlXStart = nullptr;
    wxTextCtrl* m_textCtrlXInterval = nullptr;
    wxSpinCtrl* m_spinCtrlDataSize = nullptr;
    wxButton* m_buttonSetSameSizeAs = nullptr;
    wxComboBox* m_comboBoxSeries = nullptr;
    wxStaticText* m_staticTextXNote = nullptr; // which X the new series gets
    wxTextCtrl* m_textCtrlFormula = nullptr;
    std::vector<wxButton*> m_insertButtons; // operators first, then functions

    virtual void ButtonSetSameSizeAs_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
    virtual void ButtonAdd_OnButtonClick(wxCommandEvent& event) { event.Skip(); }

private:
    wxSizer* MakeCharacteristics();
    wxSizer* MakeButtonGrid(const char* const* labels, int count, int columns);
};
