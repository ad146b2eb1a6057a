// One keystroke in the search box on a 30,000-song tree: the one-pass filter
// against the node-by-node walk that removes one node at a time.
//
// Two search texts: one that keeps about 1% of the nodes and one that keeps
// about half. Prints both times and the ratio, after checking that both
// leave exactly the same collection (positions, keys, images, bold flags)
// and the same count line. Target: at least 20 times faster.
//
//   cmake --build <build> --target run-bench_filter

#include "../tests/support/ReferenceFilter.h"
#include "CollectionGenerator.h"

#include "app/basMain.h"
#include "store/TreeSearch.h"

#include <QStringList>

#include <chrono>
#include <cstdio>

using namespace stanzary;

namespace {

QStringList byPosition(const NodeCollection &n)
{
    QStringList out;
    out.reserve(n.count());
    for (int p = 1; p <= n.count(); ++p) {
        const TreeNode &t = n.at(p);
        out << QString::number(n.parentOf(p)) + u' ' + t.key + u' ' + QString::number(t.image)
                   + (t.bold ? QStringLiteral(" bold") : QString());
    }
    return out;
}

struct Run
{
    double ms = 0;
    QString countLine;
    QStringList nodes;
    int kept = 0;
};

template <typename Pass>
Run timeOnce(const bench::CollectionGenerator &generator, const QString &text, Pass pass)
{
    basMain state;
    generator.fillNodes(state.nodes);
    SearchState search;
    const auto t0 = std::chrono::steady_clock::now();
    const QString line = pass(state, search, text);
    const auto t1 = std::chrono::steady_clock::now();
    Run run;
    run.ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
    run.countLine = line;
    run.kept = state.nodes.count();
    run.nodes = byPosition(state.nodes);
    return run;
}

template <typename Pass>
Run best(int runs, const bench::CollectionGenerator &generator, const QString &text, Pass pass)
{
    Run out = timeOnce(generator, text, pass);
    for (int i = 1; i < runs; ++i) {
        const Run r = timeOnce(generator, text, pass);
        out.ms = std::min(out.ms, r.ms);
    }
    return out;
}

QString fastPass(basMain &state, SearchState &search, const QString &text)
{
    return FilterTree(state, search, text).countLine;
}

QString walkPass(basMain &state, SearchState &search, const QString &text)
{
    search.intLastSearchLen = static_cast<int>(text.size());
    const FilterCounts c = test::referenceFilterNodes(state.nodes, text);
    return searchCountLine(c.artists, c.songs);
}

} // namespace

int main()
{
    bench::GeneratorOptions options; // 30,000 songs
    options.rareWordShare = 0.005;   // the rare word then keeps about 1% of the nodes
    const bench::CollectionGenerator generator(options);
    NodeCollection full;
    generator.fillNodes(full);
    std::printf("tree: %d nodes (%lld songs)\n", full.count(), static_cast<long long>(generator.songs().size()));

    bool identical = true;
    const QString texts[] = {bench::CollectionGenerator::rareWord().toLower(),
                             bench::CollectionGenerator::commonWord().toLower()};
    for (const QString &text : texts) {
        const Run fast = best(9, generator, text, fastPass);
        const Run walk = best(1, generator, text, walkPass);
        const bool same = fast.nodes == walk.nodes && fast.countLine == walk.countLine;
        identical = identical && same;
        std::printf("\nsearch \"%s\": keeps %d of %d nodes (%.1f%%), %s\n", qPrintable(text), fast.kept, full.count(),
                    100.0 * fast.kept / full.count(), qPrintable(fast.countLine));
        std::printf("  node-by-node walk, single removals: %10.2f ms\n", walk.ms);
        std::printf("  one-pass filter:                    %10.2f ms\n", fast.ms);
        std::printf("  ratio walk / filter:                %10.1f   (target >= 20)\n", walk.ms / fast.ms);
        std::printf("  resulting collections identical:    %s\n", same ? "yes" : "NO");
    }
    return identical ? 0 : 1;
}
