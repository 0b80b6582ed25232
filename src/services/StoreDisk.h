#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

class AppGroupDefaults;

// The two places where a save reaches the disk: the ledger's file, replaced
// atomically and synced, and the app group's shared defaults, which hold the
// widget snapshot. The store writes through one of these; tests hand in a
// subclass that counts what reaches the disk (and still writes it).
class StoreDisk {
public:
    using Values = std::vector<std::pair<QString, QVariant>>;

    virtual ~StoreDisk() = default;

    // Writes bytes to a temporary file beside path (0600), every byte checked,
    // syncs it, renames it over path and syncs the folder, so a reader sees
    // the old ledger or the new one, never half of one, and a save reported
    // done survives a power loss. On failure (a full disk among them) path
    // is left alone and error says why.
    virtual bool replaceFile(const QString& path, const QByteArray& bytes, QString& error);

    // Writes bytes to a temporary file beside path (0600, every byte checked)
    // and renames it over path, without asking the disk to sync either: a reader sees the old file or
    // the new one, never half of one, while the system runs; a crash may leave
    // the old file (or, on some file systems, an empty one). Only for files
    // derived from the ledger that are written again from it. On failure path
    // is left alone and false is returned.
    virtual bool replaceDerivedFile(const QString& path, const QByteArray& bytes);

    // Stores the values in the opened shared defaults and flushes them in one
    // write, under QSettings' lock file (both synced); false when the write
    // fails.
    virtual bool writeAppGroup(AppGroupDefaults& shared, const Values& values);
};
