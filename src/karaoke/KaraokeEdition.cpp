#include "karaoke/KaraokeEdition.h"

namespace stanzary {

KasLoadResult clsKaraokeEdition::LoadKasFile(const QString &FileName, const KasLoadOptions &options)
{
    if (!options.blnLoadKasEditor) {
        KasLoadResult skipped;
        skipped.skipped = true;
        return skipped;
    }
    if (options.letPendingEventsRun)
        options.letPendingEventsRun();
    return LoadKasFile(FileName, options.codePage);
}

KasLoadResult clsKaraokeEdition::LoadKasFile(const QString &FileName, const CodePage &codePage)
{
    UnloadAll();
    m_codePage = codePage;
    // The name as it is on disk, when it differs only in case.
    const KasContent content = readKasFile(pathOnDisk(FileName));

    m_rows.clear();
    for (const KasRecord &record : content.records)
        m_rows.append(KasRow{*CodeToTime(record.code), m_codePage.decode(record.prefix), record.code});
    if (m_rows.isEmpty())
        m_rows.append(KasRow{});

    m_tail = content.ok() ? content.tail : QByteArray();
    m_loadedRecords = int(content.records.size());
    m_loaded = content.ok();
    return KasLoadResult{content.status, content.detail, m_loadedRecords};
}

KasSaveResult clsKaraokeEdition::recordsForSave(QList<KasRecord> &records) const
{
    records.clear();
    if (!m_loaded)
        return {KasSaveStatus::NotLoaded, QString()};
    for (const KasRow &r : m_rows) {
        const QString prefixText = QString(r.Text + QStringLiteral("  ")).left(2);
        if (prefixText.contains(u';'))
            return {KasSaveStatus::Unencodable, QStringLiteral(";")};
        const std::optional<QByteArray> prefix = m_codePage.encode(prefixText);
        if (!prefix)
            return {KasSaveStatus::Unencodable, m_codePage.firstUnencodable(prefixText)};
        const bool keepCode = !r.loadedCode.isEmpty() && CodeToTime(r.loadedCode) == r.time;
        // setTime admits only times that have a code.
        const QByteArray code = keepCode ? r.loadedCode : TimeToCode(r.time).value_or(QByteArray());
        records.append(KasRecord{code, *prefix});
    }
    return {KasSaveStatus::Ok, QString()};
}

KasSaveResult clsKaraokeEdition::SaveKasFile(const QString &FileName) const
{
    QList<KasRecord> records;
    KasSaveResult result = recordsForSave(records);
    if (!result.ok())
        return result;
    const QString path = pathOnDisk(FileName);
    const WriteResult written = writeKasFile(path, records, m_tail);
    switch (written.status) {
    case WriteStatus::Ok: return {KasSaveStatus::Ok, QString()};
    case WriteStatus::ReadOnly: return {KasSaveStatus::ReadOnly, path};
    case WriteStatus::Failed: break;
    }
    return {KasSaveStatus::Failed, written.error};
}

void clsKaraokeEdition::startNewFile(const QList<KasRow> &rows, const CodePage &codePage)
{
    m_rows = rows;
    if (m_rows.isEmpty())
        m_rows.append(KasRow{});
    m_codePage = codePage;
    m_tail = QByteArrayLiteral(";");
    m_loadedRecords = 0;
    m_loaded = true;
}

void clsKaraokeEdition::UnloadAll()
{
    m_rows.resize(1);
    m_tail.clear();
    m_loadedRecords = 0;
    m_loaded = false;
}

void clsKaraokeEdition::Add(int Position)
{
    const int at = qBound(0, Position, rowCount());
    m_rows.insert(at, KasRow{});
}

KasDelResult clsKaraokeEdition::Del(int Position)
{
    if (Position <= 0 || rowCount() == 1)
        return KasDelResult::FirstStampRefused;
    m_rows.removeAt(qMin(Position, rowCount() - 1));
    return KasDelResult::Deleted;
}

bool clsKaraokeEdition::setTime(int i, const StampTime &time)
{
    if (i < 0 || i >= rowCount() || !TimeToCode(time))
        return false;
    m_rows[i].time = time;
    return true;
}

bool clsKaraokeEdition::setText(int i, const QString &text)
{
    if (i < 0 || i >= rowCount() || text.size() > 2)
        return false;
    m_rows[i].Text = text;
    return true;
}

bool clsKaraokeEdition::replaceRows(int at, int count, const QList<KasRow> &rows)
{
    if (at < 0 || count < 0 || at > rowCount() || count > rowCount() - at || rowCount() - count + rows.size() < 1)
        return false;
    m_rows.remove(at, count);
    for (qsizetype i = 0; i < rows.size(); ++i)
        m_rows.insert(at + i, rows.at(i));
    return true;
}

} // namespace stanzary
