// Fuzzes a timestamp file's contents: the records and the tail account for
// the bytes, every record's time code decodes, a well-formed file is written
// back byte for byte (plus the final CR LF it may lack), and what is written
// reads back as the records that were kept.

#include "FuzzCheck.h"

#include "karaoke/KasFile.h"

#include <algorithm>

using namespace stanzary;
using stanzary::fuzz::check;

namespace {

bool hasSkippedRecord(const QList<KasRecord> &records)
{
    return std::any_of(records.begin(), records.end(), [](const KasRecord &r) { return r.prefix == "  "; });
}

void checkRecords(const KasContent &content, const QByteArray &bytes)
{
    check(content.raw == bytes);
    check(content.records.size() * 4 <= bytes.size());
    for (qsizetype i = 0; i < content.records.size(); ++i) {
        const KasRecord &r = content.records.at(i);
        check(r.code.size() == 2 && r.prefix.size() == 2);
        check(bytes.mid(i * 4, 4) == r.code + r.prefix);
        const auto time = CodeToTime(r.code);
        check(time.has_value() && time->Second <= 59 && time->Frame <= 8 && time->Frame % 2 == 0);
        // The canonical code of the time reads as the same time.
        if (const auto code = TimeToCode(*time))
            check(CodeToTime(*code) == time);
    }
    check(content.ok() == (content.detail.isEmpty()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const KasContent content = parseKas(bytes);
    checkRecords(content, bytes);
    if (!content.ok()) {
        check(content.status == KasReadStatus::Malformed);
        return 0;
    }
    check(content.tail.startsWith(';'));
    check(content.records.size() * 4 + content.tail.size() == bytes.size());

    const QByteArray written = composeKas(content.records, content.tail);
    if (!hasSkippedRecord(content.records))
        check(written == (bytes.endsWith("\r\n") ? bytes : bytes + "\r\n"));
    // What is written reads back as what was kept.
    const KasContent again = parseKas(written);
    check(again.ok());
    QList<KasRecord> kept = content.records;
    kept.removeIf([](const KasRecord &r) { return r.prefix == "  "; });
    check(again.records == kept);
    check(composeKas(again.records, again.tail) == written);
    return 0;
}
