#pragma once

#include "ui/UserDialogs.h"

#include <QString>

// The main window's message texts and box titles, its commands' included
// (frmMain, ToolbarCommands, JoinCommand, SongbookCommand), in one place.

namespace stanzary::MainWindowTexts {

// The title of the boxes about the program and the collection, and of those
// about saving the shown lyrics.
inline QString title()
{
    return applicationTitle();
}
inline const QString SaveTitle = QStringLiteral("Stanzary");
// The title of the boxes that ask for a new song's names.
inline const QString NewLyricsTitle = QStringLiteral("New lyrics");

inline QString fileUnreadable(const QString &file, const QString &reason)
{
    return QStringLiteral("File can't be read:\n") + file + QStringLiteral("\n\n") + reason
           + QStringLiteral(".\nThe file is left as it is: the lyrics box stays empty and cannot be saved over it.");
}
inline const QString FileNotFound = QStringLiteral("File wasn't found");
inline QString saveChangesTo(const QString &entry)
{
    return QStringLiteral("Save changes to ") + entry + QStringLiteral("?");
}
inline const QString SaveNewLyrics = QStringLiteral("Save the new lyrics you typed? Otherwise they are lost.");

inline QString unreadableNotSaved(const QString &file, const QString &reason)
{
    return QStringLiteral("The lyrics file\n") + file + QStringLiteral("\ncould not be read (") + reason
           + QStringLiteral("): the lyrics box holds nothing of it, and nothing is saved over it.");
}
inline const QString ReadOnly = QStringLiteral("File is read-only");
inline QString unencodable(const QString &detail)
{
    return QStringLiteral("The lyrics hold characters that the lyrics files cannot store (") + detail
           + QStringLiteral(").\nThe file was not changed.");
}
inline QString notSaved(const QString &detail)
{
    return QStringLiteral("The lyrics could not be saved:\n") + detail;
}
inline QString folderNotMade(const QString &folder)
{
    return notSaved(QStringLiteral("the folder ") + folder + QStringLiteral(" could not be made."));
}
inline QString notDeleted(const QString &file, const QString &failure)
{
    return QStringLiteral("Couldn't delete file.\n") + file + QStringLiteral("\n\n") + failure;
}
inline const QString AskArtist = QStringLiteral("ARTIST/BAND name");
inline const QString AskSong = QStringLiteral("SONG TITLE");
inline QString badNameCharacter(const QString &bad)
{
    return QStringLiteral("A lyrics file name cannot hold \"") + bad + QStringLiteral("\". Type the name without it.");
}
inline QString badNameNothingSaved(const QString &bad)
{
    return QStringLiteral("A lyrics file name cannot hold \"") + bad + QStringLiteral("\". Nothing was saved.");
}
inline const QString Overwrite = QStringLiteral("This lyrics already exists. Do you wish to overwrite?");
inline QString savedAs(const QString &entry)
{
    return QStringLiteral("Lyrics for song:\n") + entry
           + QStringLiteral("\n\nwere saved. Update your list to get it listed");
}

inline QString startJoining()
{
    return QStringLiteral("Start selecting which artists/lyrics you would like to\n"
                          "merge into a single text file (so you can print them)\n\n"
                          "When you are done, repress the 'Joining...' button");
}
inline QString joinUnencodableName(const QString &name, const QString &codePage)
{
    return QStringLiteral("The lyrics were not joined: the name ") + name
           + QStringLiteral(" holds characters that the lyrics files' code page (") + codePage
           + QStringLiteral(") cannot store.");
}
inline const QString JoinFileMissing = QStringLiteral("One or more files couldn't be found");
inline const QString JoinNotWritten = QStringLiteral("Could not create/overwrite file");
inline QString joinUnsavedLeftOut(const QString &entry)
{
    return QStringLiteral("\nThe changes to ") + entry + QStringLiteral(" that are not saved yet are not in it.\n");
}
inline QString joinedIntoProgramFolder(const QString &folder)
{
    return QStringLiteral("into Stanzary's folder\n") + folder;
}
inline const QString JoinedIntoHostFolder = QStringLiteral("into your Tunewright folder");
inline QString joinedOpenNow(const QString &fileName, const QString &where, const QString &unsaved)
{
    return QStringLiteral("File was saved as:\n") + fileName + u'\n' + where + u'\n' + unsaved
           + QStringLiteral("\nDo you want to open it now?");
}
// The buttons of the question after a join (joinedOpenNow), in this order.
inline const QStringList JoinedChoices = {QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("&Print..."),
                                          QStringLiteral("&Save as PDF...")};
enum JoinedChoice { OpenJoined, KeepJoined, PrintSongbook, SongbookAsPdf };

inline const QString SongbookNothingRead =
    QStringLiteral("None of the checked songs' lyrics could be read: there is nothing to print.");
inline const QString SongbookPdfTitle = QStringLiteral("Save as PDF");
inline const QString SongbookPdfFilter = QStringLiteral("PDF files (*.pdf)");
inline QString songbookPdfExists(const QString &path)
{
    return QStringLiteral("The file ") + path + QStringLiteral(" already exists.\n\nDo you want to replace it?");
}
inline QString songbookPdfSaved(const QString &path)
{
    return QStringLiteral("The songbook was saved as:\n") + path;
}
inline QString songbookPdfNotSaved(const QString &path, const QString &reason)
{
    return QStringLiteral("The songbook could not be saved as:\n") + path + QStringLiteral("\n\n") + reason
           + QStringLiteral(".");
}
inline const QString SongbookNotPrinted =
    QStringLiteral("The songbook could not be printed: the printer did not take it.");

} // namespace stanzary::MainWindowTexts
