#include "ui/SongbookOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace stanzary {

namespace {

QString automaticPaper(bool forPrinter)
{
    if (forPrinter)
        return QStringLiteral("As the printer is set up");
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QStringLiteral("Letter, as the locale uses")
                                                                      : QStringLiteral("A4, as the locale uses");
}

} // namespace

SongbookOptionsDialog::SongbookOptionsDialog(const SongbookOptions &options, bool forPrinter, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSongbook"));
    setWindowTitle(forPrinter ? QStringLiteral("Print the songbook") : QStringLiteral("Save the songbook as PDF"));

    m_songPerPage = new QCheckBox(QStringLiteral("&One song per page"), this);
    m_songPerPage->setObjectName(QStringLiteral("chkSongPerPage"));
    m_songPerPage->setAccessibleName(QStringLiteral("One song per page"));
    m_songPerPage->setChecked(options.songPerPage);

    m_fontSize = new QSpinBox(this);
    m_fontSize->setObjectName(QStringLiteral("spnFontSize"));
    m_fontSize->setAccessibleName(QStringLiteral("Font size of the lyrics, in points"));
    m_fontSize->setRange(SongbookOptions::MinFontSize, SongbookOptions::MaxFontSize);
    m_fontSize->setSuffix(QStringLiteral(" pt"));
    m_fontSize->setValue(options.fontSize);

    m_paper = new QComboBox(this);
    m_paper->setObjectName(QStringLiteral("cboPaper"));
    m_paper->setAccessibleName(QStringLiteral("Paper size"));
    m_paper->addItem(automaticPaper(forPrinter), int(SongbookPaper::Automatic));
    m_paper->addItem(QStringLiteral("A4"), int(SongbookPaper::A4));
    m_paper->addItem(QStringLiteral("Letter"), int(SongbookPaper::Letter));
    m_paper->setCurrentIndex(m_paper->findData(int(options.paper)));

    auto *form = new QFormLayout;
    form->addRow(m_songPerPage);
    form->addRow(QStringLiteral("&Font size:"), m_fontSize);
    form->addRow(QStringLiteral("&Paper:"), m_paper);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)
        ->setText(forPrinter ? QStringLiteral("Pre&view...") : QStringLiteral("&Save..."));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
    m_songPerPage->setFocus();
}

SongbookOptions SongbookOptionsDialog::options() const
{
    SongbookOptions options;
    options.songPerPage = m_songPerPage->isChecked();
    options.fontSize = m_fontSize->value();
    options.paper = SongbookPaper(m_paper->currentData().toInt());
    return options;
}

} // namespace stanzary
