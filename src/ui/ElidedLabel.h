#pragma once

#include <QLabel>

namespace stanzary {

// The longest start of text that fits width pixels in fm, followed by "…",
// cut at a word: before a blank when one fits, else after a "/", "-", "_" or
// "." (addresses), and only a word that fits nowhere is cut inside. Text
// that fits comes back whole.
QString elideAtWord(const QString &text, const QFontMetrics &fm, int width);

// A one-line label for a value that comes from a file or a count: the text
// is shown as plain text, cut at a word with "…" when the label is too
// narrow, and then shown whole in the tool tip. Assistive technology reads
// the whole text, after the row title when the label has one ("Artist:
// Band"). text() is what is shown; fullText() what was given.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    QString fullText() const { return m_fullText; }
    bool isElided() const { return text() != m_fullText; }

    // The row title that assistive technology reads before the value.
    void setRowTitle(const QString &title);

    // A tool tip of the label's own (the full path of a file whose name it
    // shows), shown whether the text is cut or not; empty: the whole text
    // when it is cut, as above.
    void setOwnToolTip(const QString &toolTip);

    // Wrapping, the label shows its whole text on as many lines as it needs
    // (for a fixed sentence that must be read whole) instead of cutting it.
    void setWrapping(bool wrapping);

    // The whole text's width; the label takes less when it must.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refresh();

    QString m_fullText;
    QString m_rowTitle;
    QString m_ownToolTip;
    bool m_wrapping = false;
};

} // namespace stanzary
