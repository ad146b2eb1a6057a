#pragma once

// The node-by-node filter walk, with one removal at a time, kept beside the
// product's one-pass filter for tests and benchmarks: on collections whose
// artists' songs are consecutive both must leave exactly the same nodes,
// flags and counts. Header-only so that benchmarks can include it too.

#include "store/NodeCollection.h"
#include "store/TreeSearch.h"

namespace stanzary::test {

// Walks the nodes by position, the node count read anew at every step. An
// artist (a node with children) that neither matched nor had a matching song
// is removed when the next artist is met, and once more after the walk; a
// song that does not match under a non-matching artist is removed at once.
// Songs are judged by the artist met last, so an artist whose songs are not
// consecutive is judged wrongly: that is the fault the product mends.
inline FilterCounts referenceFilterNodes(NodeCollection &nodes, const QString &text)
{
    NodeCollection::BulkScope bulk(nodes);
    int artist = 0;
    bool artistMatched = false;
    bool songMatched = false;
    FilterCounts counts;
    for (int i = 1; i <= nodes.count(); ++i) {
        if (nodes.childCount(i) > 0) {
            if (artist > 0 && !artistMatched && !songMatched) {
                nodes.remove(artist);
                --i;
            }
            artist = i;
            if (matchesSearch(nodes.at(i).text, text)) {
                artistMatched = true;
                nodes.setBold(i, true);
                ++counts.artists;
                songMatched = false;
            } else {
                artistMatched = false;
                songMatched = false;
                nodes.setBold(i, false);
            }
        } else if (matchesSearch(nodes.at(i).text, text)) {
            nodes.setBold(i, true);
            if (!artistMatched && !songMatched)
                ++counts.artists;
            songMatched = true;
            ++counts.songs;
        } else if (artistMatched) {
            nodes.setBold(i, false);
            ++counts.songs;
        } else {
            nodes.remove(i);
            --i;
        }
    }
    if (artist > 0 && !artistMatched && !songMatched)
        nodes.remove(artist);
    return counts;
}

} // namespace stanzary::test
