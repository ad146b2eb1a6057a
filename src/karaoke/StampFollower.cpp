#include "karaoke/StampFollower.h"

#include "karaoke/StampSteps.h"

#include <algorithm>

namespace stanzary {

StampFollower::StampFollower(const QList<KasRow> &rows)
{
    m_byTime.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        m_byTime.append(Due{qint64(stampMilliseconds(rows.at(i).time)), i});
    std::sort(m_byTime.begin(), m_byTime.end(),
              [](const Due &a, const Due &b) { return a.ms != b.ms ? a.ms < b.ms : a.row < b.row; });
}

int StampFollower::rowAt(qint64 positionMs) const
{
    // The first stamp after the position; the one before it follows.
    const auto after = std::upper_bound(m_byTime.cbegin(), m_byTime.cend(), positionMs,
                                        [](qint64 ms, const Due &d) { return ms < d.ms; });
    return after == m_byTime.cbegin() ? -1 : std::prev(after)->row;
}

} // namespace stanzary
