#pragma once

#include <QPushButton>

namespace stanzary {

// A button that shows a folder path cut in the middle with "..." when it
// does not fit, so that both the start and the last folders stay readable,
// instead of widening the window; the size hint does not grow with it. The
// path is shown as written: an "&" in it is no mnemonic (no underline, no
// Alt shortcut), and its tool tip is the whole path as plain text. Other
// captions ("...") are set with setCaption.
class PathButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PathButton(QWidget *parent = nullptr);

    // Shows path, with the path as tool tip.
    void setPath(const QString &path);
    // Shows caption (a command, mnemonics allowed); the tool tip stays.
    void setCaption(const QString &caption);
    // The path shown; empty while a caption is.
    QString path() const { return m_path; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
};

// text with every "&" doubled, so that a button or label shows it as written.
QString withoutMnemonics(const QString &text);

} // namespace stanzary
