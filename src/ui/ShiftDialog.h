#pragma once

#include "karaoke/StampTiming.h"

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace stanzary {

// "Shift stamps...": moves all stamps (`optAllStamps`), or the current one
// and every one after it (`optFromCurrent`), by a signed number of tenths of
// a second (`spnShiftTenths`, in steps of 2: stamps lie 0.2 s apart).
class ShiftDialog : public QDialog
{
    Q_OBJECT

public:
    ShiftDialog(int currentRow, QWidget *parent = nullptr);

    // The first row to move (0: all) and by how many tenths.
    int firstRow() const;
    int tenths() const;
    void setTenths(int tenths);
    void setFromCurrent(bool fromCurrent);

private:
    void check();

    int m_currentRow = 0;
    QRadioButton *m_all = nullptr;
    QRadioButton *m_fromCurrent = nullptr;
    QSpinBox *m_tenths = nullptr;
    QLabel *m_hint = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};

// What a shift did, for the user: how many stamps moved and how many
// stopped at 00:00.0 (moving earlier) or 13:59.8 (later).
QString shiftOutcomeText(const ShiftResult &result, int tenths);

} // namespace stanzary
