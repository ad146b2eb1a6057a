#include "app/ImageIndex.h"
#include "app/basMain.h"
#include "ui/IconSet.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QtTest>

using namespace stanzary;

namespace {

const QList<int> kExpected{2, 4, 6, 7, 8, 9, 10, 11, 13, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28};

QImage render(int index, int size, QIcon::Mode mode = QIcon::Normal)
{
    return IconSet::icon(index).pixmap(QSize(size, size), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    return n;
}

// Where to put pictures for a person to look at (unset in normal runs).
QString shotsFolder()
{
    return qEnvironmentVariable("STANZARY_SHOTS");
}

} // namespace

class tst_IconSet : public QObject
{
    Q_OBJECT

private slots:
    void everyDocumentedIndexHasAPicture();
    void unusedIndexesAreNull();
    void picturesAreValidSvgOnOneGrid();
    void rendersSharpAtEverySize_data();
    void rendersSharpAtEverySize();
    void picturesAreDistinct();
    void disabledLooksDifferent();
    void contactSheet();
};

void tst_IconSet::everyDocumentedIndexHasAPicture()
{
    QCOMPARE(IconSet::indexes(), kExpected);
    for (int index : kExpected) {
        QVERIFY2(!IconSet::icon(index).isNull(), qPrintable(QString::number(index)));
    }
}

void tst_IconSet::unusedIndexesAreNull()
{
    for (int index : {-1, 0, 1, 3, 5, 12, 14, 29}) {
        QVERIFY(IconSet::icon(index).isNull());
        QVERIFY(IconSet::resourcePath(index).isEmpty());
    }
}

void tst_IconSet::picturesAreValidSvgOnOneGrid()
{
    for (int index : kExpected) {
        QSvgRenderer renderer(IconSet::resourcePath(index));
        QVERIFY2(renderer.isValid(), qPrintable(IconSet::resourcePath(index)));
        QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, 16, 16));
    }
}

void tst_IconSet::rendersSharpAtEverySize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("16") << 16 << 1.0;
    QTest::newRow("24") << 24 << 1.0;
    QTest::newRow("48") << 48 << 1.0;
    QTest::newRow("16@2x") << 16 << 2.0;
    QTest::newRow("16@1.5x") << 16 << 1.5;
}

void tst_IconSet::rendersSharpAtEverySize()
{
    QFETCH(int, size);
    QFETCH(qreal, ratio);
    for (int index : kExpected) {
        const QPixmap pm = IconSet::icon(index).pixmap(QSize(size, size), ratio);
        // Drawn at device resolution, not scaled up from a small bitmap.
        QCOMPARE(pm.size(), QSize(qRound(size * ratio), qRound(size * ratio)));
        const int filled = opaquePixels(pm.toImage().convertToFormat(QImage::Format_ARGB32));
        const int area = pm.width() * pm.height();
        QVERIFY2(filled > area / 5, qPrintable(QStringLiteral("index %1 nearly empty").arg(index)));
    }
}

void tst_IconSet::picturesAreDistinct()
{
    // Each index must be told apart at 16 px; 11 (lyrics without the filter
    // mark) is by design the picture of 2 (unfiltered lyrics-only song).
    QHash<int, QImage> images;
    for (int index : kExpected)
        images.insert(index, render(index, 16));
    for (int a : kExpected) {
        for (int b : kExpected) {
            if (a >= b || (a == 2 && b == 11))
                continue;
            QVERIFY2(images[a] != images[b], qPrintable(QStringLiteral("%1 and %2 look alike").arg(a).arg(b)));
        }
    }
    QCOMPARE(images[2], images[11]);
}

void tst_IconSet::disabledLooksDifferent()
{
    for (int index : {Icon::Artist, Icon::LyricsOnly, ToolbarIcon::Save}) {
        const QImage normal = render(index, 16);
        const QImage disabled = render(index, 16, QIcon::Disabled);
        QCOMPARE(disabled.size(), normal.size());
        QVERIFY(disabled != normal);
    }
}

// With STANZARY_SHOTS set, draws every icon at 16, 24 and 48 px on a light
// and on a selection-coloured background, for a person to check by eye.
void tst_IconSet::contactSheet()
{
    const QString folder = shotsFolder();
    if (folder.isEmpty())
        QSKIP("STANZARY_SHOTS not set");
    const int cell = 60;
    const int columns = 7; // number, 16, 24, 48, then 16, 24, 48 on the highlight
    QImage sheet(columns * cell, (int(kExpected.size()) + 1) * cell, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.fillRect(QRect(4 * cell, 0, 3 * cell, sheet.height()), QColor(0x30, 0x78, 0xd0));
    p.drawText(QRect(0, 0, cell, cell), Qt::AlignCenter, QStringLiteral("index"));
    int row = 1;
    for (int index : kExpected) {
        p.setPen(Qt::black);
        p.drawText(QRect(0, row * cell, cell, cell), Qt::AlignCenter, QString::number(index));
        int column = 1;
        for (int pass = 0; pass < 2; ++pass) {
            for (int size : {16, 24, 48}) {
                const QPixmap pm = IconSet::icon(index).pixmap(QSize(size, size), 1.0);
                p.drawPixmap(column * cell + (cell - size) / 2, row * cell + (cell - size) / 2, pm);
                ++column;
            }
        }
        ++row;
    }
    p.end();
    const QString file = folder + QStringLiteral("/iconset-contact-sheet.png");
    QVERIFY(sheet.save(file));
    qInfo("contact sheet: %s", qPrintable(file));

    // The 16 px pictures pixel by pixel, eight times enlarged.
    const int perRow = 6;
    const int rows = (int(kExpected.size()) + perRow - 1) / perRow;
    QImage small(perRow * 20, rows * 20, QImage::Format_ARGB32);
    small.fill(Qt::white);
    QPainter q(&small);
    for (int i = 0; i < kExpected.size(); ++i)
        q.drawPixmap((i % perRow) * 20 + 2, (i / perRow) * 20 + 2,
                     IconSet::icon(kExpected[i]).pixmap(QSize(16, 16), 1.0));
    q.end();
    QVERIFY(small.scaled(small.size() * 8, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                .save(folder + QStringLiteral("/iconset-16px-zoom.png")));
}

QTEST_MAIN(tst_IconSet)
#include "tst_iconset.moc"
