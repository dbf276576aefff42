#include "app/dialogs/CalculatorDlg.h"

#include <algorithm>
#include <climits>
#include <limits>

#include <wx/intl.h>
#include <wx/valtext.h>

#include "app/CommandReport.h"
#include "base/NumberText.h"
#include "model/GraphProject.h"

namespace {

// wxFloatingPointValidator is no use here: it checks the range at every key, so "0" can
// never be typed on the way to "0.5" with a lower bound of MIN_X_INTERVAL, and it knows no
// exponents. This filter only keeps out what can never be part of a number.
void AttachNumberFilter(wxTextCtrl* text)
{
    wxTextValidator validator(wxFILTER_INCLUDE_CHAR_LIST);
    validator.SetCharIncludes("0123456789.eE+-");
    text->SetValidator(validator);
}

double ReadNumber(const wxTextCtrl* text)
{
    double value = 0.0;
    if (!text->GetValue().Strip(wxString::both).ToCDouble(&value))
        return std::numeric_limits<double>::quiet_NaN();
    return value;
}

} // namespace

CalculatorDlg::CalculatorDlg(wxWindow* parent)
    : CalculatorDlgDesign(parent, wxID_ANY, _("Calculator"))
{
    AttachNumberFilter(m_textCtrlXStart);
    AttachNumberFilter(m_textCtrlXInterval);
}

void CalculatorDlg::SetProject(GraphProject* project)
{
    m_proj = project;
    m_comboBoxSeries->Clear();
    const int count = project ? project->GetCount() : 0;
    for (int k = 0; k < count; ++k)
        m_comboBoxSeries->Append(project->GetItem(k)->GetLabel());
    if (count > 0)
        m_comboBoxSeries->SetSelection(count - 1);
}

double CalculatorDlg::GetXStart() const
{
    return ReadNumber(m_textCtrlXStart);
}

double CalculatorDlg::GetXInterval() const
{
    return ReadNumber(m_textCtrlXInterval);
}

void CalculatorDlg::SetXStart(double start)
{
    WriteNumber(m_textCtrlXStart, m_startRange, start);
}

void CalculatorDlg::SetXInterval(double interval)
{
    WriteNumber(m_textCtrlXInterval, m_intervalRange, interval);
}

void CalculatorDlg::WriteNumber(wxTextCtrl* text, NumberRange& range, double value)
{
    range.min = std::min(range.min, value);
    range.max = std::max(range.max, value);
    text->ChangeValue(FormatExactNumber(value));
}

bool CalculatorDlg::Validate()
{
    return CalculatorDlgDesign::Validate() &&
           CheckNumber(m_textCtrlXStart, m_startRange, _("X Start:")) &&
           CheckNumber(m_textCtrlXInterval, m_intervalRange, _("X Interval:"));
}

bool CalculatorDlg::CheckNumber(wxTextCtrl* text, const NumberRange& range, const wxString& caption)
{
    const double value = ReadNumber(text);
    if (value >= range.min && value <= range.max) // false for NaN
        return true;
    ShowErrorMessage(this, wxString::Format(_("\"%s\" must be a number from %s to %s!"),
                                            caption.BeforeLast(':'), FormatExactNumber(range.min),
                                            FormatExactNumber(range.max)));
    text->SetFocus();
    return false;
}

void CalculatorDlg::SetDataSize(int32_t size)
{
    m_spinCtrlDataSize->SetRange(std::min(m_spinCtrlDataSize->GetMin(), size),
                                 std::max(m_spinCtrlDataSize->GetMax(), size));
    m_spinCtrlDataSize->SetValue(size);
}

void CalculatorDlg::SetFormulaCursor(const FormulaPosition& where)
{
    m_cursor = m_textCtrlFormula->XYToPosition(where.column, where.line);
    if (m_cursor < 0) // at the very end, or past a line's end
        m_cursor = m_textCtrlFormula->GetLastPosition();
    m_textCtrlFormula->SetInsertionPoint(m_cursor);
}

int CalculatorDlg::ShowModal()
{
    // GTK moves the focus and the cursor when the dialog appears; put them back then.
    if (m_cursor >= 0)
        CallAfter(&CalculatorDlg::PlaceFormulaCursor);
    return CalculatorDlgDesign::ShowModal();
}

void CalculatorDlg::PlaceFormulaCursor()
{
    m_textCtrlFormula->SetFocus();
    m_textCtrlFormula->SetInsertionPoint(m_cursor);
}

void CalculatorDlg::ButtonSetSameSizeAs_OnButtonClick(wxCommandEvent&)
{
    wxCHECK_RET(m_proj, "m_proj != 0");
    const int sel = m_comboBoxSeries->GetSelection();
    if (sel == wxNOT_FOUND)
        return;
    wxCHECK_RET(sel >= 0 && sel < m_proj->GetCount(), "sel >= 0 && sel < m_proj->GetCount()");
    const auto series = m_proj->GetItem(sel);
    const DataX x = series->GetDataX();
    const size_t count = series->GetCount();
    m_sameX = x.IsExplicit() ? x : DataX();
    m_sameHasTimeOrigin = series->HasTimeOrigin();
    m_sameTimeOrigin = series->GetTimeOrigin();
    if (x.IsExplicit()) {
        // The fields show the first X and the mean step; the points keep their own X.
        double first = 0.0, last = 0.0;
        x.Extent(count, first, last);
        SetXStart(first);
        SetXInterval(count > 1 && last > first ? (last - first) / double(count - 1) : 1.0);
    } else {
        SetXStart(x.start);
        SetXInterval(x.interval);
    }
    SetDataSize(static_cast<int32_t>(std::min<size_t>(count, INT32_MAX)));
    m_sameStart = GetXStart();
    m_sameInterval = GetXInterval();
    m_sameSize = GetDataSize();
    m_staticTextXNote->SetLabel(
        x.IsExplicit() ? wxString::Format(_("The new series takes the X of each point of \"%s\"."),
                                          series->GetLabel())
        : series->HasTimeOrigin()
            ? wxString::Format(_("X counts seconds on the time axis of \"%s\"."),
                               series->GetLabel())
            : wxString());
    Layout();
}

DataX CalculatorDlg::GetDataX() const
{
    const bool same = m_sameX.IsExplicit() && GetXStart() == m_sameStart &&
                      GetXInterval() == m_sameInterval && GetDataSize() == m_sameSize;
    return same ? m_sameX : DataX{GetXStart(), GetXInterval()};
}

bool CalculatorDlg::GetTimeOrigin(int64_t& nanos) const
{
    nanos = m_sameTimeOrigin;
    return m_sameHasTimeOrigin;
}

void CalculatorDlg::ButtonAdd_OnButtonClick(wxCommandEvent& event)
{
    auto* button = wxDynamicCast(event.GetEventObject(), wxButton);
    wxCHECK_RET(button, "an insert button");
    const wxString label = button->GetLabel();
    m_textCtrlFormula->WriteText(label == "&&&&" ? wxString("&&") : label);
    m_textCtrlFormula->SetFocus();
}
