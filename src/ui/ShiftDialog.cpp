#include "ui/ShiftDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace stanzary {

ShiftDialog::ShiftDialog(int currentRow, QWidget *parent) : QDialog(parent), m_currentRow(currentRow)
{
    setObjectName(QStringLiteral("frmShiftStamps"));
    setWindowTitle(QStringLiteral("Shift stamps"));
    m_all = new QRadioButton(QStringLiteral("&All stamps"), this);
    m_all->setObjectName(QStringLiteral("optAllStamps"));
    m_fromCurrent =
        new QRadioButton(QStringLiteral("&The current stamp (%1) and all after it").arg(currentRow + 1), this);
    m_fromCurrent->setObjectName(QStringLiteral("optFromCurrent"));
    m_all->setChecked(true);

    m_tenths = new QSpinBox(this);
    m_tenths->setObjectName(QStringLiteral("spnShiftTenths"));
    m_tenths->setRange(-2 * kLastStampStep, 2 * kLastStampStep);
    m_tenths->setSingleStep(2);
    m_tenths->setValue(2);
    m_tenths->setAccelerated(true);
    auto *tenthsLabel = new QLabel(QStringLiteral("&Move by tenths of a second (negative: earlier):"), this);
    tenthsLabel->setBuddy(m_tenths);
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("lblShiftHint"));
    m_hint->setWordWrap(true);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Shift"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tenths, &QSpinBox::valueChanged, this, &ShiftDialog::check);

    auto *column = new QVBoxLayout(this);
    column->addWidget(m_all);
    column->addWidget(m_fromCurrent);
    column->addSpacing(6);
    column->addWidget(tenthsLabel);
    column->addWidget(m_tenths);
    column->addWidget(m_hint);
    column->addWidget(m_buttons);
    m_tenths->setFocus();
    check();
}

int ShiftDialog::firstRow() const
{
    return m_fromCurrent->isChecked() ? m_currentRow : 0;
}

int ShiftDialog::tenths() const
{
    return m_tenths->value();
}

void ShiftDialog::setTenths(int tenths)
{
    m_tenths->setValue(tenths);
}

void ShiftDialog::setFromCurrent(bool fromCurrent)
{
    (fromCurrent ? m_fromCurrent : m_all)->setChecked(true);
}

// Stamps lie 0.2 s apart: an odd number of tenths cannot be taken.
void ShiftDialog::check()
{
    const int value = m_tenths->value();
    const bool odd = value % 2 != 0;
    m_hint->setText(odd ? QStringLiteral("Stamps move in steps of 0.2 s: give an even number of tenths.")
                        : QStringLiteral("%1 s %2.")
                              .arg(QString::number(qAbs(value) / 10.0, 'f', 1),
                                   value < 0 ? QStringLiteral("earlier") : QStringLiteral("later")));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!odd && value != 0);
}

QString shiftOutcomeText(const ShiftResult &result, int tenths)
{
    QString text = result.shifted == 1 ? QStringLiteral("1 stamp was moved")
                                       : QStringLiteral("%1 stamps were moved").arg(result.shifted);
    text += QStringLiteral(" %1 s %2.")
                .arg(QString::number(qAbs(tenths) / 10.0, 'f', 1),
                     tenths < 0 ? QStringLiteral("earlier") : QStringLiteral("later"));
    if (result.stopped > 0) {
        const QString limit = tenths < 0 ? QStringLiteral("00:00.0") : QStringLiteral("13:59.8");
        text += result.stopped == 1 ? QStringLiteral(" 1 stamp stopped at %1.").arg(limit)
                                    : QStringLiteral(" %1 stamps stopped at %2.").arg(result.stopped).arg(limit);
    }
    return text;
}

} // namespace stanzary
