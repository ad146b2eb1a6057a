#include "ui/PlaybackArea.h"

#include "ui/PlaybackBar.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace stanzary {

PlaybackArea::PlaybackArea(UserDialogs &dialogs, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picPlayback"));
    setAccessibleName(QStringLiteral("Playback"));
    m_bar = new PlaybackBar(dialogs, this);
    m_commands = new QHBoxLayout;
    m_commands->setContentsMargins(0, 0, 0, 0);
    m_commands->addStretch(1);
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 2, 0, 2);
    m_column->setSpacing(2);
    m_column->addWidget(m_bar);
    m_column->addLayout(m_commands);
}

void PlaybackArea::setStrip(QWidget *strip)
{
    delete m_strip;
    m_strip = strip;
    if (strip) {
        strip->setParent(this);
        m_column->insertWidget(0, strip);
        strip->show();
    }
}

} // namespace stanzary
