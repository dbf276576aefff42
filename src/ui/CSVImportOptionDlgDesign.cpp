#include "ui/CSVImportOptionDlgDesign.h"

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace {

// Explicit widths: a floating-point spin control sized from the whole double range asks
// for thousands of pixels on GTK, and a wide list would push the buttons off the screen.
const wxSize DOUBLE_SPIN_SIZE(180, -1);
const wxSize INT_SPIN_SIZE(120, -1);
const wxSize DATA_LIST_SIZE(400, 140);
const wxSize COLUMN_LIST_SIZE(400, 110);
const wxSize PREVIEW_SIZE(420, 400);

// A section heading: its text followed by a horizontal line.
wxSizer* Heading(wxWindow* parent, const wxString& text)
{
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    sizer->Add(new wxStaticText(parent, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 5);
    sizer->Add(new wxStaticLine(parent), 1, wxALIGN_CENTER_VERTICAL);
    return sizer;
}

wxStaticText* Label(wxWindow* parent, const wxString& text)
{
    return new wxStaticText(parent, wxID_ANY, text);
}

wxTextCtrl* ReadOnlyText(wxWindow* parent, const wxString& text)
{
    return new wxTextCtrl(parent, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, wxTE_READONLY);
}

wxFlexGridSizer* FieldGrid(int columns)
{
    auto* grid = new wxFlexGridSizer(columns, 5, 5);
    for (int c = 1; c < columns; c += 2)
        grid->AddGrowableCol(c);
    return grid;
}

} // namespace

CSVImportOptionDlgDesign::CSVImportOptionDlgDesign(wxWindow* parent, wxWindowID id,
                                                   const wxString& title, const wxPoint& pos,
                                                   const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    auto* left = new wxBoxSizer(wxVERTICAL);

    left->Add(Heading(this, _("CSV File Info")), 0, wxEXPAND | wxALL, 5);
    m_textCtrlFileName = ReadOnlyText(this, "noname.csv");
    m_textCtrlRows = ReadOnlyText(this, "100");
    m_textCtrlColumns = ReadOnlyText(this, "5");
    auto* info = FieldGrid(4);
    info->Add(Label(this, _("File Name:")), 0, wxALIGN_CENTER_VERTICAL);
    info->Add(m_textCtrlFileName, 1, wxEXPAND);
    info->AddSpacer(0);
    info->AddSpacer(0);
    info->Add(Label(this, _("Rows:")), 0, wxALIGN_CENTER_VERTICAL);
    info->Add(m_textCtrlRows, 1, wxEXPAND);
    info->Add(Label(this, _("Columns:")), 0, wxALIGN_CENTER_VERTICAL);
    info->Add(m_textCtrlColumns, 1, wxEXPAND);
    left->Add(info, 0, wxEXPAND | wxLEFT | wxRIGHT, 15);

    left->Add(Heading(this, _("File format")), 0, wxEXPAND | wxALL, 5);
    m_choiceSeparator = new wxChoice(this, wxID_ANY);
    m_choiceDecimal = new wxChoice(this, wxID_ANY);
    auto* format = FieldGrid(4);
    format->Add(Label(this, _("Separator:")), 0, wxALIGN_CENTER_VERTICAL);
    format->Add(m_choiceSeparator, 1, wxEXPAND);
    format->Add(Label(this, _("Decimal Mark:")), 0, wxALIGN_CENTER_VERTICAL);
    format->Add(m_choiceDecimal, 1, wxEXPAND);
    left->Add(format, 0, wxEXPAND | wxLEFT | wxRIGHT, 15);
    m_listCtrlColumns = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, COLUMN_LIST_SIZE,
                                       wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES |
                                           wxLC_NO_SORT_HEADER);
    left->Add(m_listCtrlColumns, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 15);
    m_choiceColumnType = new wxChoice(this, wxID_ANY);
    auto* type = FieldGrid(2);
    type->Add(Label(this, _("Column Type:")), 0, wxALIGN_CENTER_VERTICAL);
    type->Add(m_choiceColumnType, 1, wxEXPAND);
    left->Add(type, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 15);
    m_checkBoxSplit = new wxCheckBox(this, wxID_ANY, _("One series per value of the column"));
    left->Add(m_checkBoxSplit, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 15);

    left->Add(Heading(this, _("Rows setting")), 0, wxEXPAND | wxALL, 5);
    m_spinCtrlHeaderRows = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                          INT_SPIN_SIZE, wxSP_ARROW_KEYS, 0, 100, 0);
    m_spinCtrlDataRows = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                        INT_SPIN_SIZE, wxSP_ARROW_KEYS, 1, 100, 1);
    auto* rows = FieldGrid(4);
    rows->Add(Label(this, _("Header Rows:")), 0, wxALIGN_CENTER_VERTICAL);
    rows->Add(m_spinCtrlHeaderRows, 1, wxEXPAND);
    rows->Add(Label(this, _("Data Rows:")), 0, wxALIGN_CENTER_VERTICAL);
    rows->Add(m_spinCtrlDataRows, 1, wxEXPAND);
    left->Add(rows, 0, wxEXPAND | wxLEFT | wxRIGHT, 15);

    left->Add(Heading(this, _("Data series")), 0, wxEXPAND | wxALL, 5);
    m_listCtrlData = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, DATA_LIST_SIZE,
                                    wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_HRULES | wxLC_VRULES |
                                        wxLC_NO_SORT_HEADER);
    left->Add(m_listCtrlData, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);

    m_buttonAdd = new wxButton(this, wxID_ANY, _("Add"));
    m_buttonRemove = new wxButton(this, wxID_ANY, _("Remove"));
    m_buttonMoveUp = new wxButton(this, wxID_ANY, _("Move Up"));
    m_buttonMoveDown = new wxButton(this, wxID_ANY, _("Move Down"));
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    for (wxButton* button : {m_buttonAdd, m_buttonRemove, m_buttonMoveUp, m_buttonMoveDown})
        buttons->Add(button, 1, wxRIGHT, 5);
    left->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 15);

    m_textCtrlLabel = new wxTextCtrl(this, wxID_ANY, wxEmptyString);
    m_spinCtrlXDataColumn = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                           INT_SPIN_SIZE, wxSP_ARROW_KEYS, 1, 5, 1);
    m_spinCtrlXStart = new wxSpinCtrlDouble(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                            DOUBLE_SPIN_SIZE, wxSP_ARROW_KEYS);
    m_spinCtrlXInterval = new wxSpinCtrlDouble(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                               DOUBLE_SPIN_SIZE, wxSP_ARROW_KEYS);
    m_spinCtrlYDataColumn = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                           INT_SPIN_SIZE, wxSP_ARROW_KEYS, 1, 5, 1);
    m_checkBoxUseDirectVal = new wxCheckBox(this, wxID_ANY, _("Use direct X value"));

    auto* editor = FieldGrid(4);
    editor->Add(Label(this, _("Label:")), 0, wxALIGN_CENTER_VERTICAL);
    editor->Add(m_textCtrlLabel, 1, wxEXPAND);
    editor->AddSpacer(0);
    editor->AddSpacer(0);
    editor->Add(Label(this, _("X Data Column:")), 0, wxALIGN_CENTER_VERTICAL);
    editor->Add(m_spinCtrlXDataColumn, 0);
    editor->Add(Label(this, _("Y Data Column:")), 0, wxALIGN_CENTER_VERTICAL);
    editor->Add(m_spinCtrlYDataColumn, 0);
    editor->Add(Label(this, _("X Start:")), 0, wxALIGN_CENTER_VERTICAL);
    editor->Add(m_spinCtrlXStart, 0);
    editor->Add(Label(this, _("X Interval:")), 0, wxALIGN_CENTER_VERTICAL);
    editor->Add(m_spinCtrlXInterval, 0);
    editor->Add(m_checkBoxUseDirectVal, 0, wxALIGN_CENTER_VERTICAL);
    left->Add(editor, 0, wxEXPAND | wxALL, 15);

    auto* right = new wxBoxSizer(wxVERTICAL);
    right->Add(Heading(this, _("Preview of the first lines")), 0, wxEXPAND | wxALL, 5);
    m_listCtrlPreview =
        new wxListCtrl(this, wxID_ANY, wxDefaultPosition, PREVIEW_SIZE,
                       wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxLC_NO_SORT_HEADER);
    right->Add(m_listCtrlPreview, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);

    auto* panes = new wxBoxSizer(wxHORIZONTAL);
    panes->Add(left, 0, wxEXPAND);
    panes->Add(right, 1, wxEXPAND);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(panes, 1, wxEXPAND | wxALL, 5);
    top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 5);

    SetSizerAndFit(top);
    Centre(wxBOTH);

    m_choiceSeparator->Bind(wxEVT_CHOICE, &CSVImportOptionDlgDesign::ChoiceSeparator_OnChoice,
                            this);
    m_choiceDecimal->Bind(wxEVT_CHOICE, &CSVImportOptionDlgDesign::ChoiceDecimal_OnChoice, this);
    m_listCtrlColumns->Bind(wxEVT_LIST_ITEM_SELECTED,
                            &CSVImportOptionDlgDesign::ListCtrlColumns_OnItemSelected, this);
    m_choiceColumnType->Bind(wxEVT_CHOICE, &CSVImportOptionDlgDesign::ChoiceColumnType_OnChoice,
                             this);
    m_checkBoxSplit->Bind(wxEVT_CHECKBOX, &CSVImportOptionDlgDesign::CheckBoxSplit_OnCheckBox,
                          this);
    m_spinCtrlHeaderRows->Bind(wxEVT_SPINCTRL,
                               &CSVImportOptionDlgDesign::SpinCtrlHeaderRows_OnSpinCtrl, this);
    m_spinCtrlDataRows->Bind(wxEVT_SPINCTRL, &CSVImportOptionDlgDesign::SpinCtrlDataRows_OnSpinCtrl,
                             this);
    m_listCtrlData->Bind(wxEVT_LIST_ITEM_SELECTED,
                         &CSVImportOptionDlgDesign::ListCtrlData_OnItemSelected, this);
    m_listCtrlData->Bind(wxEVT_LIST_ITEM_DESELECTED,
                         &CSVImportOptionDlgDesign::ListCtrlData_OnItemDeselected, this);
    m_buttonAdd->Bind(wxEVT_BUTTON, &CSVImportOptionDlgDesign::ButtonAdd_OnButtonClick, this);
    m_buttonRemove->Bind(wxEVT_BUTTON, &CSVImportOptionDlgDesign::ButtonRemove_OnButtonClick, this);
    m_buttonMoveUp->Bind(wxEVT_BUTTON, &CSVImportOptionDlgDesign::ButtonMoveUp_OnButtonClick, this);
    m_buttonMoveDown->Bind(wxEVT_BUTTON, &CSVImportOptionDlgDesign::ButtonMoveDown_OnButtonClick,
                           this);
    m_textCtrlLabel->Bind(wxEVT_TEXT, &CSVImportOptionDlgDesign::TextCtrlLabel_OnText, this);
    m_spinCtrlXDataColumn->Bind(wxEVT_SPINCTRL,
                                &CSVImportOptionDlgDesign::SpinCtrlXDataColumn_OnSpinCtrl, this);
    m_spinCtrlXStart->Bind(wxEVT_SPINCTRLDOUBLE,
                           &CSVImportOptionDlgDesign::SpinCtrlXStart_OnSpinCtrlDouble, this);
    m_spinCtrlXInterval->Bind(wxEVT_SPINCTRLDOUBLE,
                              &CSVImportOptionDlgDesign::SpinCtrlXInterval_OnSpinCtrlDouble, this);
    m_spinCtrlYDataColumn->Bind(wxEVT_SPINCTRL,
                                &CSVImportOptionDlgDesign::SpinCtrlYDataColumn_OnSpinCtrl, this);
    m_checkBoxUseDirectVal->Bind(wxEVT_CHECKBOX,
                                 &CSVImportOptionDlgDesign::CheckBoxUseDirectVal_OnCheckBox, this);
}
