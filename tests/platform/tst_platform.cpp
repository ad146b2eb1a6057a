#include "platform/CodePage.h"
#include "platform/DirListing.h"
#include "platform/FileEnds.h"
#include "platform/RegularFile.h"

#include "FakeInstallation.h"
#include "NamedPipe.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace stanzary;

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void everyByteRoundTrips_data()
    {
        QTest::addColumn<int>("charset");
        for (int cs : {0, 204, 238, 161, 162, 177, 178, 186, 163, 222})
            QTest::newRow(qPrintable(CodePage::forFontCharset(cs).name())) << cs;
    }
    void everyByteRoundTrips()
    {
        QFETCH(int, charset);
        const CodePage cp = CodePage::forFontCharset(charset);
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = static_cast<char>(i);
        const QString text = cp.decode(all);
        QCOMPARE(text.size(), 256);
        const auto back = cp.encode(text);
        QVERIFY(back.has_value());
        QCOMPARE(*back, all);
    }

    void decodesTheChosenScript()
    {
        QCOMPARE(CodePage().decode(QByteArray("\xe9\x80", 2)), QStringLiteral("\u00e9\u20ac"));
        QCOMPARE(CodePage::forFontCharset(204).decode(QByteArray("\xc0\xff", 2)), QStringLiteral("\u0410\u044f"));
        QCOMPARE(CodePage::forFontCharset(161).decode(QByteArray("\xe1", 1)), QStringLiteral("\u03b1"));
    }

    // Characteristic bytes of every character set the host's settings can
    // name, with the characters the published code page tables give them
    // (a round trip alone would also pass with the wrong table).
    void decodesEveryCharacterSet_data()
    {
        QTest::addColumn<int>("charset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0 Western") << 0 << QByteArray("\x80\x8a\x9c\xe9\xff")
                                   << QStringLiteral("\u20ac\u0160\u0153\u00e9\u00ff");
        QTest::newRow("204 Cyrillic") << 204 << QByteArray("\x80\xa8\xb8\xc0\xff")
                                      << QStringLiteral("\u0402\u0401\u0451\u0410\u044f");
        QTest::newRow("238 Central European")
            << 238 << QByteArray("\x8a\xa3\xb3\xe8\xf8") << QStringLiteral("\u0160\u0141\u0142\u010d\u0159");
        QTest::newRow("161 Greek") << 161 << QByteArray("\xa2\xc1\xe1\xf2\xf9")
                                   << QStringLiteral("\u0386\u0391\u03b1\u03c2\u03c9");
        QTest::newRow("162 Turkish") << 162 << QByteArray("\xd0\xdd\xde\xf0\xfd\xfe")
                                     << QStringLiteral("\u011e\u0130\u015e\u011f\u0131\u015f");
        QTest::newRow("177 Hebrew") << 177 << QByteArray("\xa4\xc0\xe0\xfa")
                                    << QStringLiteral("\u20aa\u05b0\u05d0\u05ea");
        QTest::newRow("178 Arabic") << 178 << QByteArray("\x81\xa1\xc7\xe1\xff")
                                    << QStringLiteral("\u067e\u060c\u0627\u0644\u06d2");
        QTest::newRow("186 Baltic") << 186 << QByteArray("\xa8\xaf\xc0\xd0\xe0\xf0")
                                    << QStringLiteral("\u00d8\u00c6\u0104\u0160\u0105\u0161");
        QTest::newRow("163 Vietnamese") << 163 << QByteArray("\xc3\xcc\xd0\xec\xf0\xfe")
                                        << QStringLiteral("\u0102\u0300\u0110\u0301\u0111\u20ab");
        QTest::newRow("222 Thai") << 222 << QByteArray("\x80\xa1\xdf\xf0\xfb")
                                  << QStringLiteral("\u20ac\u0e01\u0e3f\u0e50\u0e5b");
        QTest::newRow("unknown 77 is Western") << 77 << QByteArray("\x80\xe9") << QStringLiteral("\u20ac\u00e9");
    }
    void decodesEveryCharacterSet()
    {
        QFETCH(int, charset);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const CodePage cp = CodePage::forFontCharset(charset);
        QCOMPARE(cp.decode(bytes), text);
        QCOMPARE(cp.encode(text), std::optional<QByteArray>(bytes));
    }

    void refusesCharactersItCannotHold()
    {
        const CodePage cp;
        QVERIFY(!cp.encode(QStringLiteral("caf\u00e9 \u0416")).has_value());
        QCOMPARE(cp.firstUnencodable(QStringLiteral("caf\u00e9 \u0416")), QStringLiteral("\u0416"));
        QVERIFY(cp.firstUnencodable(QStringLiteral("caf\u00e9")).isEmpty());
        QCOMPARE(cp.firstUnencodable(QStringLiteral("ok \U0001F3B5")), QStringLiteral("\U0001F3B5")); // the whole pair
    }

    void listsIgnoringCaseWithoutHiddenFiles()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeFile(QStringLiteral("d/b.TXT"), "x");
        inst.writeFile(QStringLiteral("d/A.txt"), "x");
        inst.writeFile(QStringLiteral("d/c.kas"), "x");
        inst.writeFile(QStringLiteral("d/.hidden.txt"), "x");
        inst.writeFile(QStringLiteral("d/sub2/x"), "x");
        inst.writeFile(QStringLiteral("d/Sub1/x"), "x");
        const QString d = inst.root() + QStringLiteral("d");
        QCOMPARE(listFilesWithSuffix(d, QStringLiteral(".txt")),
                 (QStringList{QStringLiteral("A.txt"), QStringLiteral("b.TXT")}));
        QCOMPARE(listSubfolders(d), (QStringList{QStringLiteral("Sub1"), QStringLiteral("sub2")}));
        QCOMPARE(findFileIgnoringCase(d, QStringLiteral("C.KAS")), QStringLiteral("c.kas"));
        QVERIFY(findFileIgnoringCase(d, QStringLiteral(".hidden.txt")).isEmpty());
        QVERIFY(findFileIgnoringCase(d, QStringLiteral("sub1")).isEmpty()); // a folder is not a file
        QVERIFY(listFilesWithSuffix(d + QStringLiteral("/missing"), QStringLiteral(".txt")).isEmpty());
    }

    // The scan sorts and matches names through their folded values: the order,
    // the matches and the suffixes must be exactly those of QString's
    // case-insensitive comparison, in every script.
    void foldedNamesCompareAsQStringIgnoringCase()
    {
        QStringList names = {
            QStringLiteral("Song.txt"),
            QStringLiteral("song.TXT"),
            QStringLiteral("a"),
            QStringLiteral("a b.txt"),
            QStringLiteral("a.txt"),
            QStringLiteral("a_b.txt"),
            QStringLiteral("STRASSE.txt"),
            QStringLiteral("Stra\u00dfe.txt"),
            QStringLiteral("\u03a3\u03bf\u03c6\u03af\u03b1.kas"),
            QStringLiteral("\u03c3\u03bf\u03c6\u03af\u03b1.kas"),
            QStringLiteral("\u03c2.kas"),
            QStringLiteral("\u0130stanbul.txt"),
            QStringLiteral("istanbul.txt"),
            QStringLiteral("\u0131stanbul.txt"),
            QStringLiteral("song.\u212aas"), // Kelvin sign
            QStringLiteral("\u017fong.txt"), // long s
            QStringLiteral("\U00010400 x.txt"),
            QStringLiteral("\U00010428 x.txt"),
            QStringLiteral("\U0001F3B5.txt"),
            QStringLiteral("\uffef.txt"),
            QString(QChar(0xD801)) + QStringLiteral("b"),
            QString(QChar(0xDC00)) + QStringLiteral("a"),
        };
        // And many made of the same tricky letters, with common beginnings.
        const QString letters = QStringLiteral("aAbBzZ_[-. \u00df\u03a3\u03c3\u03c2\u0130\u0131iI\u212a\u017fsSkK")
                                + QChar(0xD801) + QChar(0xDC00) + QChar(0xDC28);
        QRandomGenerator rng(7);
        for (int i = 0; i < 3000; ++i) {
            QString name = i % 2 ? QStringLiteral("Same Artist - ") : QString();
            for (int n = rng.bounded(1, 22); n > 0; --n)
                name += letters.at(rng.bounded(int(letters.size())));
            names << name;
        }
        QStringList expected = names;
        std::sort(expected.begin(), expected.end(), lessIgnoringCase);
        QStringList sorted = names;
        sortIgnoringCase(sorted);
        QCOMPARE(sorted, expected);

        const FoldedNames folded(names);
        for (qsizetype i = 0; i < names.size(); ++i) {
            QCOMPARE(folded.endsWith(i, U".txt"), names.at(i).endsWith(QLatin1StringView(".txt"), Qt::CaseInsensitive));
            QCOMPARE(folded.endsWith(i, U".kas"), names.at(i).endsWith(QLatin1StringView(".kas"), Qt::CaseInsensitive));
            for (qsizetype j = i; j < names.size() && j < i + 40; ++j)
                QCOMPARE(folded.at(i) == folded.at(j), names.at(i).compare(names.at(j), Qt::CaseInsensitive) == 0);
        }
    }

    void readsOnlyRegularFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("bytes");
        const auto row = [](const char *name, FileReadStatus status, const QByteArray &bytes = QByteArray()) {
            QTest::newRow(name) << QString::fromUtf8(name) << int(status) << bytes;
        };
        row("four", FileReadStatus::Ok, "1234"); // the limit is 4 bytes
        row("empty", FileReadStatus::Ok);
        row("five", FileReadStatus::TooLarge);
        row("missing", FileReadStatus::Missing);
        row("folder", FileReadStatus::NotRegular);
        row("pipe", FileReadStatus::NotRegular);
        row("link to pipe", FileReadStatus::NotRegular);
        row("link to four", FileReadStatus::Ok, "1234");
    }
    void readsOnlyRegularFiles()
    {
        QFETCH(QString, name);
        QFETCH(int, status);
        QFETCH(QByteArray, bytes);
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeFile(QStringLiteral("four"), "1234");
        inst.writeFile(QStringLiteral("empty"), "");
        inst.writeFile(QStringLiteral("five"), "12345");
        inst.writeFile(QStringLiteral("folder/x"), "x");
        test::makeNamedPipe(inst.root() + QStringLiteral("pipe"));
        QFile::link(inst.root() + QStringLiteral("pipe"), inst.root() + QStringLiteral("link to pipe"));
        QFile::link(inst.root() + QStringLiteral("four"), inst.root() + QStringLiteral("link to four"));
        const QString path = inst.root() + name;
        FileContent content;
        FileEnds ends;
        QVERIFY(test::finishesWithoutWaiting(inst.root() + QStringLiteral("pipe"), [&] {
            content = readRegularFile(path, 4);
            ends = readFileEnds(path, 2, 2);
        }));
        QCOMPARE(int(content.status), status);
        QCOMPARE(content.bytes, bytes);
        QCOMPARE(content.error.isEmpty(), content.ok());
        QCOMPARE(ends.opened, content.ok() || content.status == FileReadStatus::TooLarge);
        // A device opened on it tells the same.
        QFile device;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(fd < 0 || device.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        QCOMPARE(isRegularFile(device), content.ok() || content.status == FileReadStatus::TooLarge);
    }

    // A file that grows past what the file system reported on opening is
    // read to its end, and stops at the limit.
    void readsAFileThatGrows()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        const QString path = inst.writeFile(QStringLiteral("f"), "abc");
        const RegularFile file(path);
        QVERIFY(file.isOpen());
        QCOMPARE(file.size(), 3);
        inst.writeFile(QStringLiteral("f"), QByteArray(3 * MiB, 'x'));
        QCOMPARE(file.readAll(4 * MiB).bytes.size(), 3 * MiB);
        QCOMPARE(file.readAll(3 * MiB - 1).status, FileReadStatus::TooLarge);
    }

    // Names that do not decode in the file-system encoding are handed back
    // apart as bytes (a name that holds the replacement character itself
    // decodes); links are followed; pipes are no files.
    void listingSetsApartUndecodableNames()
    {
        QTemporaryDir tmp;
        test::FakeInstallation inst(tmp.path());
        inst.writeFile(QStringLiteral("d/Caf\u00e9 - Song.txt"), "x");
        inst.writeFile(QStringLiteral("d/Odd \ufffd - Song.txt"), "x"); // the replacement character, spelt out
        inst.writeFile(QStringLiteral("d/sub/x.txt"), "x");
        test::makeNamedPipe(inst.root() + QStringLiteral("d/pipe.txt"));
        QFile::link(inst.root() + QStringLiteral("d/sub"), inst.root() + QStringLiteral("d/linked sub"));
        const QByteArray d = QFile::encodeName(inst.root() + QStringLiteral("d/"));
        test::RawNamedFiles made;
        made.file(d + "R\xe9sum\xe9 - Song.txt");
        made.file(d + "bad\xff.kas");
        made.folder(d + "Lat\xedn");
        made.file(d + "Lat\xedn/a.TXT");

        FolderEntries entries = readFolder(inst.root() + QStringLiteral("d"));
        entries.files.sort();
        entries.folders.sort();
        std::sort(entries.undecodableFiles.begin(), entries.undecodableFiles.end());
        QCOMPARE(entries.files,
                 (QStringList{QStringLiteral("Caf\u00e9 - Song.txt"), QStringLiteral("Odd \ufffd - Song.txt")}));
        QCOMPARE(entries.folders, (QStringList{QStringLiteral("linked sub"), QStringLiteral("sub")}));
        QCOMPARE(entries.undecodableFiles, (QList<QByteArray>{"R\xe9sum\xe9 - Song.txt", "bad\xff.kas"}));
        QCOMPARE(entries.undecodableFolders, QList<QByteArray>{"Lat\xedn"});
        QCOMPARE(countWithSuffix(entries.undecodableFiles, ".TXT"), 1);
        QCOMPARE(fileNamesInNativeFolder(d + "Lat\xedn"), QList<QByteArray>{"a.TXT"});
    }
};

QTEST_GUILESS_MAIN(tst_Platform)
#include "tst_platform.moc"
