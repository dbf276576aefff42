#pragma once

#include <cstddef>
#include <deque>

#include "model/PlotRange.h"

// The ranges the user has looked at, newest last, with a position for Back and Forward
// as in a web browser: a new range after going back drops the ranges ahead of it.
class ViewHistory
{
public:
    static constexpr std::size_t MAX_ENTRIES = 100;

    // Forgets everything; `current` is the only entry. A view without data (an empty
    // project's) is only a placeholder: the next range recorded replaces it, so that Back
    // never leads to a view from before the data.
    void Reset(const PlotRange& current, bool ofData = true);
    // Records a range the user moved to; the oldest entry goes beyond MAX_ENTRIES.
    // A range equal to the current entry is not recorded twice.
    void Push(const PlotRange& range, bool ofData = true);

    bool CanGoBack() const { return m_pos > 0; }
    bool CanGoForward() const { return m_pos + 1 < m_entries.size(); }
    // The entry before/after the current one, which becomes current. Call only when
    // CanGoBack/CanGoForward.
    PlotRange GoBack();
    PlotRange GoForward();

    std::size_t GetCount() const { return m_entries.size(); }

private:
    std::deque<PlotRange> m_entries{PlotRange{}};
    std::size_t m_pos = 0;
    bool m_ofData = true;
};
