#pragma once

#include <QString>

#include <memory>

class QFile;

namespace stanzary {

// Opens a song file for the player or the decoder to read: only a regular
// file (a named pipe or a device in its place is refused at once, never
// waited on). Null when it cannot be opened, with error set to a sentence
// for the user that names the file.
std::unique_ptr<QFile> openAudioFile(const QString &path, QString &error);

} // namespace stanzary
