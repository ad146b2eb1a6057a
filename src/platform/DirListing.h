#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace stanzary {

// Folder listings with the host's file-name rules: names compare without
// regard to case, hidden (dot) files are not there, and a file is then opened
// by the name it really has on disk.
//
// "Ordinary file" means a regular file or a link to one; folders, named
// pipes, devices and broken links are never listed as files. A name that
// is not valid in the file-system encoding (bytes that do not decode) cannot
// be opened by its text, so it is not listed but handed back apart, as the
// bytes it is on disk.

// One read of a folder. Nothing when the folder cannot be read.
struct FolderEntries
{
    QStringList files;                    // ordinary, non-hidden files, unsorted
    QStringList folders;                  // non-hidden subfolders, unsorted
    QList<QByteArray> undecodableFiles;   // ordinary files whose names do not decode
    QList<QByteArray> undecodableFolders; // the same for subfolders
    // Copies of ours (".<name>.stanzary-new", hidden) that a write makes
    // while it runs; a scan hands them to removeLeftoverReplacements.
    QStringList replacements;
};
FolderEntries readFolder(const QString &dir);

// The names, as bytes, of the ordinary non-hidden files in a folder given by
// its bytes on disk (a folder whose own name does not decode).
QList<QByteArray> fileNamesInNativeFolder(const QByteArray &nativeDir);

// How many of names end with suffix (ASCII, ignoring case).
int countWithSuffix(const QList<QByteArray> &names, const QByteArray &suffix);

// Files a scan could not list because their names do not decode, and the
// folders they are in.
struct UnlistedFiles
{
    int count = 0;
    QStringList folders; // each once, in the order met, as far as their names decode
    void add(const QString &folder, int files);
};

// The names that end with suffix (compared ignoring case), sorted
// alphabetically ignoring case.
QStringList filesWithSuffix(QStringList names, const QString &suffix);

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
