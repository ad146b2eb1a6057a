#pragma once

#include <QSplitter>

namespace stanzary {

// The splitter between the main window's two columns (its handle is
// `picSplit`). Positions are the left column's width in twips. The handle
// stays within a tenth and nine tenths of the width; a position asked for
// before the window has its size is applied once it is shown.
class ColumnSplitter : public QSplitter
{
    Q_OBJECT

public:
    ColumnSplitter(QWidget *left, QWidget *right, QWidget *parent = nullptr);

    // Sets the left edge without the band test (the stored position at start).
    void setLeftEdge(double twips);
    // Moves the left edge when it lies within 10%..90% of the width.
    void DoSplit(double twips);
    double leftEdge() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void keepInBand();
    void applyLeft(int px);

    double m_wanted = -1; // twips, applied at the first show
};

} // namespace stanzary
