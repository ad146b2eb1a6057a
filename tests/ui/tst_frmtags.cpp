#include "app/ImageIndex.h"
#include "store/CollectionScan.h"
#include "tagger/Lyrics3Writer.h"
#include "ui/IconSet.h"
#include "ui/TaggerRowModel.h"
#include "ui/UserDialogs.h"
#include "ui/frmTags.h"

#include "FakeInstallation.h"
#include "MainWindowFixture.h"
#include "Mp3Bytes.h"
#include "TaggerWindowFixture.h"
#include "TestText.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace stanzary;

namespace {

using test::s;

const QByteArray Filtered = "words\r\nmore words\r\n[Tunewright] filter used\r\n";
const QByteArray Unfiltered = "words\r\nmore words, and nothing that marks them as filtered\r\n";
const QByteArray OldLyricsTag = "LYRICSBEGININD00003100LYR00009old words000039LYRICS200";
const QByteArray NoLyrField = "LYRICSBEGININD00003100000022LYRICS200";

// One picture of an icon, to compare icons by what they show.
QImage pictureOf(const QVariant &icon)
{
    return qvariant_cast<QIcon>(icon).pixmap(16, 16).toImage();
}

} // namespace

class tst_frmTags : public QObject, test::TaggerWindowFixture
{
    Q_OBJECT

    QString m_mp3s;

    QTreeView *list() const { return child<QTreeView>("list"); }
    QAbstractItemModel *model() const { return list()->model(); }
    // A label's whole text (a name label may show it cut short).
    QString label(const char *name) const
    {
        auto *l = child<QLabel>(name);
        if (auto *elided = qobject_cast<ElidedLabel *>(l))
            return elided->fullText();
        return l->text();
    }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }

    void writeMp3s()
    {
        m_mp3s = m_install.root() + s("mp3/");
        m_install.writeFile(s("mp3/blue lake night train.mp3"), test::audioBytes(1000));
        m_install.writeFile(s("mp3/sub/Quiet Owls - Ember.mp3"), test::audioBytes(900) + test::id3v1Record("Ember"));
        m_install.writeFile(s("mp3/marsh reed grey.mp3"), test::audioBytes(900) + test::id3v1Record("Grey"));
        m_install.writeFile(s("mp3/velvet fox shared 1.mp3"), test::audioBytes(900) + test::id3v1Record("1"));
        m_install.writeFile(s("mp3/velvet fox shared 2.mp3"), test::audioBytes(900) + test::id3v1Record("2"));
        m_install.writeFile(s("mp3/tin drum tagged.mp3"),
                            test::audioBytes(900) + OldLyricsTag + test::id3v1Record("Tagged"));
        m_install.writeFile(s("mp3/iron gate empty.mp3"),
                            test::audioBytes(900) + NoLyrField + test::id3v1Record("Empty"));
        m_install.writeFile(s("mp3/band sky lark.mp3"), test::audioBytes(900) + test::id3v1Record("Lark"));
        m_install.writeFile(s("mp3/nothing known.mp3"), test::audioBytes(900));
    }

    // Chooses the MP3 folder in the dialog and lets the scan run.
    void scan(const QString &folder)
    {
        m_dialogs.queueFolder(folder);
        button("cmdBrowseForFolder")->click();
        QVERIFY(!m_window->isScanning());
    }
    int rowOf(const QString &mp3Name) const
    {
        for (int r = 0; r < model()->rowCount(); ++r) {
            if (model()->index(r, TaggerRowModel::Mp3File).data().toString() == mp3Name)
                return r;
        }
        return -1;
    }
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < model()->rowCount(); ++r)
            out << model()->index(r, c).data().toString();
        return out;
    }
    void clickRow(const QString &mp3Name)
    {
        const QModelIndex index = model()->index(rowOf(mp3Name), TaggerRowModel::Mp3File);
        list()->scrollTo(index);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(index).center());
    }
    void clickCheckBox(const QString &mp3Name)
    {
        const QRect cell = list()->visualRect(model()->index(rowOf(mp3Name), TaggerRowModel::FilesToTag));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 10, cell.center().y()));
    }
    void clickHeader(int section)
    {
        QHeaderView *header = list()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 20, header->height() / 2));
    }
    QStringList selectedMp3s() const
    {
        QStringList out;
        const QModelIndexList rows = list()->selectionModel()->selectedRows(TaggerRowModel::Mp3File);
        for (const QModelIndex &index : rows)
            out << index.data().toString();
        out.sort();
        return out;
    }
    QColor colourOf(QWidget *widget) const { return widget->palette().color(QPalette::WindowText); }
    bool stepOneIsCurrent() const
    {
        return colourOf(child<QLabel>("Label1_8")) == QColor(0, 128, 128)
               && colourOf(child<QLabel>("Label1_9")) != QColor(0, 128, 128);
    }

private slots:
    void initTestCase()
    {
        for (const char *name : {"Blue Lake - Night Train", "Quiet Owls - Ember", "Velvet Fox - Shared",
                                 "Tin Drum - Tagged", "Iron Gate - Empty", "Band - Sky Lark", "Band - Sky"})
            m_install.addLyrics(s(name) + s(".txt"), Filtered);
        m_install.addLyrics(s("Marsh Reed - Grey.txt"), Unfiltered);
        m_state.strMakerSite = s("https://mirror.example"); // the credit line follows the setting
        readCollection();
        writeMp3s();
    }

    void init() { openWindow(); }
    void cleanup()
    {
        QCOMPARE(m_dialogs.pendingAnswers(), 0);
        closeWindow();
    }

    void beforeAScan()
    {
        QVERIFY(!button("cmdTagThem")->isEnabled());
        QVERIFY(!child<QWidget>("picInfo")->isVisible());
        QVERIFY(stepOneIsCurrent());
        QCOMPARE(model()->rowCount(), 0);
        // Cancelling the folder dialog changes nothing; the tag button asks nothing.
        scan(QString());
        QCOMPARE(label("Label1_1"), s("Matches: ..."));
        QCOMPARE(button("cmdBrowseForFolder")->text(), s("..."));
        button("cmdTagThem")->click();
        QCOMPARE(m_dialogs.shown().size(), 1);
        QCOMPARE(m_dialogs.last().title, s("Select folder..."));
    }

    void scanFillsTheRows_data()
    {
        QTest::addColumn<QString>("mp3");
        QTest::addColumn<QString>("lyrics");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("mp3Icon");
        QTest::addColumn<int>("lyricsIcon");
        QTest::addColumn<bool>("lyrics3Colour");
        QTest::addColumn<bool>("sharedColour");
        QTest::addColumn<QString>("mp3Tag");
        const int one = Icon::Mp3OneCandidate;
        const int several = Icon::Mp3SeveralCandidates;
        const int filtered = Icon::LyricsOnly;
        const int unfiltered = Icon::LyricsUnfiltered;
        QTest::newRow("no tags") << s("blue lake night train.mp3") << s("Blue Lake - Night Train") << true << one
                                 << filtered << false << false << s("withoutid3");
        QTest::newRow("subfolder") << s("Quiet Owls - Ember.mp3") << s("Quiet Owls - Ember") << true << one << filtered
                                   << false << false << QString();
        QTest::newRow("unfiltered") << s("marsh reed grey.mp3") << s("Marsh Reed - Grey") << false << one << unfiltered
                                    << false << false << QString();
        QTest::newRow("shared") << s("velvet fox shared 1.mp3") << s("Velvet Fox - Shared") << false << one << filtered
                                << false << true << QString();
        QTest::newRow("Lyrics3") << s("tin drum tagged.mp3") << s("Tin Drum - Tagged") << false << one << filtered
                                 << true << false << QString();
        QTest::newRow("several candidates") << s("band sky lark.mp3") << s("Band - Sky Lark") << true << several
                                            << filtered << false << false << QString();
    }
    void scanFillsTheRows()
    {
        QFETCH(QString, mp3);
        QFETCH(QString, lyrics);
        QFETCH(bool, checked);
        QFETCH(int, mp3Icon);
        QFETCH(int, lyricsIcon);
        QFETCH(bool, lyrics3Colour);
        QFETCH(bool, sharedColour);
        QFETCH(QString, mp3Tag);
        scan(m_mp3s);
        QCOMPARE(label("Label1_1"), s("Matches: 8 / 9 (88.8%)"));
        QCOMPARE(label("Label1_2"), s("Checked: 3"));
        QVERIFY(button("cmdTagThem")->isEnabled());
        QVERIFY(!stepOneIsCurrent());
        QCOMPARE(button("cmdBrowseForFolder")->text(), m_mp3s);
        QCOMPARE(button("cmdBrowseForFolder")->toolTip(), m_mp3s);

        const int r = rowOf(mp3);
        QVERIFY(r >= 0);
        const QModelIndex box = model()->index(r, TaggerRowModel::FilesToTag);
        const QModelIndex file = model()->index(r, TaggerRowModel::Mp3File);
        const QModelIndex words = model()->index(r, TaggerRowModel::LyricsFile);
        QCOMPARE(box.data(Qt::CheckStateRole).toInt() == Qt::Checked, checked);
        QVERIFY(box.data().toString().isEmpty());
        QCOMPARE(words.data().toString(), lyrics);
        QVERIFY(file.data(Qt::ToolTipRole).toString().endsWith(u'/' + mp3));
        QCOMPARE(words.data(Qt::ToolTipRole).toString(), m_state.strLyricsPath + lyrics + s(".txt"));
        QCOMPARE(pictureOf(file.data(Qt::DecorationRole)), IconSet::icon(mp3Icon).pixmap(16, 16).toImage());
        QCOMPARE(pictureOf(words.data(Qt::DecorationRole)), IconSet::icon(lyricsIcon).pixmap(16, 16).toImage());
        QCOMPARE(file.data(Qt::ForegroundRole).value<QColor>() == QColor(80, 130, 130), lyrics3Colour);
        QCOMPARE(words.data(Qt::ForegroundRole).value<QColor>() == QColor(80, 80, 130), sharedColour);
        QCOMPARE(file.data(TaggerRowModel::TagRole).toString(), mp3Tag);
        QCOMPARE(box.data(TaggerRowModel::TagRole).toString().count(u',') + 1,
                 mp3Icon == int(Icon::Mp3SeveralCandidates) ? 2 : 1);
    }

    void sortingStaysAcrossScans()
    {
        scan(m_mp3s);
        const QStringList scanOrder = column(TaggerRowModel::Mp3File);
        clickHeader(TaggerRowModel::FilesToTag); // not a sort column
        QCOMPARE(column(TaggerRowModel::Mp3File), scanOrder);
        clickHeader(TaggerRowModel::LyricsFile);
        QStringList byLyrics = column(TaggerRowModel::LyricsFile);
        QVERIFY(std::is_sorted(byLyrics.cbegin(), byLyrics.cend(), [](const QString &a, const QString &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        }));
        clickHeader(TaggerRowModel::Mp3File);
        clickHeader(TaggerRowModel::Mp3File); // the same column again: descending
        const QStringList descending = column(TaggerRowModel::Mp3File);
        QVERIFY(std::is_sorted(descending.crbegin(), descending.crend(), [](const QString &a, const QString &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        }));
        QCOMPARE(list()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        scan(m_mp3s);
        QCOMPARE(column(TaggerRowModel::Mp3File), descending);
    }

    void selectionButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("All") << s("cmdSel_0") << QStringList{};
        QTest::newRow("Matched more than once")
            << s("cmdSel_1") << QStringList{s("velvet fox shared 1.mp3"), s("velvet fox shared 2.mp3")};
        QTest::newRow("Inverse") << s("cmdSel_2")
                                 << QStringList{s("Quiet Owls - Ember.mp3"), s("band sky lark.mp3"),
                                                s("iron gate empty.mp3"),    s("marsh reed grey.mp3"),
                                                s("tin drum tagged.mp3"),    s("velvet fox shared 1.mp3"),
                                                s("velvet fox shared 2.mp3")};
        QTest::newRow("Unfiltered") << s("cmdSel_3") << QStringList{s("marsh reed grey.mp3")};
        QTest::newRow("With lyrics3 tag")
            << s("cmdSel_5") << QStringList{s("iron gate empty.mp3"), s("tin drum tagged.mp3")};
        QTest::newRow("More than 1 match") << s("cmdSel_6") << QStringList{s("band sky lark.mp3")};
    }
    void selectionButtons()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, selected);
        auto *selector = m_window->findChild<QPushButton *>(button);
        selector->click(); // an empty list: nothing happens
        scan(m_mp3s);
        clickRow(s("blue lake night train.mp3")); // selected before: kept only when it qualifies
        selector->click();
        if (button == u"cmdSel_0")
            QCOMPARE(selectedMp3s().size(), model()->rowCount());
        else
            QCOMPARE(selectedMp3s(), selected);
        QCOMPARE(label("Label1_2"), s("Checked: 3")); // the check boxes are not touched
    }

    // Inverse turns the selection of a list of one row too.
    void inverseOfASingleRow()
    {
        m_install.writeFile(s("one/band sky lark.mp3"), test::audioBytes(900));
        scan(m_install.root() + s("one"));
        QCOMPARE(model()->rowCount(), 1);
        list()->clearSelection();
        button("cmdSel_2")->click();
        QCOMPARE(selectedMp3s(), QStringList{s("band sky lark.mp3")});
        button("cmdSel_2")->click();
        QCOMPARE(selectedMp3s(), QStringList());
    }

    // Each colour example of the legend stands right beside the button that
    // selects the rows drawn in that colour.
    void legendBesideItsButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("icon");
        QTest::newRow("lyrics3 tag") << s("cmdSel_5") << s("img_4");
        QTest::newRow("matched more than once") << s("cmdSel_1") << s("img_5");
    }
    void legendBesideItsButton()
    {
        QFETCH(QString, button);
        QFETCH(QString, icon);
        QWidget *b = m_window->findChild<QPushButton *>(button);
        QWidget *i = m_window->findChild<QLabel *>(icon);
        const QRect br(b->mapTo(m_window.get(), QPoint(0, 0)), b->size());
        const QRect ir(i->mapTo(m_window.get(), QPoint(0, 0)), i->size());
        const int gap = ir.left() - br.right() - 1;
        QVERIFY2(gap >= 0 && gap < b->fontMetrics().height(), qPrintable(QString::number(gap)));
        QVERIFY(ir.top() <= br.center().y() && br.center().y() <= ir.bottom());
    }

    void checkingAndTheCount()
    {
        scan(m_mp3s);
        button("cmdSel_0")->click();
        button("cmdCheck_1")->click();
        QCOMPARE(label("Label1_2"), s("Checked: 0"));
        QVERIFY(!button("cmdTagThem")->isEnabled());
        clickCheckBox(s("marsh reed grey.mp3"));
        QCOMPARE(label("Label1_2"), s("Checked: 1"));
        QVERIFY(button("cmdTagThem")->isEnabled());
        button("cmdSel_1")->click();
        button("cmdCheck_0")->click();
        button("cmdCheck_0")->click(); // already checked: no change
        QCOMPARE(label("Label1_2"), s("Checked: 3"));
        clickRow(s("marsh reed grey.mp3"));
        QTest::keyClick(list(), Qt::Key_Space);
        QCOMPARE(label("Label1_2"), s("Checked: 2"));
        QVERIFY(model()->index(rowOf(s("marsh reed grey.mp3")), 0).data(Qt::CheckStateRole) == Qt::Unchecked);
    }

    void informationPanel()
    {
        scan(m_mp3s);
        auto *panel = child<QWidget>("picInfo");
        auto *candidates = child<QComboBox>("cboLyrics");
        clickRow(s("blue lake night train.mp3"));
        QVERIFY(panel->isVisible());
        QCOMPARE(label("lblInfo_0"), s("blue lake night train.mp3"));
        QCOMPARE(child<QLabel>("lblInfo_0")->toolTip(), m_mp3s + s("blue lake night train.mp3"));
        QCOMPARE(label("Label1_5"), s("Lyrics:"));
        QCOMPARE(label("lblInfo_1"), s("Blue Lake - Night Train"));
        // A screen reader hears each name with its row's title.
        for (const auto &[name, heard] : {std::pair{"lblInfo_0", "Mp3 file: blue lake night train.mp3"},
                                          std::pair{"lblInfo_1", "Lyrics: Blue Lake - Night Train"}})
            QCOMPARE(QAccessible::queryAccessibleInterface(child<QLabel>(name))->text(QAccessible::Name), s(heard));
        QVERIFY(!candidates->isVisible());
        QVERIFY(child<QLabel>("img_2")->isVisible()); // a record will be added
        QCOMPARE(child<QLabel>("img_2")->toolTip(), s("An id3v1 tag will be added to this file"));
        QVERIFY(!child<QLabel>("img_3")->isVisible());
        QVERIFY(!button("cmdDisplaySavedLyrics")->isVisible());

        clickRow(s("velvet fox shared 2.mp3"));
        QVERIFY(!child<QLabel>("img_2")->isVisible());
        QVERIFY(child<QLabel>("img_3")->isVisible());
        QCOMPARE(child<QLabel>("img_3")->toolTip(), s("This lyrics file matched more than 1 mp3"));
        clickRow(s("tin drum tagged.mp3"));
        QVERIFY(button("cmdDisplaySavedLyrics")->isVisible());

        // Several candidates: the drop-down, and choosing the other one.
        clickRow(s("band sky lark.mp3"));
        QCOMPARE(label("Label1_5"), s("Lyrics(2):"));
        QCOMPARE(colourOf(child<QLabel>("Label1_5")), QColor(255, 0, 0));
        QVERIFY(candidates->isVisible() && !child<QLabel>("lblInfo_1")->isVisible());
        QCOMPARE(candidates->count(), 2);
        QCOMPARE(candidates->currentText(), s("Band - Sky Lark"));
        const int row = rowOf(s("band sky lark.mp3"));
        const QModelIndex checkBox = model()->index(row, TaggerRowModel::FilesToTag);
        const QVariant checkedBefore = checkBox.data(Qt::CheckStateRole);
        const int other = candidates->findText(s("Band - Sky"));
        candidates->setCurrentIndex(other);
        emit candidates->activated(other);
        const QModelIndex lyrics = model()->index(row, TaggerRowModel::LyricsFile);
        QCOMPARE(lyrics.data().toString(), s("Band - Sky"));
        QCOMPARE(lyrics.data(Qt::ToolTipRole).toString(), m_state.strLyricsPath + s("Band - Sky.txt"));
        QCOMPARE(candidates->toolTip(), m_state.strLyricsPath + s("Band - Sky.txt"));
        QCOMPARE(lyrics.data(TaggerRowModel::TagRole).toInt(), candidates->itemData(other).toInt());
        QCOMPARE(checkBox.data(Qt::CheckStateRole), checkedBefore);

        QSignalSpy display(m_window.get(), &frmTags::displayLyricsRequested);
        button("cmdDisplayLyrics")->click();
        QCOMPARE(display.size(), 1);
        QCOMPARE(display.first(), (QVariantList{s("Band"), s("Sky")}));
    }

    void savedLyrics_data()
    {
        QTest::addColumn<QString>("mp3");
        QTest::addColumn<QString>("text");
        QTest::newRow("lyrics field") << s("tin drum tagged.mp3") << s("old words");
        QTest::newRow("no lyrics field") << s("iron gate empty.mp3")
                                         << s("The lyrics3 tag is present, but the lyrics field is missing.\n"
                                              "You can insert the lyrics in this file safely.");
    }
    void savedLyrics()
    {
        QFETCH(QString, mp3);
        QFETCH(QString, text);
        scan(m_mp3s);
        clickRow(mp3);
        QPushButton *toggle = button("cmdDisplaySavedLyrics");
        auto *view = child<QPlainTextEdit>("txtViewLyrics");
        toggle->click();
        QVERIFY(view->isVisible() && !list()->isVisible());
        QCOMPARE(view->toPlainText(), text);
        QCOMPARE(toggle->text(), s("Return to list"));
        QVERIFY(toggle->font().bold());
        toggle->click();
        QVERIFY(list()->isVisible() && !view->isVisible());
        QVERIFY(view->toPlainText().isEmpty());
        QVERIFY(!toggle->font().bold());
    }

    // Tagging the checked rows, the log, and the refresh question both ways.
    void tagging_data()
    {
        QTest::addColumn<int>("checkedRows");
        QTest::addColumn<bool>("refresh");
        QTest::newRow("one file, no refresh") << 1 << false;
        QTest::newRow("three files, refresh") << 3 << true;
    }
    void tagging()
    {
        QFETCH(int, checkedRows);
        QFETCH(bool, refresh);
        QTemporaryDir copy;
        test::FakeInstallation mp3s(copy.path());
        const QByteArray plain = test::audioBytes(1000);
        const QString blue = mp3s.writeFile(s("blue lake night train.mp3"), plain);
        const QString ember =
            mp3s.writeFile(s("Quiet Owls - Ember.mp3"), test::audioBytes(900) + test::id3v1Record("Ember"));
        const QString lark = mp3s.writeFile(s("band sky lark.mp3"), test::audioBytes(900) + test::id3v1Record("Lark"));
        const QString grey =
            mp3s.writeFile(s("marsh reed grey.mp3"), test::audioBytes(900) + test::id3v1Record("Grey"));
        scan(mp3s.root());
        if (checkedRows == 1) {
            clickCheckBox(s("Quiet Owls - Ember.mp3"));
            clickCheckBox(s("band sky lark.mp3"));
        }
        QCOMPARE(label("Label1_2"), QString(s("Checked: ") + QString::number(checkedRows)));

        m_dialogs.queueAnswer(Answer::No);
        button("cmdTagThem")->click();
        QCOMPARE(test::readAll(blue), plain);
        m_dialogs.queueAnswer(Answer::Yes);
        button("cmdTagThem")->click();
        QCOMPARE(m_dialogs.last().title, s("ZEPH"));
        QCOMPARE(m_dialogs.last().text, checkedRows == 1 ? s("Are you sure you want to tag 1 file?")
                                                         : s("Are you sure you want to tag 3 files?"));

        // The file without tags, byte for byte; the unchecked one untouched.
        const QByteArray text = PrepareTagText(Filtered, s("https://mirror.example"));
        const QByteArray lyr = "LYR" + QByteArray::number(text.size()).rightJustified(5, '0') + text;
        const QByteArray made = "TAG" + QByteArray("Night Train").leftJustified(30, '\0')
                                + QByteArray("Blue Lake").leftJustified(30, '\0') + QByteArray(30, '\0') + "    "
                                + QByteArray(28, '\0') + QByteArray("\0\0\xff", 3);
        QCOMPARE(test::readAll(blue), plain + "LYRICSBEGININD00003100" + lyr
                                          + QByteArray::number(22 + lyr.size()).rightJustified(6, '0') + "LYRICS200"
                                          + made);
        QCOMPARE(test::readAll(grey), test::audioBytes(900) + test::id3v1Record("Grey"));
        QVERIFY(test::readAll(lark).startsWith(QByteArray(test::audioBytes(900) + "LYRICSBEGIN"))
                == (checkedRows == 3));

        auto *view = child<QPlainTextEdit>("txtViewLyrics");
        QVERIFY(view->isVisible() && !list()->isVisible());
        QVERIFY(view->toPlainText().contains(s("File tagged..: ") + blue));
        QCOMPARE(view->toPlainText().count(s("File tagged..: ")), checkedRows);
        QCOMPARE(button("cmdTagThem")->text(), s("Return to list"));
        QVERIFY(!child<QWidget>("picInfo")->isVisible());

        m_dialogs.queueAnswer(refresh ? Answer::Yes : Answer::No);
        button("cmdTagThem")->click();
        QCOMPARE(m_dialogs.last().text, s("Do you want to refresh the list using the same folder?"));
        QCOMPARE(button("cmdTagThem")->text(), s("Tag checked files"));
        QVERIFY(list()->isVisible() && view->toPlainText().isEmpty());
        const QModelIndex blueRow = model()->index(rowOf(s("blue lake night train.mp3")), TaggerRowModel::Mp3File);
        // Refreshed, the tagged files hold Lyrics3 tags and are no longer checked.
        QCOMPARE(blueRow.data(Qt::ForegroundRole).value<QColor>() == QColor(80, 130, 130), refresh);
        QCOMPARE(label("Label1_2"), refresh ? s("Checked: 0") : QString(s("Checked: ") + QString::number(checkedRows)));
        QCOMPARE(stepOneIsCurrent(), !refresh);
    }

    // Stopping a scan: the click runs while the scan lets events through,
    // and the status counts only the files parsed until then.
    void stoppingAScan()
    {
        QString captionDuringScan;
        QString statusDuringScan;
        bool listHidden = false;
        QTimer::singleShot(0, m_window.get(), [&] {
            captionDuringScan = button("cmdBrowseForFolder")->text();
            statusDuringScan = label("Label1_1");
            listHidden = !list()->isVisible();
            button("cmdBrowseForFolder")->click();
        });
        scan(m_mp3s);
        QCOMPARE(captionDuringScan, s("Stop matching .mp3 files"));
        QCOMPARE(statusDuringScan, s("Matches: 1 / 1"));
        QVERIFY(listHidden);
        QCOMPARE(label("Label1_1"), s("Matches: 1 / 1 (100%)"));
        QCOMPARE(model()->rowCount(), 1);
        QCOMPARE(button("cmdBrowseForFolder")->text(), m_mp3s);
    }

    // Closing empties the list. A scan then stops after its current file and
    // a tagging finishes its files first; shown again meanwhile, the window
    // starts over once they end, on the collection as it is then (here the
    // main window emptied it during the scan).
    void closingEmptiesTheList_data()
    {
        QTest::addColumn<QString>("closedDuring");
        QTest::newRow("nothing") << QString();
        QTest::newRow("a scan") << s("scan");
        QTest::newRow("a tagging") << s("tagging");
    }
    void closingEmptiesTheList()
    {
        QFETCH(QString, closedDuring);
        QTemporaryDir copy;
        test::FakeInstallation mp3s(copy.path());
        // The first file scanned has two candidates.
        const QString lark = mp3s.writeFile(s("band sky lark.mp3"), test::audioBytes(900) + test::id3v1Record("Lark"));
        const QString blue = mp3s.writeFile(s("sub/blue lake night train.mp3"), test::audioBytes(1000));
        const auto restoreCollection = qScopeGuard([this] { BuildTree(m_state); });
        const auto closeAndShow = [this] {
            m_window->close();
            m_window->show();
        };
        if (closedDuring == u"scan") {
            QTimer::singleShot(0, m_window.get(), [&] {
                m_state.nodes.clear();
                closeAndShow();
            });
        }
        scan(mp3s.root());
        if (closedDuring == u"tagging") {
            QCOMPARE(label("Label1_2"), s("Checked: 2"));
            QTimer::singleShot(0, m_window.get(), closeAndShow);
            m_dialogs.queueAnswer(Answer::Yes);
            button("cmdTagThem")->click();
            QVERIFY(!m_window->isTagging());
            for (const QString &file : {lark, blue})
                QVERIFY(test::readAll(file).contains("LYRICS200"));
        } else if (closedDuring.isEmpty()) {
            closeAndShow();
        }
        QCOMPARE(model()->rowCount(), 0);
        QCOMPARE(label("Label1_2"), s("Checked: 0"));
        QCOMPARE(label("Label1_1"), s("Matches: ..."));
        QCOMPARE(button("cmdTagThem")->text(), s("Tag checked files"));
        QVERIFY(list()->isVisible());
        QVERIFY(stepOneIsCurrent());
        scan(mp3s.root());
        QCOMPARE(model()->rowCount(), closedDuring == u"scan" ? 0 : 2);
    }

    // A new scan from the saved lyrics or from the log shows the list with
    // its buttons as a first scan does; while a text is shown, the buttons
    // that work on the hidden list rest.
    void scanFromATextView_data()
    {
        QTest::addColumn<bool>("fromLog");
        QTest::newRow("saved lyrics") << false;
        QTest::newRow("tagging log") << true;
    }
    void scanFromATextView()
    {
        QFETCH(bool, fromLog);
        QTemporaryDir copy;
        test::FakeInstallation mp3s(copy.path());
        mp3s.writeFile(s("blue lake night train.mp3"), test::audioBytes(1000));
        mp3s.writeFile(s("tin drum tagged.mp3"), test::audioBytes(900) + OldLyricsTag + test::id3v1Record("Tagged"));
        scan(mp3s.root());
        if (fromLog) {
            m_dialogs.queueAnswer(Answer::Yes);
            button("cmdTagThem")->click();
        } else {
            clickRow(s("tin drum tagged.mp3"));
            button("cmdDisplaySavedLyrics")->click();
        }
        QVERIFY(child<QPlainTextEdit>("txtViewLyrics")->isVisible());
        QVERIFY(!button("cmdSel_0")->isEnabled() && !button("cmdCheck_0")->isEnabled());
        scan(mp3s.root());
        QVERIFY(list()->isVisible());
        QVERIFY(button("cmdSel_0")->isEnabled() && button("cmdCheck_0")->isEnabled());
        QCOMPARE(button("cmdTagThem")->text(), s("Tag checked files"));
        QCOMPARE(button("cmdTagThem")->isEnabled(), !fromLog); // tagged, the file is no longer checked
        clickRow(s("tin drum tagged.mp3"));
        QCOMPARE(button("cmdDisplaySavedLyrics")->text(), s("Display lyrics saved into this file"));
    }

    // At its first size the panel shows a long MP3 file name whole while
    // there is room (a short lyrics name takes only what it needs), an
    // alert that does not apply leaves no gap, and the panel keeps its
    // height when the drop-down takes the name's place, so the list above
    // stays put. At the smallest size the list still shows whole rows.
    void informationPanelLayout()
    {
        const QString longName = s("the quiet owls ember recorded live at the old harbour hall one night.mp3");
        m_install.writeFile(s("layout/") + longName, test::audioBytes(900));
        m_install.writeFile(s("layout/band sky lark.mp3"), test::audioBytes(900) + test::id3v1Record("Lark"));
        scan(m_install.root() + s("layout"));
        QCOMPARE(m_window->size(), QSize(980, 700));
        auto *panel = child<QWidget>("picInfo");
        clickRow(longName);
        QApplication::processEvents();
        QVERIFY2(!qobject_cast<ElidedLabel *>(child<QLabel>("lblInfo_0"))->isElided(),
                 qPrintable(child<QLabel>("lblInfo_0")->text()));
        QVERIFY(child<QLabel>("img_2")->isVisible());
        QVERIFY(!child<QLabel>("img_3")->isVisible());
        const int spacing = panel->layout()->spacing();
        const auto gap = [this](const char *left, const char *right) {
            return child<QWidget>(right)->geometry().left() - child<QWidget>(left)->geometry().right() - 1;
        };
        QCOMPARE(gap("img_1", "lblInfo_1"), spacing); // no room kept for the shared-lyrics alert

        const int panelHeight = panel->height();
        const QRect listArea = list()->geometry();
        clickRow(s("band sky lark.mp3"));
        QApplication::processEvents();
        QVERIFY(child<QComboBox>("cboLyrics")->isVisible());
        QVERIFY(!child<QLabel>("img_2")->isVisible());
        QCOMPARE(gap("Label1_4", "lblInfo_0"), spacing); // nor for the ID3v1 alert
        QCOMPARE(panel->height(), panelHeight);
        QCOMPARE(list()->geometry(), listArea);
        // A larger font: the panel grows with its drop-down.
        QFont large = m_window->font();
        large.setPointSizeF(large.pointSizeF() * 2);
        m_window->setFont(large);
        QApplication::processEvents();
        QVERIFY(panel->height() >= child<QComboBox>("cboLyrics")->sizeHint().height());
        m_window->setFont(QFont());

        m_window->resize(m_window->minimumSizeHint());
        QApplication::processEvents();
        const int rowHeight = list()->visualRect(model()->index(0, 1)).height();
        QVERIFY(rowHeight > 0);
        QVERIFY2(
            list()->viewport()->height() >= 5 * rowHeight,
            qPrintable(QStringLiteral("%1 px for rows of %2 px").arg(list()->viewport()->height()).arg(rowHeight)));
        QVERIFY(m_window->minimumSizeHint().height() <= 700);
    }

    // The legend's examples are drawn in the rows' colours, and greyed like
    // every other text while their frame is disabled.
    void legendGreysWithItsFrame()
    {
        scan(m_mp3s);
        auto *example = child<QLabel>("Label1_6");
        QCOMPARE(colourOf(example), TaggerRowModel::lyrics3Colour());
        clickRow(s("tin drum tagged.mp3"));
        button("cmdDisplaySavedLyrics")->click(); // the list's buttons rest meanwhile
        QVERIFY(!example->isEnabled());
        QCOMPARE(example->palette().color(QPalette::Disabled, QPalette::WindowText),
                 m_window->palette().color(QPalette::Disabled, QPalette::WindowText));
        button("cmdDisplaySavedLyrics")->click();
        QVERIFY(example->isEnabled());
    }

    // A folder whose name holds "&" shows it as written: no mnemonic is made
    // of it, so Alt with the next key opens nothing.
    void folderWithAnAmpersand()
    {
        const QString folder = m_install.root() + s("Rock & Roll");
        m_install.writeFile(s("Rock & Roll/marsh reed grey.mp3"), test::audioBytes(900) + test::id3v1Record("Grey"));
        scan(folder);
        QPushButton *browse = button("cmdBrowseForFolder");
        QCOMPARE(QKeySequence::mnemonic(browse->text()), QKeySequence());
        QCOMPARE(QAccessible::queryAccessibleInterface(browse)->text(QAccessible::Name), folder);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_Space, Qt::AltModifier);
        QCOMPARE(m_dialogs.shown().size(), 1); // the one folder dialog of the scan
    }

    void modelSignalsAreConsistent()
    {
        scan(m_mp3s);
        auto *rows = qobject_cast<TaggerRowModel *>(model());
        QAbstractItemModelTester tester(rows, QAbstractItemModelTester::FailureReportingMode::QtTest);
        rows->sort(TaggerRowModel::LyricsFile, Qt::DescendingOrder);
        rows->setChecked({0, 1, 2}, true);
        rows->setRows(QList<TaggerRow>(rows->rows()));
        rows->clear();
    }

    // With STANZARY_SHOTS=<folder>, pictures of the window for a person to
    // look at: before a scan, after one, with the panel and with the log.
    void screenshots()
    {
        const QString shots = qEnvironmentVariable("STANZARY_SHOTS");
        if (shots.isEmpty())
            QSKIP("set STANZARY_SHOTS to a folder to write screenshots");
        m_window->grab().save(shots + s("/tags-start.png"));
        scan(m_mp3s);
        m_window->grab().save(shots + s("/tags-scanned.png"));
        clickRow(s("band sky lark.mp3"));
        m_window->grab().save(shots + s("/tags-panel-several.png"));
        clickRow(s("blue lake night train.mp3"));
        m_window->grab().save(shots + s("/tags-panel.png"));
        m_window->resize(m_window->minimumSizeHint());
        QTest::qWait(20);
        m_window->grab().save(shots + s("/tags-smallest.png"));
        m_window->resize(1400, 900);
        QTest::qWait(20);
        m_window->grab().save(shots + s("/tags-large.png"));
        clickRow(s("tin drum tagged.mp3"));
        button("cmdDisplaySavedLyrics")->click();
        m_window->grab().save(shots + s("/tags-saved.png"));
        button("cmdDisplaySavedLyrics")->click();
        m_window->resize(980, 700);
        m_dialogs.queueAnswer(Answer::Yes);
        button("cmdTagThem")->click();
        QTest::qWait(20);
        m_window->grab().save(shots + s("/tags-log.png"));
    }
};

QTEST_MAIN(tst_frmTags)
#include "tst_frmtags.moc"
