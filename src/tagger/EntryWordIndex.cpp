#include "tagger/EntryWordIndex.h"

#include <algorithm>
#include <deque>
#include <string>
#include <tuple>

namespace stanzary {

namespace {

// Hash of a word's comparison units, for the distinct-word table.
struct UnitsHash
{
    std::size_t operator()(const std::vector<char32_t> &u) const noexcept
    {
        return std::hash<std::u32string_view>()(std::u32string_view(u.data(), u.size()));
    }
};

} // namespace

// The units QString compares: without regard to case, each UTF-16 unit is
// case-folded, a low surrogate after a high one as the folded code point of
// the pair (which is what QString::indexOf(..., Qt::CaseInsensitive) does).
EntryWordIndex::Units EntryWordIndex::comparisonUnits(const QString &text) const
{
    Units units(static_cast<std::size_t>(text.size()));
    const QChar *s = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t u = s[i].unicode();
        if (m_cs == Qt::CaseInsensitive) {
            if (QChar::isLowSurrogate(u) && i > 0 && s[i - 1].isHighSurrogate())
                u = QChar::toCaseFolded(QChar::surrogateToUcs4(s[i - 1], s[i]));
            else
                u = QChar::toCaseFolded(u);
        }
        units[static_cast<std::size_t>(i)] = u;
    }
    return units;
}

int EntryWordIndex::classOf(char32_t unit) const
{
    if (unit < 0x10000)
        return m_bmpClass[unit];
    const auto it = m_otherClass.find(unit);
    return it == m_otherClass.end() ? 0 : it->second;
}

int EntryWordIndex::child(int state, int cls) const
{
    if (state == 0)
        return m_rootChild[static_cast<std::size_t>(cls)];
    const auto first = m_childClass.begin() + m_childBegin[static_cast<std::size_t>(state)];
    const auto last = m_childClass.begin() + m_childBegin[static_cast<std::size_t>(state) + 1];
    const auto it = std::lower_bound(first, last, cls);
    if (it == last || *it != cls)
        return -1;
    return m_childState[static_cast<std::size_t>(it - m_childClass.begin())];
}

EntryWordIndex::EntryWordIndex(const QList<TagEntry> &entries, Qt::CaseSensitivity cs)
    : m_cs(cs), m_entryCount(static_cast<int>(entries.size())), m_bmpClass(0x10000, 0)
{
    // Distinct words, and each entry's distinct words.
    std::unordered_map<Units, int, UnitsHash> wordId;
    std::vector<Units> words;
    std::vector<int> postings; // entries per word
    m_entryWordBegin.reserve(entries.size() + 1);
    for (int e = 0; e < m_entryCount; ++e) {
        m_entryWordBegin.push_back(static_cast<int>(m_entryWord.size()));
        const auto from = m_entryWord.size();
        for (const QString &w : entries.at(e).Words) {
            if (!isSearchedWord(w))
                continue;
            Units units = comparisonUnits(w);
            auto [it, added] = wordId.try_emplace(std::move(units), static_cast<int>(words.size()));
            if (added) {
                words.push_back(it->first);
                postings.push_back(0);
            }
            const int id = it->second;
            const auto known =
                std::find(m_entryWord.begin() + static_cast<std::ptrdiff_t>(from), m_entryWord.end(), id);
            if (known == m_entryWord.end()) {
                m_entryWord.push_back(id);
                m_entryWordRepeats.push_back(1);
                ++postings[static_cast<std::size_t>(id)];
            } else {
                ++m_entryWordRepeats[static_cast<std::size_t>(known - m_entryWord.begin())];
            }
        }
        if (m_entryWord.size() == from)
            m_alwaysEntries.push_back(e);
    }
    m_entryWordBegin.push_back(static_cast<int>(m_entryWord.size()));
    for (const Units &w : words)
        m_wordLength.push_back(static_cast<int>(w.size()));

    // Anchor: prefer words of four units or more (short ones turn up by
    // chance), then the fewest entries, then the longest.
    auto anchorKey = [&](int id) {
        const int len = m_wordLength[static_cast<std::size_t>(id)];
        return std::make_tuple(len < 4, postings[static_cast<std::size_t>(id)], -len);
    };
    std::vector<int> anchorOf(static_cast<std::size_t>(m_entryCount), -1);
    std::vector<int> runLength(words.size() + 1, 0);
    for (int e = 0; e < m_entryCount; ++e) {
        const int b = m_entryWordBegin[static_cast<std::size_t>(e)];
        const int end = m_entryWordBegin[static_cast<std::size_t>(e) + 1];
        if (b == end)
            continue;
        int best = m_entryWord[static_cast<std::size_t>(b)];
        for (int i = b + 1; i < end; ++i) {
            const int id = m_entryWord[static_cast<std::size_t>(i)];
            if (anchorKey(id) < anchorKey(best))
                best = id;
        }
        anchorOf[static_cast<std::size_t>(e)] = best;
        runLength[static_cast<std::size_t>(best) + 1] += 2 + (end - b - 1);
    }
    for (std::size_t i = 1; i < runLength.size(); ++i)
        runLength[i] += runLength[i - 1];
    m_anchorBegin = runLength;
    m_anchorData.resize(static_cast<std::size_t>(runLength.back()));
    for (int e = 0; e < m_entryCount; ++e) {
        const int a = anchorOf[static_cast<std::size_t>(e)];
        if (a < 0)
            continue;
        int &at = runLength[static_cast<std::size_t>(a)];
        const int b = m_entryWordBegin[static_cast<std::size_t>(e)];
        const int end = m_entryWordBegin[static_cast<std::size_t>(e) + 1];
        m_anchorData[static_cast<std::size_t>(at++)] = e;
        m_anchorData[static_cast<std::size_t>(at++)] = end - b - 1;
        for (int i = b; i < end; ++i) {
            if (m_entryWord[static_cast<std::size_t>(i)] != a)
                m_anchorData[static_cast<std::size_t>(at++)] = m_entryWord[static_cast<std::size_t>(i)];
        }
    }

    buildAutomaton(words);
    m_seen.assign(words.size(), 0);
    m_countStamp.assign(words.size(), 0);
    m_count.assign(words.size(), 0);
}

void EntryWordIndex::buildAutomaton(const std::vector<Units> &words)
{
    // Alphabet classes.
    for (const Units &w : words) {
        for (const char32_t u : w) {
            if (classOf(u) != 0)
                continue;
            if (u < 0x10000)
                m_bmpClass[u] = m_classCount++;
            else
                m_otherClass.emplace(u, m_classCount++);
        }
    }

    // Text units straight to classes: the fold is looked up once per unit value.
    m_textClass.assign(0x10000, 0);
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (!QChar::isSurrogate(u))
            m_textClass[u] = classOf(m_cs == Qt::CaseInsensitive ? QChar::toCaseFolded(u) : u);
    }

    // The trie, edges first in a hash table.
    std::unordered_map<std::uint64_t, int> edge;
    std::vector<std::tuple<int, int, int>> edges; // parent, class, child
    m_wordAt.assign(1, -1);
    for (std::size_t id = 0; id < words.size(); ++id) {
        int state = 0;
        for (const char32_t u : words[id]) {
            const int cls = classOf(u);
            const std::uint64_t key = (static_cast<std::uint64_t>(state) << 32) | static_cast<std::uint32_t>(cls);
            auto [it, added] = edge.try_emplace(key, static_cast<int>(m_wordAt.size()));
            if (added) {
                m_wordAt.push_back(-1);
                edges.emplace_back(state, cls, it->second);
            }
            state = it->second;
        }
        m_wordAt[static_cast<std::size_t>(state)] = static_cast<int>(id);
    }
    const std::size_t states = m_wordAt.size();

    // Children in CSR form, sorted by class; the root's also as a dense row.
    std::sort(edges.begin(), edges.end());
    m_rootChild.assign(static_cast<std::size_t>(m_classCount), -1);
    m_childBegin.assign(states + 1, 0);
    for (const auto &[parent, cls, childState] : edges)
        ++m_childBegin[static_cast<std::size_t>(parent) + 1];
    for (std::size_t i = 1; i <= states; ++i)
        m_childBegin[i] += m_childBegin[i - 1];
    m_childClass.reserve(edges.size());
    m_childState.reserve(edges.size());
    for (const auto &[parent, cls, childState] : edges) {
        m_childClass.push_back(cls);
        m_childState.push_back(childState);
        if (parent == 0)
            m_rootChild[static_cast<std::size_t>(cls)] = childState;
    }

    // Failure and dictionary links, breadth first.
    m_fail.assign(states, 0);
    m_dictLink.assign(states, -1);
    std::deque<int> queue;
    for (int i = m_childBegin[0]; i < m_childBegin[1]; ++i)
        queue.push_back(m_childState[static_cast<std::size_t>(i)]);
    while (!queue.empty()) {
        const int u = queue.front();
        queue.pop_front();
        for (int i = m_childBegin[static_cast<std::size_t>(u)]; i < m_childBegin[static_cast<std::size_t>(u) + 1];
             ++i) {
            const int cls = m_childClass[static_cast<std::size_t>(i)];
            const int v = m_childState[static_cast<std::size_t>(i)];
            int f = m_fail[static_cast<std::size_t>(u)];
            int target = 0;
            for (;;) {
                const int g = child(f, cls);
                if (g >= 0) {
                    target = g;
                    break;
                }
                if (f == 0)
                    break;
                f = m_fail[static_cast<std::size_t>(f)];
            }
            m_fail[static_cast<std::size_t>(v)] = target;
            m_dictLink[static_cast<std::size_t>(v)] =
                m_wordAt[static_cast<std::size_t>(target)] >= 0 ? target : m_dictLink[static_cast<std::size_t>(target)];
            queue.push_back(v);
        }
    }
}

// The automaton's move on one class of text unit.
int EntryWordIndex::step(int state, int cls) const
{
    if (cls == 0)
        return 0;
    for (;;) {
        const int g = child(state, cls);
        if (g >= 0)
            return g;
        if (state == 0)
            return 0;
        state = m_fail[static_cast<std::size_t>(state)];
    }
}

// Runs the automaton over text, calling onState with the state after each
// unit. Units outside surrogates are folded and classified by one lookup.
template <typename OnState>
void EntryWordIndex::walk(const QString &text, OnState onState) const
{
    const QChar *s = text.constData();
    const qsizetype n = text.size();
    int state = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i].unicode();
        int cls = 0;
        if (!QChar::isSurrogate(u)) {
            cls = m_textClass[u];
        } else {
            char32_t unit = u;
            if (m_cs == Qt::CaseInsensitive)
                unit = QChar::isLowSurrogate(u) && i > 0 && s[i - 1].isHighSurrogate()
                           ? QChar::toCaseFolded(QChar::surrogateToUcs4(s[i - 1], s[i]))
                           : QChar::toCaseFolded(unit);
            cls = classOf(unit);
        }
        state = step(state, cls);
        onState(state);
    }
}

// A new stamp for the marks of one text; on wrap-around every old mark goes.
void EntryWordIndex::nextStamp() const
{
    if (++m_stamp != 0)
        return;
    std::fill(m_seen.begin(), m_seen.end(), 0);
    std::fill(m_countStamp.begin(), m_countStamp.end(), 0);
    m_stamp = 1;
}

QList<int> EntryWordIndex::candidates(const QString &text) const
{
    QList<int> out(m_alwaysEntries.begin(), m_alwaysEntries.end());
    if (m_wordLength.empty())
        return out;
    nextStamp();
    m_present.clear();

    // One pass over the text marks every word that occurs in it.
    walk(text, [this](int state) {
        // Words already marked had their shorter suffix words marked with them.
        int t = m_wordAt[static_cast<std::size_t>(state)] >= 0 ? state : m_dictLink[static_cast<std::size_t>(state)];
        while (t >= 0) {
            const int w = m_wordAt[static_cast<std::size_t>(t)];
            if (m_seen[static_cast<std::size_t>(w)] == m_stamp)
                break;
            m_seen[static_cast<std::size_t>(w)] = m_stamp;
            m_present.push_back(w);
            t = m_dictLink[static_cast<std::size_t>(t)];
        }
    });

    // Entries whose anchor occurred, checked for their other words.
    for (const int w : m_present) {
        const int *at = m_anchorData.data() + m_anchorBegin[static_cast<std::size_t>(w)];
        const int *end = m_anchorData.data() + m_anchorBegin[static_cast<std::size_t>(w) + 1];
        while (at < end) {
            const int e = at[0];
            const int *others = at + 2;
            at = others + at[1];
            if (std::all_of(others, at, [&](int id) { return m_seen[static_cast<std::size_t>(id)] == m_stamp; }))
                out.push_back(e);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

QList<int> EntryWordIndex::scores(const QString &text, const QList<int> &entryIndexes) const
{
    QList<int> out;
    out.reserve(entryIndexes.size());
    if (!m_wordLength.empty()) {
        nextStamp();
        // Every occurrence ends at one position: follow the whole suffix chain.
        walk(text, [this](int state) {
            for (int t = m_wordAt[static_cast<std::size_t>(state)] >= 0 ? state
                                                                        : m_dictLink[static_cast<std::size_t>(state)];
                 t >= 0; t = m_dictLink[static_cast<std::size_t>(t)]) {
                const auto w = static_cast<std::size_t>(m_wordAt[static_cast<std::size_t>(t)]);
                if (m_countStamp[w] != m_stamp) {
                    m_countStamp[w] = m_stamp;
                    m_count[w] = 0;
                }
                ++m_count[w];
            }
        });
    }
    for (const int e : entryIndexes) {
        int score = 0;
        for (int i = m_entryWordBegin[static_cast<std::size_t>(e)];
             i < m_entryWordBegin[static_cast<std::size_t>(e) + 1]; ++i) {
            const auto w = static_cast<std::size_t>(m_entryWord[static_cast<std::size_t>(i)]);
            if (m_countStamp[w] == m_stamp)
                score += m_count[w] * m_entryWordRepeats[static_cast<std::size_t>(i)];
        }
        out.append(score);
    }
    return out;
}

} // namespace stanzary
