#include "app/ProgramArguments.h"

#include <QRegularExpression>
#include <QtTest>

#include <vector>

using namespace stanzary;

namespace {

// Runs answerInfoRequest on the words of a command line, its output going to
// a file; gives the exit status and what was written.
std::optional<int> answer(const QStringList &arguments, QByteArray *written)
{
    std::vector<QByteArray> bytes;
    for (const QString &a : arguments)
        bytes.push_back(a.toLocal8Bit());
    std::vector<const char *> argv;
    for (const QByteArray &b : bytes)
        argv.push_back(b.constData());
    std::FILE *out = std::tmpfile();
    const std::optional<int> status = answerInfoRequest(static_cast<int>(argv.size()), argv.data(), out);
    std::rewind(out);
    char buffer[4096];
    written->clear();
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        written->append(buffer, static_cast<qsizetype>(n));
    std::fclose(out);
    return status;
}

} // namespace

class tst_ProgramArguments : public QObject
{
    Q_OBJECT

private slots:
    void request_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("request");
        const auto args = [](const char *line) {
            const QString text = QStringLiteral("stanzary ") + QString::fromLatin1(line);
            return text.split(u' ', Qt::SkipEmptyParts);
        };
        const int start = static_cast<int>(ProgramRequest::Start);
        const int help = static_cast<int>(ProgramRequest::PrintHelp);
        const int version = static_cast<int>(ProgramRequest::PrintVersion);
        QTest::newRow("nothing") << args("") << start;
        QTest::newRow("help") << args("--help") << help;
        QTest::newRow("short help") << args("-h") << help;
        QTest::newRow("version") << args("--version") << version;
        QTest::newRow("help wins over what follows") << args("--help /song A - B") << help;
        QTest::newRow("song request") << args("/song Band - Song") << start;
        QTest::newRow("option inside a song's name") << args("/song Band - --help") << start;
        QTest::newRow("case-sensitive") << args("--HELP") << start;
        QTest::newRow("unknown option starts") << args("--verbose") << start;
        QTest::newRow("no program name at all") << QStringList() << start;
    }
    void request()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, request);
        QCOMPARE(static_cast<int>(programRequest(arguments)), request);
    }

    void answersOnItsStream_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        QTest::newRow("help") << QStringLiteral("--help") << helpText();
        QTest::newRow("version") << QStringLiteral("--version") << versionText();
    }
    void answersOnItsStream()
    {
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        QByteArray written;
        QCOMPARE(answer({QStringLiteral("stanzary"), argument}, &written), std::optional<int>(0));
        QCOMPARE(QString::fromLocal8Bit(written), expected);

        QCOMPARE(answer({QStringLiteral("stanzary"), QStringLiteral("/song A - B")}, &written), std::nullopt);
        QVERIFY(written.isEmpty());
    }

    void textsNameEveryOptionAndTheVersion()
    {
        const QString help = helpText();
        for (const char *option : {"/song", "--help", "-h,", "--version"})
            QVERIFY2(help.contains(QLatin1StringView(option)), option);
        QVERIFY(help.endsWith(u'\n'));
        QVERIFY(QRegularExpression(QStringLiteral("^Stanzary \\d+\\.\\d+\\.\\d+\\n$")).match(versionText()).hasMatch());
    }

    void failedWriteIsAFailure()
    {
        std::FILE *full = std::fopen("/dev/full", "w");
        if (!full)
            QSKIP("no /dev/full here");
        const char *argv[] = {"stanzary", "--version"};
        QCOMPARE(answerInfoRequest(2, argv, full), std::optional<int>(1));
        std::fclose(full);
    }
};

QTEST_GUILESS_MAIN(tst_ProgramArguments)
#include "tst_programarguments.moc"
