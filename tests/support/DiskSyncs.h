#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Counts the syncs this process asks of the disk. The program links its own
// fsync and fdatasync ahead of the C library's, so every sync made by Qt (a
// QSaveFile's commit, QSettings' lock file) or by our code passes through them
// and is recorded with the folder of the file synced, then done for real.
namespace disk_syncs {

// The folders of the files synced since the last reset, in order.
QStringList folders();
// Syncs of files in the folder and of the folder itself (its entries).
int countIn(const QString& folder);
// Syncs of the folder itself only.
int folderSyncsOf(const QString& folder);
void reset();

// Called with the folder of each file right after it was synced (for a test
// that stops the process there); {} removes it.
void setAfterSync(std::function<void(const QString& folder)> hook);

}  // namespace disk_syncs
