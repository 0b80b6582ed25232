#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>

class QSettings;

// How every file the app replaces reaches the disk, and the modes of the
// app's own folders and files.
//
// A replaced file is written to an unnamed temporary file beside it, every
// byte of it checked (a full disk or a file size limit is seen at the write
// that meets it, never left to a buffer flushed inside the rename step),
// synced when asked, and only then renamed over the old one, so that a reader
// finds the old file whole or the new one whole. A large file to be synced is
// written in chunks, the disk asked to start on each chunk once it is
// written, so that the disk's work overlaps the copying of the rest and the
// one sync at the end waits for less; the large file it replaces is let go on
// a worker, which frees its blocks after the rename instead of inside it.
// The app's folders are made 0700 and its files 0600, whatever the umask:
// ledgers, receipts and preferences (which hold the cached e-mail) are
// nobody else's business.
namespace disk_files {

inline constexpr mode_t kPrivateFolderMode = 0700;
inline constexpr mode_t kPrivateFileMode = 0600;
// The chunk of a synced file handed to the disk at a time. Larger chunks
// leave the disk idle longer at the start, smaller ones cost more calls; a
// file no larger than one chunk is written in one call.
inline constexpr qint64 kSyncedWriteChunk = qint64(1) << 20;

struct ReplaceOptions {
    enum class Sync {
        none,           // derived files, written again from what is synced
        file,           // the file's bytes reach the disk before the rename
        fileAndFolder,  // ... and the rename itself, before the call returns
    };
    Sync sync = Sync::fileAndFolder;
    // 0600 for the app's own files; off keeps the mode a new file gets from
    // the umask (or the mode of the file replaced), for a file the user names.
    bool privateMode = true;
    // The chunk of a synced file's bytes written before the disk is asked
    // to start writing them back; 0 writes the whole file in one call (only
    // to measure what the chunks gain).
    qint64 syncedWriteChunk = kSyncedWriteChunk;
    // Whether a large file's predecessor is freed on a worker after the
    // rename; off frees it inside the rename (only to measure).
    bool freeOldAside = true;
};

// Replaces (or creates) path with exactly bytes. On failure path is left as
// it was and *error holds the system's description ("No space left on
// device", "File too large", "Permission denied", ...).
bool replace(const QString& path, const QByteArray& bytes, const ReplaceOptions& options, QString* error);

// Writes what the settings hold to their INI file (QSettings::sync()) and
// makes sure it arrived whole: QSettings writes through a buffered QSaveFile
// and on a full disk renames an empty or cut file over the old one while
// reporting success. The old file is kept under a second name (a hard link,
// which takes no room) until the new one, read back, holds every key and
// value; otherwise it is put back. Then the folder is synced and the file
// narrowed to 0600. false (with *error) when the file could not be written.
bool syncSettings(QSettings& settings, QString* error);

// Creates an empty file 0600 at path when nothing is there, so that a
// writer that gives new files the umask's mode (QSettings) keeps this one's.
void createPrivateFile(const QString& path);

// Asks the disk to keep the entries of folder (a rename or a new file in it)
// across a power loss. A file system that cannot sync a folder counts as done.
bool syncFolder(const QString& folder, QString* error);

// Creates the folder with every missing parent, each new one 0700; an
// existing folder is fine (its mode is left alone: narrow() is for that).
// false with the system's description and the folder's path in *error
// otherwise (a file standing where a folder should be, no permission).
bool makePrivateFolder(const QString& path, QString* error);

// Takes group and other permissions away from what stands at path: a folder
// becomes at most 0700, a file at most 0600. Links are never followed, and
// nothing else is touched; a missing path or one owned by someone else is
// left as it is.
void narrow(const QString& path);
// The same for a folder and everything below it, down to depth levels of
// subfolders (0: the folder and its own entries).
void narrowTree(const QString& folder, int depth);

}  // namespace disk_files
