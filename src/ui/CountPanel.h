#pragma once

#include <QWidget>

class QLabel;

namespace stanzary {

struct CountPanelTexts;

// The count panel `picCountPanel` at the top left of the main window: the
// lyrics count and the timestamp counts, each beside its legend icon
// (`imageCount` 0 to 4 show images 10, 7, 8, 6 and 4).
class CountPanel : public QWidget
{
    Q_OBJECT

public:
    explicit CountPanel(QWidget *parent = nullptr);

    // Shows the texts of a scan or of a delete.
    void showCounts(const CountPanelTexts &texts);
    // Only the first two lines (lyrics count and timestamps count) stay
    // visible when the availability check was off at start.
    void setFirstLinesOnly(bool firstLinesOnly);

    QLabel *lblLyricsCount = nullptr;
    QLabel *lblTimestampsBig = nullptr;
    QLabel *lblTimestampsSmall = nullptr;
    QLabel *lblAvaliableCount = nullptr;
    QLabel *lblPercent = nullptr;

private:
    QWidget *m_detailLines = nullptr;
};

} // namespace stanzary
