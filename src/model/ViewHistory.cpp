#include "model/ViewHistory.h"

void ViewHistory::Reset(const PlotRange& current, bool ofData)
{
    m_entries.assign(1, current);
    m_pos = 0;
    m_ofData = ofData;
}

void ViewHistory::Push(const PlotRange& range, bool ofData)
{
    if (!m_ofData) {
        Reset(range, ofData);
        return;
    }
    if (m_entries[m_pos] == range)
        return;
    m_entries.erase(m_entries.begin() + std::ptrdiff_t(m_pos) + 1, m_entries.end());
    m_entries.push_back(range);
    if (m_entries.size() > MAX_ENTRIES)
        m_entries.pop_front();
    m_pos = m_entries.size() - 1;
}

PlotRange ViewHistory::GoBack()
{
    if (m_pos > 0)
        --m_pos;
    return m_entries[m_pos];
}

PlotRange ViewHistory::GoForward()
{
    if (m_pos + 1 < m_entries.size())
        ++m_pos;
    return m_entries[m_pos];
}
