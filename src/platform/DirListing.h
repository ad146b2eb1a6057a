#pragma once

#include <QString>
#include <QStringList>

namespace stanzary {

// Folder listings with the host's file-name rules: names compare without
// regard to case, hidden (dot) files are not there, and a file is then opened
// by the name it really has on disk.

// Names of the ordinary, non-hidden files in dir whose names end with suffix
// (".txt", ".kas", ".mp3"), compared ignoring case, sorted alphabetically
// ignoring case. A folder that cannot be listed gives an empty list.
QStringList listFilesWithSuffix(const QString &dir, const QString &suffix);

// Names of every ordinary, non-hidden file in dir, unsorted.
QStringList listFiles(const QString &dir);

// Names of the non-hidden immediate subfolders of dir, sorted alphabetically
// ignoring case.
QStringList listSubfolders(const QString &dir);

// The name an ordinary file called name (ignoring case) really has in dir, or
// an empty string when there is none. An exact match wins over others.
QString findFileIgnoringCase(const QString &dir, const QString &name);

// Alphabetical order ignoring case, with a case-sensitive tie-break so that
// the order is total.
bool lessIgnoringCase(const QString &a, const QString &b);

// path with a trailing '/' unless it ends with one already (empty stays empty).
QString withTrailingSeparator(const QString &path);

} // namespace stanzary
