#pragma once

#include "karaoke/KaraokeEdition.h"
#include "karaoke/RowEdits.h"
#include "karaoke/SoundEnvelope.h"

#include <QHash>
#include <QPixmap>
#include <QWidget>

#include <optional>

namespace stanzary {

// The song's waveform around the playhead, with every stamp on it as a
// mark labelled with its row's two letters, for seeing where a line really
// starts and dragging its stamp there.
//
// A view: it is told the envelope (or a message instead), the rows and the
// current row, the playback position and the song's length, and asks for
// everything else through signals: a seek, a stamp moved (one RowsEdit per
// drag or key press, for the editor's undo stack), a row made current, a
// replay, a sort. It changes no rows itself; the editor applies the edits
// and calls setStamps again.
//
// The window is 10 s wide at first and scrolls with playback (the playhead
// a third of the way in); Ctrl+wheel or Ctrl+Plus/Minus zoom from 5 s to
// the whole song. A stamp that contradicts the rows' order (outOfOrderRows)
// is drawn dashed in a warning colour. A dragged stamp snaps to the 0.2 s
// step and stops at its neighbours (dragStamp); Escape during the drag
// puts it back. Keys (with the strip focused): Left/Right seek 1 s, Page
// Up/Down a window, Home/End the start and end; Up/Down make the previous or
// next row current; Ctrl+Left/Right move the current row's stamp one step;
// Enter replays from 2 s before the current stamp; S sorts the stamps; the
// menu key opens the same commands.
//
// The envelope is reduced once per zoom and width to one level per device
// pixel of the whole song; a frame draws only the columns in view.
class WaveformStrip : public QWidget
{
    Q_OBJECT

public:
    static constexpr qint64 kDefaultWindowMs = 10000;
    static constexpr qint64 kNarrowestWindowMs = 5000;

    explicit WaveformStrip(QWidget *parent = nullptr);

    qint64 position() const { return m_position; }
    qint64 windowMs() const { return m_windowMs; }
    int currentRow() const { return m_current; }
    QString message() const { return m_message; }
    // The length the strip scrolls over: the song's, or the stamps' when no
    // song is known.
    qint64 songMs() const;

    // Where a moment is drawn (x in the widget), and the moment at x.
    double xOf(qint64 ms) const;
    qint64 msAt(double x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // "Playhead 00:12.4. Stamp 3: 00:12.0 se." as a screen reader hears it.
    QString spokenState() const;

public slots:
    void setEnvelope(const stanzary::SoundEnvelope &envelope);
    // Shown instead of the envelope ("Reading the song's sound...", why it
    // cannot be shown); empty for none.
    void setMessage(const QString &message);
    void setStamps(const QList<stanzary::KasRow> &rows, int current);
    void setPosition(qint64 ms);
    void setDuration(qint64 ms);
    // The width of the window in ms, between 5 s and the whole song.
    void setWindowMs(qint64 ms);
    void zoomIn();
    void zoomOut();
    // Asks for the rows sorted by their stamps (sortRequested) when some are
    // out of order.
    void sortStamps();

signals:
    void seekRequested(qint64 ms);
    // A mark dragged (or moved by its keys): push the edit and apply it.
    void markMoved(const stanzary::RowsEdit &edit);
    void rowActivated(int row);
    void replayRequested(qint64 ms);
    void sortRequested(const stanzary::RowsEdit &edit);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct Mark
    {
        int row = 0;
        qint64 ms = 0;
        QString text;
        bool outOfOrder = false;
    };
    // A press of the left button until its release: on a mark (row), which
    // may become a drag, or off the marks (row -1), a click that seeks.
    struct Drag
    {
        int row = 0;
        qint64 grabOffsetMs = 0; // from the mark's time to where it was grabbed
        qint64 viewStartMs = 0;  // the view stays put while dragging
        QPoint pressed;
        bool moving = false;
        StampTime time; // where the stamp would land now
    };

    // Handles a key of the strip's own; false for any other.
    bool handleKey(const QKeyEvent *event, bool run);
    void moveCurrentMark(int steps);
    void replayCurrent();
    void activateRow(int row);
    void seekTo(qint64 ms);
    std::optional<int> markAt(const QPoint &point) const;
    qint64 viewStartMs() const;
    double msPerColumn() const;
    void rebuildColumns();
    void updateSpokenState();

    // Drawing (WaveformStripPainting.cpp).
    QRect waveRect() const;
    int laneHeight() const;
    void paintWave(QPainter &painter, const QRect &wave) const;
    void paintRuler(QPainter &painter, const QRect &ruler) const;
    void paintMarks(QPainter &painter, const QRect &wave) const;
    void paintPlayhead(QPainter &painter) const;
    void paintMessage(QPainter &painter, const QRect &wave) const;
    QColor warningColour() const;
    enum class LabelStyle { Plain, Current, OutOfOrder, CurrentOutOfOrder, Ruler, Bubble };
    // A label's picture, made once per text and style (and scale, palette
    // and font), so a frame only copies pictures.
    QPixmap labelPicture(const QString &text, LabelStyle style) const;

    SoundEnvelope m_envelope;
    QString m_message;
    QList<KasRow> m_rows;
    QList<Mark> m_marks; // by time
    int m_current = 0;
    int m_outOfOrder = 0;
    qint64 m_position = 0;
    qint64 m_duration = 0;
    qint64 m_windowMs = kDefaultWindowMs;
    std::optional<Drag> m_drag;
    bool m_swallowRelease = false; // the release that ends a double-click

    // One level per device pixel of the whole song at the current zoom.
    QByteArray m_columns;
    double m_columnsMs = 0; // ms per column they were made for

    mutable QHash<QString, QPixmap> m_labels;
    mutable double m_labelsDpr = 0;
};

} // namespace stanzary
