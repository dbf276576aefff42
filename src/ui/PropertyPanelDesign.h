#pragma once

#include <wx/combobox.h>
#include <wx/panel.h>
#include <wx/propgrid/propgrid.h>
#include <wx/splitter.h>
#include <wx/textctrl.h>

// Layout of the property pane: the target drop-down above a splitter whose upper part is
// the property grid and whose lower part is the help text of the selected property.
class PropertyPanelDesign : public wxPanel
{
public:
    PropertyPanelDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                        const wxPoint& pos = wxDefaultPosition,
                        const wxSize& size = wxSize(200, 300), long style = wxTAB_TRAVERSAL);
    ~PropertyPanelDesign() override;

    wxComboBox* GetComboBoxTarget() const { return m_comboBoxTarget; }
    wxPropertyGrid* GetPropGrid() const { return m_propGrid; }
    wxTextCtrl* GetTextCtrlHelp() const { return m_textCtrlHelp; }

protected:
    wxComboBox* m_comboBoxTarget = nullptr;
    wxSplitterWindow* m_splitter = nullptr;
    wxPropertyGrid* m_propGrid = nullptr;
    wxTextCtrl* m_textCtrlHelp = nullptr;

    virtual void ComboBoxTarget_OnComboBox(wxCommandEvent& event) { event.Skip(); }
    virtual void PropGrid_OnChanging(wxPropertyGridEvent& event) { event.Skip(); }
    virtual void PropGrid_OnChanged(wxPropertyGridEvent& event) { event.Skip(); }
    virtual void PropGrid_OnSelected(wxPropertyGridEvent& event) { event.Skip(); }

private:
    void Splitter_OnIdle(wxIdleEvent& event);
};
