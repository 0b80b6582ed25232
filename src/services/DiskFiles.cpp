#include "services/DiskFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QThreadPool>
#include <QUuid>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace disk_files {
namespace {

// The system's description of a failed file operation, as the user reads it
// after "Не удалось сохранить данные: ": in Russian for the failures a user
// can meet and act on, the C library's own words for the rest.
QString systemError(int code) {
    switch (code) {
        case ENOSPC:
            return QStringLiteral("на диске нет места");
        case EDQUOT:
            return QStringLiteral("превышена квота на диске");
        case EFBIG:
            return QStringLiteral("файл слишком большой");
        case EROFS:
            return QStringLiteral("диск доступен только для чтения");
        case EACCES:
        case EPERM:
            return QStringLiteral("нет прав на запись");
        case EIO:
            return QStringLiteral("ошибка ввода-вывода");
        case ENOTDIR:
            return QStringLiteral("на месте папки лежит файл");
        default:
            return QString::fromLocal8Bit(std::strerror(code));
    }
}

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

// Writes every byte or says why not; a short count is followed by one more
// write, which reports why the rest did not fit (EFBIG, ENOSPC).
bool writeAll(int fd, const char* data, qint64 size, int* code) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *code = n < 0 ? errno : EIO;
            return false;
        }
        done += n;
    }
    return true;
}

// The same, a chunk at a time, each chunk's writeback started as soon as it
// is written: the disk works on the first megabytes while the rest is still
// copied into the page cache, and the sync that follows waits for less. The
// start is only a hint: where it fails (a file system without it, a pipe)
// the sync writes everything, and a real write error of a started chunk is
// kept for the file and reported by that sync.
bool writeChunked(int fd, const QByteArray& bytes, qint64 chunk, int* code) {
    bool start = true;
    for (qint64 at = 0; at < bytes.size(); at += chunk) {
        const qint64 length = std::min(chunk, bytes.size() - at);
        if (!writeAll(fd, bytes.constData() + at, length, code)) return false;
        if (start && ::sync_file_range(fd, at, length, SYNC_FILE_RANGE_WRITE) != 0) start = false;
    }
    return true;
}

// The file a rename is about to replace, held open so that its blocks are
// not freed inside the rename; -1 when there is none (or not a plain file:
// a FIFO must not be waited on).
int openOldFile(const QString& target) {
    const int fd = ::open(encoded(target).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) return fd;
    ::close(fd);
    return -1;
}

// The system frees a replaced file's blocks when its last name and its last
// descriptor are gone: about 8 ms for a 30 MiB ledger here, in whatever call
// drops the last one. Nothing depends on when that happens (a crash before
// it leaves the file on the orphan list, freed when the disk is mounted), so
// the last descriptor is closed on a worker while the save goes on.
void closeAside(int fd) {
    if (QThreadPool* workers = QThreadPool::globalInstance())
        workers->start([fd] { ::close(fd); });
    else
        ::close(fd);  // the program is ending: no workers left
}

QString uniqueSibling(const QString& path, const char* what) {
    return path + QLatin1Char('.') + QLatin1String(what) + QLatin1Char('-') +
           QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
}

// The file a replace writes: a link is followed to the file it names, as an
// editor would, so that the link stays.
QString finalPath(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists()) return info.canonicalFilePath();
    return path;
}

// A value as the INI file gives it back: numbers and booleans come back as
// text, a one-item list as its item.
bool sameValue(const QVariant& a, const QVariant& b) {
    const auto isList = [](const QVariant& v) {
        return v.typeId() == QMetaType::QStringList || v.typeId() == QMetaType::QVariantList;
    };
    if (isList(a) || isList(b)) return a.toStringList() == b.toStringList();
    if (a.typeId() == QMetaType::QByteArray || b.typeId() == QMetaType::QByteArray)
        return a.toByteArray() == b.toByteArray();
    return a.toString() == b.toString();
}

// Whether the file holds every key and value of settings. Read through a
// name of its own, so that QSettings' cache of the file's own name does not
// answer instead of the disk. Where no such name can be made, the file is
// taken on trust.
bool fileHolds(const QString& file, QSettings& settings) {
    const QString check = uniqueSibling(file, "check");
    if (::link(encoded(file).constData(), encoded(check).constData()) != 0)
        return errno != ENOENT || settings.allKeys().isEmpty();
    bool holds;
    {
        QSettings read(check, QSettings::IniFormat);
        QStringList expected = settings.allKeys();
        QStringList found = read.allKeys();
        expected.sort();
        found.sort();
        holds = read.status() == QSettings::NoError && expected == found;
        for (qsizetype i = 0; holds && i < expected.size(); ++i)
            holds = sameValue(settings.value(expected[i]), read.value(expected[i]));
    }
    ::unlink(encoded(check).constData());
    return holds;
}

}  // namespace

bool syncSettings(QSettings& settings, QString* error) {
    const QString file = settings.fileName();
    const QString kept = uniqueSibling(file, "kept");
    const bool keptOld = ::link(encoded(file).constData(), encoded(kept).constData()) == 0;
    settings.sync();
    bool written = settings.status() == QSettings::NoError;
    if (!written && error) *error = QStringLiteral("не удалось записать файл настроек (") + file + u')';
    if (written && !fileHolds(file, settings)) {
        written = false;
        if (error) *error = QStringLiteral("файл настроек записан не полностью (") + file + u')';
    }
    if (keptOld) {
        if (written)
            ::unlink(encoded(kept).constData());
        else
            ::rename(encoded(kept).constData(), encoded(file).constData());
    }
    if (written) written = syncFolder(QFileInfo(file).absolutePath(), error);
    narrow(file);
    return written;
}

void createPrivateFile(const QString& path) {
    const int fd =
        ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateFileMode);
    if (fd < 0) return;  // there already, or not possible: the writer will say
    ::fchmod(fd, kPrivateFileMode);
    ::close(fd);
}

bool replace(const QString& path, const QByteArray& bytes, const ReplaceOptions& options, QString* error) {
    const QString target = finalPath(path);
    const QString folder = QFileInfo(target).absolutePath();
    const QByteArray folderName = encoded(folder);
    int code = 0;
    const auto fail = [&](int fd, const QString& temporary) {
        if (fd >= 0) ::close(fd);
        if (!temporary.isEmpty()) ::unlink(encoded(temporary).constData());
        if (error) *error = systemError(code);
        return false;
    };

    // The mode: exactly 0600 whatever the umask, or for a file the user
    // names the mode of the file it replaces, else what the umask leaves of
    // 0666 (as for any new file).
    std::optional<mode_t> mode;
    if (options.privateMode) {
        mode = kPrivateFileMode;
    } else if (struct stat old{}; ::stat(encoded(target).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    }
    const mode_t createMode = options.privateMode ? kPrivateFileMode : 0666;

    // An unnamed file in the folder, linked in only once it is whole, so that
    // a crash leaves nothing beside the file; a named one where the file
    // system has no unnamed files.
    QString temporary;
    int fd = ::open(folderName.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        temporary = uniqueSibling(target, "new");
        fd = ::open(encoded(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (fd < 0) temporary.clear();
    }
    if (fd < 0) {
        code = errno;
        return fail(-1, {});
    }
    // Every write goes straight to the system and is checked: a full disk
    // or a file size limit stops the replace here, with the old file whole.
    // (A buffered QSaveFile keeps up to 16 KiB until commit(), whose flush
    // goes unchecked, and renames an empty or cut file over the old one.)
    if (mode && ::fchmod(fd, *mode) != 0) {
        code = errno;
        return fail(fd, temporary);
    }
    const bool inChunks = options.sync != ReplaceOptions::Sync::none && options.syncedWriteChunk > 0 &&
                          bytes.size() > options.syncedWriteChunk;
    if (!(inChunks ? writeChunked(fd, bytes, options.syncedWriteChunk, &code)
                   : writeAll(fd, bytes.constData(), bytes.size(), &code)))
        return fail(fd, temporary);
    if (options.sync != ReplaceOptions::Sync::none && ::fdatasync(fd) != 0) {
        code = errno;
        return fail(fd, temporary);
    }
    if (temporary.isEmpty()) {
        temporary = uniqueSibling(target, "new");
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, encoded(temporary).constData(),
                     AT_SYMLINK_FOLLOW) != 0) {
            code = errno;
            return fail(fd, {});
        }
    }
    if (::close(fd) != 0) {
        code = errno;
        return fail(-1, temporary);
    }
    const int old = options.freeOldAside && bytes.size() > kSyncedWriteChunk ? openOldFile(target) : -1;
    if (::rename(encoded(temporary).constData(), encoded(target).constData()) != 0) {
        code = errno;
        if (old >= 0) ::close(old);
        return fail(-1, temporary);
    }
    if (old >= 0) closeAside(old);
    if (options.sync == ReplaceOptions::Sync::fileAndFolder) return syncFolder(folder, error);
    return true;
}

bool syncFolder(const QString& folder, QString* error) {
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (error) *error = systemError(errno) + QStringLiteral(" (") + folder + QLatin1Char(')');
        return false;
    }
    const int result = ::fsync(fd);
    const int code = errno;
    ::close(fd);
    // Some file systems cannot sync a folder at all: their renames are as
    // durable as they get.
    if (result == 0 || code == EINVAL || code == ENOTSUP) return true;
    if (error) *error = systemError(code) + QStringLiteral(" (") + folder + QLatin1Char(')');
    return false;
}

bool makePrivateFolder(const QString& path, QString* error) {
    const QString target = QDir::cleanPath(path);
    const auto fail = [&](int code) {
        if (error) *error = systemError(code) + QStringLiteral(" (") + target + QLatin1Char(')');
        return false;
    };
    // From the top down: every folder made here is 0700 from its first moment.
    qsizetype from = target.startsWith(QLatin1Char('/')) ? 1 : 0;
    while (true) {
        const qsizetype slash = target.indexOf(QLatin1Char('/'), from);
        const QString step = slash < 0 ? target : target.left(slash);
        if (!step.isEmpty()) {
            const QByteArray name = encoded(step);
            if (::mkdir(name.constData(), kPrivateFolderMode) == 0) {
                // The umask may have taken owner bits too: exactly 0700.
                if (::chmod(name.constData(), kPrivateFolderMode) != 0) return fail(errno);
            } else if (errno != EEXIST) {
                return fail(errno);
            }
        }
        if (slash < 0) break;
        from = slash + 1;
    }
    struct stat info {};
    if (::stat(encoded(target).constData(), &info) != 0) return fail(errno);
    if (!S_ISDIR(info.st_mode)) return fail(ENOTDIR);
    return true;
}

void narrow(const QString& path) {
    const QByteArray name = encoded(path);
    struct stat before {};
    if (::lstat(name.constData(), &before) != 0 || before.st_uid != ::geteuid()) return;
    const bool folder = S_ISDIR(before.st_mode);
    if (!folder && !S_ISREG(before.st_mode)) return;  // links, FIFOs, sockets: left alone
    const mode_t allowed = folder ? kPrivateFolderMode : kPrivateFileMode;
    if ((before.st_mode & 07777 & ~allowed) == 0) return;
    // Through a descriptor of the very entry looked at, so that nothing put
    // in its place meanwhile (a link to someone else's file) is changed.
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return;
    struct stat opened {};
    if (::fstat(fd, &opened) == 0 && opened.st_dev == before.st_dev && opened.st_ino == before.st_ino)
        ::fchmod(fd, opened.st_mode & allowed);
    ::close(fd);
}

void narrowTree(const QString& folder, int depth) {
    narrow(folder);
    const QFileInfo info(folder);
    if (info.isSymLink() || !info.isDir()) return;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (depth > 0 && entry.isDir() && !entry.isSymLink())
            narrowTree(entry.filePath(), depth - 1);
        else
            narrow(entry.filePath());
    }
}

}  // namespace disk_files
