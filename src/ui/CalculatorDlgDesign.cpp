#include "ui/CalculatorDlgDesign.h"

#include <algorithm>

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace {

// "&&&&" is the toolkit's escape for a label showing "&&".
const char* const OPERATOR_LABELS[] = {"()", "?:", "&&&&", "||", "!",      "<",     "<=", ">",
                                       ">=", "==", "!=",   "+",  "-",      "*",     "/",  "%",
                                       "x",  "i",  "PI",   "E",  "y(n,x)", "Y(n,i)"};
const char* const FUNCTION_LABELS[] = {
    "sin(x)",  "sinh(x)", "cos(x)",     "cosh(x)",  "tan(x)",   "tanh(x)", "asin(x)",
    "acos(x)", "atan(x)", "atan2(y,x)", "abs(x)",   "round(x)", "ceil(x)", "floor(x)",
    "wrap(x)", "exp(x)",  "log(x)",     "log10(x)", "pow(x,y)", "sqrt(x)", "rand()"};

// Wide enough for any double as %.17g; GTK would otherwise size the entries from their
// content or range.
constexpr int NUMBER_WIDTH = 180;

} // namespace

CalculatorDlgDesign::CalculatorDlgDesign(wxWindow* parent, wxWindowID id, const wxString& title,
                                         const wxPoint& pos, const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, wxID_ANY, _("New data characteristics")), 0, wxALL, 5);
    sizer->Add(new wxStaticLine(this), 0, wxEXPAND | wxLEFT | wxRIGHT, 5);
    sizer->Add(MakeCharacteristics(), 0, wxALL | wxEXPAND, 5);
    m_staticTextXNote = new wxStaticText(this, wxID_ANY, wxEmptyString);
    sizer->Add(m_staticTextXNote, 0, wxLEFT | wxRIGHT | wxEXPAND, 5);

    sizer->Add(new wxStaticText(this, wxID_ANY, _("Formula")), 0, wxALL, 5);
    sizer->Add(new wxStaticLine(this), 0, wxEXPAND | wxLEFT | wxRIGHT, 5);
    m_textCtrlFormula = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                       wxSize(-1, 80), wxTE_MULTILINE);
    sizer->Add(m_textCtrlFormula, 1, wxALL | wxEXPAND, 5);

    sizer->Add(MakeButtonGrid(OPERATOR_LABELS, std::size(OPERATOR_LABELS), 11), 0, wxALL | wxEXPAND,
               5);
    sizer->Add(MakeButtonGrid(FUNCTION_LABELS, std::size(FUNCTION_LABELS), 7), 0, wxALL | wxEXPAND,
               5);

    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALL | wxEXPAND, 5);

    SetSizer(sizer);
    // Never smaller than the content, so that OK and Cancel stay reachable.
    const wxSize best = sizer->GetMinSize();
    SetMinClientSize(best);
    SetClientSize(wxSize(std::max(best.x, GetClientSize().x), std::max(best.y, GetClientSize().y)));
    Layout();
    Centre(wxBOTH);

    m_buttonSetSameSizeAs->Bind(wxEVT_BUTTON,
                                &CalculatorDlgDesign::ButtonSetSameSizeAs_OnButtonClick, this);
    for (wxButton* button : m_insertButtons)
        button->Bind(wxEVT_BUTTON, &CalculatorDlgDesign::ButtonAdd_OnButtonClick, this);
}

wxSizer* CalculatorDlgDesign::MakeCharacteristics()
{
    auto* grid = new wxFlexGridSizer(4, 5, 5);
    grid->AddGrowableCol(1);
    grid->AddGrowableCol(3);
    auto add = [&](const wxString& caption, wxWindow* control) {
        grid->Add(new wxStaticText(this, wxID_ANY, caption), 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(control, 0, wxEXPAND);
    };
    const wxSize numberSize(NUMBER_WIDTH, -1);
    m_textCtrlLabel = new wxTextCtrl(this, wxID_ANY, "NewData", wxDefaultPosition, numberSize);
    add(_("Label:"), m_textCtrlLabel);
    m_textCtrlXStart = new wxTextCtrl(this, wxID_ANY, "0", wxDefaultPosition, numberSize);
    add(_("X Start:"), m_textCtrlXStart);
    m_textCtrlXInterval = new wxTextCtrl(this, wxID_ANY, "1", wxDefaultPosition, numberSize);
    add(_("X Interval:"), m_textCtrlXInterval);
    m_spinCtrlDataSize = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                        numberSize, wxSP_ARROW_KEYS, 1, 100000000, 1001);
    add(_("Data size:"), m_spinCtrlDataSize);
    m_buttonSetSameSizeAs = new wxButton(this, wxID_ANY, _("Set same size as"));
    grid->Add(m_buttonSetSameSizeAs, 0, wxEXPAND);
    m_comboBoxSeries = new wxComboBox(this, wxID_ANY, "Combo!", wxDefaultPosition, numberSize, 0,
                                      nullptr, wxCB_READONLY);
    grid->Add(m_comboBoxSeries, 0, wxEXPAND);
    return grid;
}

wxSizer* CalculatorDlgDesign::MakeButtonGrid(const char* const* labels, int count, int columns)
{
    auto* grid = new wxGridSizer(columns, 2, 2);
    for (int k = 0; k < count; ++k) {
        auto* button = new wxButton(this, wxID_ANY, wxGetTranslation(labels[k]), wxDefaultPosition,
                                    wxDefaultSize, wxBU_EXACTFIT);
        grid->Add(button, 0, wxEXPAND);
        m_insertButtons.push_back(button);
    }
    return grid;
}
