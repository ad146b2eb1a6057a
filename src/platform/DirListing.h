#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

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

// Sorts names into lessIgnoringCase's order, folding each name once rather
// than at every comparison.
void sortIgnoringCase(QStringList &names);

// Names folded once each for comparisons that ignore case: one value per
// UTF-16 unit, the unit's case folding (a surrogate pair's second unit
// carries the folding of the whole character). Two folded names compare, as
// sequences of values with the shorter first when one begins the other,
// exactly as QString::compare with Qt::CaseInsensitive compares the names, so
// equal folded names are the names that compare equal ignoring case.
class FoldedNames
{
public:
    explicit FoldedNames(const QStringList &names);

    // The folded name of names[i]; a view into this object.
    std::u32string_view at(qsizetype i) const
    {
        const size_t begin = m_ends[static_cast<size_t>(i)];
        return std::u32string_view(m_values).substr(begin, m_ends[static_cast<size_t>(i) + 1] - begin);
    }
    // Whether names[i] ends with suffix ignoring case, as
    // QString::endsWith(suffix, Qt::CaseInsensitive) tells; suffix is
    // lower-case ASCII.
    bool endsWith(qsizetype i, std::u32string_view suffix) const
    {
        const std::u32string_view name = at(i);
        return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
    }
    // Sorts positions of names into lessIgnoringCase's order of the names.
    void sort(std::vector<qsizetype> &positions) const;

private:
    const QStringList &m_names;
    std::u32string m_values;
    std::vector<size_t> m_ends; // m_ends[i] to m_ends[i + 1]: names[i]'s values
};

// path with a trailing '/' unless it ends with one already (empty stays empty).
QString withTrailingSeparator(const QString &path);

} // namespace stanzary
