#pragma once

#include <QByteArray>
#include <QString>

namespace stanzary {

class RegularFile;

// The first and the last bytes of a file, which is all the folder scan reads
// of MP3 and lyrics files. On POSIX systems this is one open, one fstat, at
// most two preads and a close; elsewhere it goes through QFile.
struct FileEnds
{
    bool opened = false;
    qint64 size = 0;
    QByteArray head; // the first min(size, headLength) bytes
    QByteArray tail; // the last min(size, tailLength) bytes
};

// opened is false when the file cannot be opened or is not a regular file
// (a folder, a named pipe: never waited on); a read that fails or comes
// up short leaves head or tail shorter than asked (empty at worst).
FileEnds readFileEnds(const QString &path, qint64 headLength, qint64 tailLength);

// The same of a file that is open already (for a reader that goes on
// reading it).
FileEnds readFileEnds(const RegularFile &file, qint64 headLength, qint64 tailLength);

} // namespace stanzary
