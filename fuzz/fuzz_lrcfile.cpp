// Fuzzes an .lrc file's contents: every row is a stamp the editor can hold
// (00:00.0 to 13:59.8, a line start the timestamp file can store), the rows
// come sorted by time, the issues name lines of the file in order, and the
// rows written out as an .lrc file read back as the same rows.

#include "FuzzCheck.h"

#include "karaoke/LrcImport.h"
#include "karaoke/StampSteps.h"
#include "tagger/LrcExport.h"
#include "tagger/LyricsPairing.h"

using namespace stanzary;
using stanzary::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const CodePage codePage;
    const LrcImport imported = parseLrc(bytes, codePage);
    check(imported.readable);

    // A line start written back alone reads as itself unless it begins
    // with "[" (a tag then) or ends with white space other than the padding.
    bool writable = true;
    for (qsizetype i = 0; i < imported.rows.size(); ++i) {
        const KasRow &row = imported.rows.at(i);
        check(isPickerTime(row.time) && stampStep(row.time) <= kLastStampStep);
        check(row.Text.size() == 2 && prefixProblem(row.Text, codePage).isEmpty());
        check(row.loadedCode.isEmpty());
        if (i > 0)
            check(stampStep(imported.rows.at(i - 1).time) <= stampStep(row.time));
        writable = writable && !row.Text.startsWith(u'[') && linePrefix(row.Text.trimmed()) == row.Text;
    }
    const qsizetype lines = bytes.count('\n') + 1;
    for (qsizetype i = 0; i < imported.issues.size(); ++i) {
        const LineIssue &issue = imported.issues.at(i);
        check(issue.line >= 1 && issue.line <= lines && !issue.reason.isEmpty());
        if (i > 0)
            check(imported.issues.at(i - 1).line <= issue.line);
    }

    if (writable) {
        QList<PairedStamp> paired;
        for (const KasRow &row : imported.rows)
            paired.append({row.time, row.Text, 0, 0});
        const LrcImport again = parseLrc(lrcText(paired), codePage);
        check(again.issues.isEmpty());
        check(again.rows == imported.rows);
    }
    return 0;
}
