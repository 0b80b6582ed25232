#include "support/DiskSyncs.h"

#include <QFileInfo>
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex syncsMutex;
QStringList syncedFolders;
QStringList folderSyncs;
std::function<void(const QString&)> afterSync;
QList<disk_syncs::Range> starts;
int startError = 0;

// The folder of an open descriptor's file; a QSaveFile's unnamed temporary
// ("/folder/#123 (deleted)") counts for the folder it will be linked into,
// and a folder's own descriptor for that folder.
QString folderOf(int fd, bool* isFolder) {
    char target[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = readlink(link.constData(), target, sizeof target - 1);
    if (n <= 0) return {};
    struct stat info {};
    *isFolder = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    const QString path = QString::fromLocal8Bit(target, n);
    return *isFolder ? path : QFileInfo(path).absolutePath();
}

QString record(int fd) {
    bool isFolder = false;
    const QString folder = folderOf(fd, &isFolder);
    std::lock_guard lock(syncsMutex);
    syncedFolders.append(folder);
    if (isFolder) folderSyncs.append(folder);
    return folder;
}

int synced(int fd, int result) {
    std::function<void(const QString&)> hook;
    const QString folder = record(fd);
    {
        std::lock_guard lock(syncsMutex);
        hook = afterSync;
    }
    if (hook) hook(folder);
    return result;
}

template <class F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fsync(int fd) {
    static const auto libc = real<int (*)(int)>("fsync");
    return synced(fd, libc(fd));
}

extern "C" int fdatasync(int fd) {
    static const auto libc = real<int (*)(int)>("fdatasync");
    return synced(fd, libc(fd));
}

extern "C" int sync_file_range(int fd, off64_t offset, off64_t length, unsigned int flags) {
    static const auto libc = real<int (*)(int, off64_t, off64_t, unsigned int)>("sync_file_range");
    int code = 0;
    {
        std::lock_guard lock(syncsMutex);
        starts.append({qint64(offset), qint64(length)});
        code = startError;
    }
    if (code == 0) return libc(fd, offset, length, flags);
    errno = code;
    return -1;
}

namespace disk_syncs {

QStringList folders() {
    std::lock_guard lock(syncsMutex);
    return syncedFolders;
}

int countIn(const QString& folder) {
    const QString wanted = QFileInfo(folder).canonicalFilePath();
    std::lock_guard lock(syncsMutex);
    return int(syncedFolders.count(wanted));
}

int folderSyncsOf(const QString& folder) {
    const QString wanted = QFileInfo(folder).canonicalFilePath();
    std::lock_guard lock(syncsMutex);
    return int(folderSyncs.count(wanted));
}

QList<Range> writebackStarts() {
    std::lock_guard lock(syncsMutex);
    return starts;
}

void failWritebackStarts(int code) {
    std::lock_guard lock(syncsMutex);
    startError = code;
}

void reset() {
    std::lock_guard lock(syncsMutex);
    syncedFolders.clear();
    folderSyncs.clear();
    starts.clear();
    startError = 0;
}

void setAfterSync(std::function<void(const QString& folder)> hook) {
    std::lock_guard lock(syncsMutex);
    afterSync = std::move(hook);
}

}  // namespace disk_syncs
