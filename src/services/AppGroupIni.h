#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

// The app group's shared defaults file edited as text, in the form QSettings
// writes it (INI; top-level keys under "[General]", sorted, one per line), so
// that one writer can set a few top-level keys without QSettings' lock file and
// sync while every QSettings reader (the widget, the open-app intent) reads the
// same keys with the same types. Lines of other keys and sections are kept as
// they are.
namespace app_group_ini {

// The value text of a top-level key as written (quotes removed), none when the
// key is absent.
std::optional<QByteArray> rawValue(const QByteArray& ini, const QString& key);

// The value text QSettings writes for a double or a date-time.
QByteArray encodedValue(const QVariant& value);

// The file with each of the top-level keys set to its encoded value: a key
// already there changes in place, a new one goes in its sorted place.
QByteArray withValues(const QByteArray& ini, const std::vector<std::pair<QString, QVariant>>& values);

}  // namespace app_group_ini
