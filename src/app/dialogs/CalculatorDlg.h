#pragma once

#include <cstdint>

#include <wx/string.h>

#include "formula/FormulaParser.h"
#include "model/DataX.h"
#include "ui/CalculatorDlgDesign.h"

class GraphProject;

// Collects the input of the Calculate command: label, X axis and size of the new series,
// and the formula. OK checks that X start and X interval are numbers within their ranges;
// the calculator judges the formula.
class CalculatorDlg : public CalculatorDlgDesign
{
public:
    explicit CalculatorDlg(wxWindow* parent);

    // Fills the series choice with the project's labels and selects the last series.
    void SetProject(GraphProject* project);

    wxString GetNewLabel() const { return m_textCtrlLabel->GetValue(); }
    wxString GetFormula() const { return m_textCtrlFormula->GetValue(); }
    void SetFormula(const wxString& formula) { m_textCtrlFormula->ChangeValue(formula); }
    // NaN when the text is no number (OK refuses that).
    double GetXStart() const;
    double GetXInterval() const;
    int32_t GetDataSize() const { return m_spinCtrlDataSize->GetValue(); }
    // The X of the new series: the points of the series chosen with "Set same size as"
    // when that one has its own X and the fields still show it, else start and interval.
    DataX GetDataX() const;
    // The time origin of the series chosen with "Set same size as", when it has one: its X
    // fields count seconds from there.
    bool GetTimeOrigin(int64_t& nanos) const;
    // Shown exactly; a value outside a control's range widens the range, so that what a
    // series holds is never clamped.
    void SetXStart(double start);
    void SetXInterval(double interval);
    void SetDataSize(int32_t size);

    // Puts the formula's text cursor at a 0-based line and column (the place of a parse
    // error), now and again when the dialog is next shown.
    void SetFormulaCursor(const FormulaPosition& where);

    int ShowModal() override;
    // Also refuses, with an error box, an X start or X interval that is no number or out
    // of range (the interval is never below MIN_X_INTERVAL unless a series brought it in).
    bool Validate() override;

protected:
    void ButtonSetSameSizeAs_OnButtonClick(wxCommandEvent& event) override;
    void ButtonAdd_OnButtonClick(wxCommandEvent& event) override;

private:
    struct NumberRange
    {
        double min;
        double max;
    };
    static void WriteNumber(wxTextCtrl* text, NumberRange& range, double value);
    bool CheckNumber(wxTextCtrl* text, const NumberRange& range, const wxString& caption);
    void PlaceFormulaCursor();

    GraphProject* m_proj = nullptr;
    // The X taken from a series with its own X, and what the fields showed then.
    DataX m_sameX;
    bool m_sameHasTimeOrigin = false;
    int64_t m_sameTimeOrigin = 0;
    double m_sameStart = 0.0, m_sameInterval = 0.0;
    int32_t m_sameSize = 0;
    long m_cursor = -1; // insertion point to restore when shown; -1: none
    NumberRange m_startRange{-1e8, 1e8};
    NumberRange m_intervalRange{MIN_X_INTERVAL, 1e8};
};
