#include "SongbookSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace stanzary::test {

namespace {

QString runPoppler(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

QList<SongbookSong> sampleSongbookSongs(bool longSong)
{
    QStringList road;
    for (int i = 1; i <= (longSong ? 150 : 4); ++i)
        road << QStringLiteral("Шаг %1 по дороге, step %1 down the road").arg(i);
    return {
        {QStringLiteral("Élodie Marchand"), QStringLiteral("Café à l'aube"),
         QStringLiteral("Le café fume, déjà l'été\nOù vont les rêves éveillés\n\nÇa chante encore à côté")},
        {QStringLiteral("Лесная Тропа"), QStringLiteral("Долгая дорога"), road.join(u'\n')},
        {QStringLiteral("Ωμέγα Κύμα"), QStringLiteral("Θάλασσα μου"),
         QStringLiteral("Το κύμα φεύγει και γυρνά\nΑλάτι, φως και μουσική")},
    };
}

QList<SongbookSong> songsOfEveryLength(int count)
{
    QList<SongbookSong> songs;
    for (int length = 1; length <= count; ++length) {
        const QString title = QStringLiteral("Length %1").arg(length, 2, 10, QLatin1Char('0'));
        QStringList lines;
        for (int line = 1; line <= length; ++line)
            lines << title + QStringLiteral(", line %1").arg(line);
        songs.append({QStringLiteral("Counting Band"), title, lines.join(u'\n')});
    }
    return songs;
}

QStringList pdfPages(const QString &path)
{
    const QString text =
        runPoppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (text.isEmpty())
        return {};
    QStringList pages = text.split(u'\f');
    if (pages.constLast().trimmed().isEmpty())
        pages.removeLast(); // the form feed after the last page
    static const QRegularExpression trailingSpaces(QStringLiteral("[ \\t]+$"), QRegularExpression::MultilineOption);
    for (QString &page : pages)
        page.remove(trailingSpaces);
    return pages;
}

PdfLayout pdfLayout(const QString &path)
{
    PdfLayout layout;
    QXmlStreamReader xml(runPoppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")}));
    const auto number = [&xml](const char *name) { return xml.attributes().value(QLatin1StringView(name)).toDouble(); };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1StringView("title")) {
            layout.title = xml.readElementText();
        } else if (xml.name() == QLatin1StringView("page")) {
            layout.pages.append({QSizeF(number("width"), number("height")), {}});
        } else if (xml.name() == QLatin1StringView("word") && !layout.pages.isEmpty()) {
            const QRectF box(QPointF(number("xMin"), number("yMin")), QPointF(number("xMax"), number("yMax")));
            layout.pages.last().words.append({xml.readElementText(), box});
        }
    }
    return layout;
}

QString pdfPaperName(const QString &path)
{
    static const QRegularExpression size(QStringLiteral("^Page size:.*\\((\\w+)\\)"),
                                         QRegularExpression::MultilineOption);
    return size.match(runPoppler(QStringLiteral("pdfinfo"), {path})).captured(1);
}

int contentsPageOf(const QString &contentsPage, const QString &title)
{
    for (const QString &line : contentsPage.split(u'\n')) {
        if (line.contains(title))
            return line.split(u' ', Qt::SkipEmptyParts).constLast().toInt();
    }
    return 0;
}

} // namespace stanzary::test
