#include "ui/CSVExportOptionDlgDesign.h"

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace {

constexpr long LIST_STYLE =
    wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES | wxLC_NO_SORT_HEADER;

wxListCtrl* MakeList(wxWindow* parent, const wxString& third, const wxString* fourth)
{
    // Wide enough for "S: 0.000000, I: 0.000500" and a header without scrolling.
    const int thirdWidth = fourth ? 190 : 150;
    const int width = 30 + 90 + thirdWidth + (fourth ? 70 : 0) + 10;
    auto* list =
        new wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxSize(width, 180), LIST_STYLE);
    list->AppendColumn(_("No."), wxLIST_FORMAT_LEFT, 30);
    list->AppendColumn(_("Label"), wxLIST_FORMAT_LEFT, 90);
    list->AppendColumn(third, wxLIST_FORMAT_LEFT, thirdWidth);
    if (fourth)
        list->AppendColumn(*fourth, wxLIST_FORMAT_LEFT, 70);
    return list;
}

} // namespace

CSVExportOptionDlgDesign::CSVExportOptionDlgDesign(wxWindow* parent, wxWindowID id,
                                                   const wxString& title, const wxPoint& pos,
                                                   const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);

    auto* heading = new wxBoxSizer(wxHORIZONTAL);
    heading->Add(new wxStaticText(this, wxID_ANY, _("Exported data")), 0,
                 wxALIGN_CENTER_VERTICAL | wxRIGHT, 5);
    heading->Add(new wxStaticLine(this), 1, wxALIGN_CENTER_VERTICAL);
    sizer->Add(heading, 0, wxALL | wxEXPAND, 5);

    const wxString points = _("Points");
    m_listCtrlCandidate = MakeList(this, _("X Data"), &points);
    m_buttonPush = new wxButton(this, wxID_ANY, ">>");
    m_buttonPop = new wxButton(this, wxID_ANY, "<<");
    m_buttonMoveUp = new wxButton(this, wxID_ANY, _("Move Up"));
    m_buttonMoveDown = new wxButton(this, wxID_ANY, _("Move Down"));
    m_listCtrlExported = MakeList(this, _("Header"), nullptr);
    m_textCtrlHeader = new wxTextCtrl(this, wxID_ANY);

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    for (wxButton* button : {m_buttonPush, m_buttonPop, m_buttonMoveUp, m_buttonMoveDown})
        buttons->Add(button, 0, wxALL | wxEXPAND, 3);

    auto* header = new wxBoxSizer(wxHORIZONTAL);
    header->Add(new wxStaticText(this, wxID_ANY, _("Header:")), 0,
                wxALIGN_CENTER_VERTICAL | wxRIGHT, 5);
    header->Add(m_textCtrlHeader, 1, wxALIGN_CENTER_VERTICAL);
    auto* exported = new wxBoxSizer(wxVERTICAL);
    exported->Add(m_listCtrlExported, 1, wxEXPAND);
    exported->Add(header, 0, wxTOP | wxEXPAND, 5);

    auto* lists = new wxBoxSizer(wxHORIZONTAL);
    lists->Add(m_listCtrlCandidate, 1, wxALL | wxEXPAND, 5);
    lists->Add(buttons, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    lists->Add(exported, 1, wxALL | wxEXPAND, 5);
    sizer->Add(lists, 1, wxEXPAND);

    m_checkBoxExportHeader = new wxCheckBox(this, wxID_ANY, _("Export header"));
    m_checkBoxExportX = new wxCheckBox(this, wxID_ANY, _("Export X data"));
    m_textCtrlXDataHeader = new wxTextCtrl(this, wxID_ANY);
    auto* options = new wxBoxSizer(wxHORIZONTAL);
    options->Add(m_checkBoxExportHeader, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    options->Add(m_checkBoxExportX, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    options->Add(new wxStaticText(this, wxID_ANY, _("X Data Header:")), 0,
                 wxALL | wxALIGN_CENTER_VERTICAL, 5);
    options->Add(m_textCtrlXDataHeader, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    sizer->Add(options, 0, wxALL | wxEXPAND, 5);

    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALL | wxEXPAND, 5);

    SetSizerAndFit(sizer);
    Centre(wxBOTH);

    m_buttonPush->Bind(wxEVT_BUTTON, &CSVExportOptionDlgDesign::ButtonPush_OnButtonClick, this);
    m_buttonPop->Bind(wxEVT_BUTTON, &CSVExportOptionDlgDesign::ButtonPop_OnButtonClick, this);
    m_buttonMoveUp->Bind(wxEVT_BUTTON, &CSVExportOptionDlgDesign::ButtonMoveUp_OnButtonClick, this);
    m_buttonMoveDown->Bind(wxEVT_BUTTON, &CSVExportOptionDlgDesign::ButtonMoveDown_OnButtonClick,
                           this);
    m_listCtrlExported->Bind(wxEVT_LIST_ITEM_SELECTED,
                             &CSVExportOptionDlgDesign::ListCtrlExported_OnItemSelected, this);
    m_listCtrlExported->Bind(wxEVT_LIST_ITEM_DESELECTED,
                             &CSVExportOptionDlgDesign::ListCtrlExported_OnItemDeselected, this);
    m_textCtrlHeader->Bind(wxEVT_TEXT, &CSVExportOptionDlgDesign::TextCtrlHeader_OnText, this);
    m_checkBoxExportHeader->Bind(wxEVT_CHECKBOX,
                                 &CSVExportOptionDlgDesign::CheckBoxExportHeader_OnCheckBox, this);
    m_checkBoxExportX->Bind(wxEVT_CHECKBOX, &CSVExportOptionDlgDesign::CheckBoxExportX_OnCheckBox,
                            this);
    m_textCtrlXDataHeader->Bind(wxEVT_TEXT, &CSVExportOptionDlgDesign::TextCtrlXDataHeader_OnText,
                                this);
}
