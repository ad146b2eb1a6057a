#pragma once

#include <QWidget>

namespace stanzary {

class ElidedLabel;
struct CountPanelTexts;

// The count panel `picCountPanel` at the top left of the main window: the
// lyrics count and the timestamp counts (`lblLyricsCount`,
// `lblTimestampsBig`, `lblTimestampsSmall`, `lblAvaliableCount`,
// `lblPercent`), each beside its legend icon (`imageCount0` to 4 show
// Icon::LyricsOnly, HasTimestamps, CountPanelDownloaded, KaraokeAvailable and
// CountPanelTotal).
class CountPanel : public QWidget
{
    Q_OBJECT

public:
    explicit CountPanel(QWidget *parent = nullptr);

    // Shows the texts of a scan or of a delete; a null text leaves its label
    // as it is.
    void showCounts(const CountPanelTexts &texts);
    // Only the first two lines (lyrics count and timestamps count) stay
    // visible when the availability check was off at start.
    void setFirstLinesOnly(bool firstLinesOnly);

private:
    ElidedLabel *m_lyricsCount = nullptr;
    ElidedLabel *m_timestampsCount = nullptr;
    ElidedLabel *m_downloadedCount = nullptr;
    ElidedLabel *m_availableCount = nullptr;
    ElidedLabel *m_percent = nullptr;
    QWidget *m_detailLines = nullptr;
};

} // namespace stanzary
