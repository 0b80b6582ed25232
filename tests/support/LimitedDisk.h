#pragma once

#include <QString>
#include <functional>
#include <optional>

// A disk that runs out of room, for the writers' tests, without touching the
// machine's own disks. The body runs in a child process and returns "" when
// everything it checked held, or what went wrong; the parent gets that text,
// or how the child died.
namespace limited_disk {

// No file the child writes can grow past maxBytes (RLIMIT_FSIZE, with
// SIGXFSZ ignored): a write past it fails with EFBIG, as one onto a full
// disk fails with ENOSPC.
QString withFileSizeLimit(qint64 maxBytes, const std::function<QString()>& body);

// In a mount namespace of the child's own, folder becomes an empty tmpfs of
// sizeBytes, seen by nobody else and gone with the child. nullopt when
// mounting is not permitted here (not root, no namespaces).
std::optional<QString> onSmallTmpfs(const QString& folder, qint64 sizeBytes,
                                    const std::function<QString()>& body);

// Fills the file system holding folder until nothing more fits.
void fill(const QString& folder);

}  // namespace limited_disk
