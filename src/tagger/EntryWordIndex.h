#pragma once

#include "tagger/TagEntry.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace stanzary {

// Finds, for a text, every entry whose searched words all occur in it as
// substrings (anywhere, also inside other words, in any order), exactly as
// searching each word with QString::indexOf in the given case sensitivity
// would, but in one pass over the text.
//
// The distinct words of all entries are put once into an Aho-Corasick
// automaton (case-folded the way QString compares without regard to case).
// A pass over the text marks every word that occurs; each entry is filed under
// one "anchor" word (a long and rarely shared one), so only entries whose
// anchor occurred are checked for their other words.
//
// Texts and words are valid UTF-16 (decoded tag bytes, file names); for a
// word that is a lone low surrogate QString's one-character search folds
// differently, which is not reproduced.
//
// Built from an entries array and valid for it as long as the entries' Words
// do not change. Not for use from several threads at once (scratch state).
class EntryWordIndex
{
public:
    EntryWordIndex() = default;
    explicit EntryWordIndex(const QList<TagEntry> &entries, Qt::CaseSensitivity cs = Qt::CaseInsensitive);

    Qt::CaseSensitivity sensitivity() const { return m_cs; }
    int entryCount() const { return m_entryCount; }
    int wordCount() const { return static_cast<int>(m_wordLength.size()); }

    // Indexes of the entries whose searched words all occur in text, ascending.
    // An entry without searched words occurs in every text.
    QList<int> candidates(const QString &text) const;

    // EntryScore of each of entryIndexes for text, in the same order: the sum,
    // over the entry's searched words (repeats included), of their overlapping
    // occurrences in text. One pass over text.
    QList<int> scores(const QString &text, const QList<int> &entryIndexes) const;

private:
    using Units = std::vector<char32_t>;
    Units comparisonUnits(const QString &text) const;
    int classOf(char32_t unit) const;
    int child(int state, int cls) const;
    void buildAutomaton(const std::vector<Units> &words);
    int step(int state, int cls) const;
    template <typename OnState>
    void walk(const QString &text, OnState onState) const;
    void nextStamp() const;

    Qt::CaseSensitivity m_cs = Qt::CaseInsensitive;
    int m_entryCount = 0;

    // Alphabet: every unit that occurs in some word has a class from 1 on.
    std::vector<std::uint16_t> m_bmpClass;          // by BMP unit
    std::unordered_map<char32_t, int> m_otherClass; // folded code points above the BMP
    std::vector<int> m_textClass;                   // by raw BMP unit of a text, folded first
    int m_classCount = 1;

    // Automaton states; state 0 is the root. Children in CSR form, sorted by class.
    std::vector<int> m_rootChild;  // by class
    std::vector<int> m_childBegin; // per state, size states + 1
    std::vector<int> m_childClass;
    std::vector<int> m_childState;
    std::vector<int> m_fail;
    std::vector<int> m_wordAt;   // word ending at the state, or -1
    std::vector<int> m_dictLink; // nearest suffix state with a word, or -1

    std::vector<int> m_wordLength;

    // Entries by anchor word: for each anchor, a run of records "entry, n,
    // the entry's n other words", so that checking them reads memory in order.
    // And each entry's distinct words (CSR) with their repeat counts.
    std::vector<int> m_anchorBegin;
    std::vector<int> m_anchorData;
    std::vector<int> m_entryWordBegin;
    std::vector<int> m_entryWord;
    std::vector<int> m_entryWordRepeats; // how often the word is in the entry
    std::vector<int> m_alwaysEntries;    // entries without searched words

    // Scratch: words seen in the current text carry the current stamp.
    mutable std::vector<std::uint32_t> m_seen;
    mutable std::uint32_t m_stamp = 0;
    mutable std::vector<int> m_present;
    mutable std::vector<std::uint32_t> m_countStamp;
    mutable std::vector<int> m_count;
};

} // namespace stanzary
