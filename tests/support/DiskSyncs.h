#pragma once

#include <QString>
#include <QList>
#include <QStringList>
#include <functional>

// Counts the syncs this process asks of the disk. The program links its own
// fsync and fdatasync ahead of the C library's, so every sync made by Qt (a
// QSaveFile's commit, QSettings' lock file) or by our code passes through them
// and is recorded with the folder of the file synced, then done for real.
// The writeback starts asked with sync_file_range are recorded the same way.
namespace disk_syncs {

struct Range {
    qint64 offset = 0;
    qint64 length = 0;
    bool operator==(const Range&) const = default;
};

// The folders of the files synced since the last reset, in order.
QStringList folders();
// Syncs of files in the folder and of the folder itself (its entries).
int countIn(const QString& folder);
// Syncs of the folder itself only.
int folderSyncsOf(const QString& folder);
// The writeback starts asked since the last reset, in order.
QList<Range> writebackStarts();
// Every writeback start from now on fails with code (EINVAL, EIO, ...) and
// starts nothing; 0 (and reset) lets them through again.
void failWritebackStarts(int code);
void reset();

// Called with the folder of each file right after it was synced (for a test
// that stops the process there); {} removes it.
void setAfterSync(std::function<void(const QString& folder)> hook);

}  // namespace disk_syncs
