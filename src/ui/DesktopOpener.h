#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace stanzary {

// The desktop's "open" action on a web address or a file.
//
// Where the desktop opens things through an opener program (xdg-open on
// Linux and the other Unix desktops), that program is run here and watched:
// it often starts and then fails (no browser, no program for the address),
// which the desktop's own call does not tell. onFailure is then called on
// the window thread with the reason, worded for the user. An opener that
// runs on (it may wait for the browser it started) is left running, also
// when this program ends. Elsewhere the desktop's call alone decides.
//
// False when the action could not even be started.
bool openWithDesktop(const QUrl &target, const std::function<void(const QString &reason)> &onFailure);

} // namespace stanzary
