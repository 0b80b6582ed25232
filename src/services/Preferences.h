#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>
#include <mutex>
#include <optional>

class QSettings;

// The standard user defaults: an INI file in the user's config folder. Every
// write emits changed(key) so that screens showing a preference redraw.
// Values are read anew on every call; nothing is cached here.
class Preferences : public QObject {
    Q_OBJECT
public:
    // iniPath empty: "<GenericConfigLocation>/Zanbeck/preferences.ini" (on Linux
    // ~/.config/Zanbeck/preferences.ini), shared by the child's and the parent's
    // build of the same user. A missing folder is created when the file is opened.
    explicit Preferences(const QString& iniPath = {}, QObject* parent = nullptr);
    ~Preferences() override;

    // The process-wide standard defaults (what the phone calls the standard user
    // defaults), read by the money text and every screen. resetStandard()
    // re-points that one instance at another file (tests isolate themselves so);
    // connections to its changed() signal survive. Empty path: the default file.
    static Preferences& standard();
    static void resetStandard(const QString& iniPath = {});
    static QString defaultFilePath();

    // Any text is a key ("family.cachedUser.v1", "notified-goal-X-388", even one
    // with "/"); keys never nest. Values written by another process come back
    // as text, so read through the typed accessors.
    bool contains(const QString& key) const;
    QVariant value(const QString& key) const;  // invalid QVariant when absent
    QString string(const QString& key, const QString& fallback = {}) const;
    // A stored bool, "true"/"yes"/"false"/"no" (any case) or a number (non-zero
    // is true); any other text reads as false. fallback only when absent.
    bool boolean(const QString& key, bool fallback) const;
    std::optional<QByteArray> data(const QString& key) const;

    // Each write is flushed to the file at once (whole or not at all: a full
    // disk leaves the old file as it was), then changed(key) is emitted
    // (also when the value did not change, and for removing an absent key).
    // An invalid QVariant removes the key; the empty key is ignored.
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);

    QString filePath() const;

signals:
    void changed(const QString& key);

private:
    void reopen(const QString& iniPath);

    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;
};

namespace preferences_detail {
// QSettings reads "/" and "\\" in a key as group separators; escaping them (and
// "%") keeps every key a single, distinct entry.
QString settingsKey(const QString& key);
}  // namespace preferences_detail

// The app group's shared defaults ("group.com.quorvel.Zanbeck"), shared with the
// widget and the open-app intent. Opened afresh at each use; when it cannot be
// opened (no writable folder), reads give nothing and writes are skipped silently.
class AppGroupDefaults {
public:
    static constexpr const char* kSuiteName = "group.com.quorvel.Zanbeck";

    // The file is "<folder>/defaults.ini"; the folder is
    // "<GenericConfigLocation>/group.com.quorvel.Zanbeck" unless overridden.
    // nullopt when the folder cannot be created or the file cannot be used.
    static std::optional<AppGroupDefaults> open();
    // The file's path after the same checks as open() (the folder is created),
    // for a writer that edits the file itself; nullopt when it cannot be used.
    static std::optional<QString> usableFile();
    // Points the suite at another folder ({} restores the default): the
    // parent's build at its own, tests at theirs.
    static void setDirectoryOverride(const QString& directory);
    static QString directory();

    QVariant value(const QString& key) const;
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);
    // Writes reach the file on sync() or when this handle is destroyed,
    // whole or not at all (a full disk leaves the old file; see
    // disk_files::syncSettings).
    bool sync();  // flushes; false on a write failure

    ~AppGroupDefaults();
    AppGroupDefaults(AppGroupDefaults&&) noexcept;
    AppGroupDefaults& operator=(AppGroupDefaults&&) noexcept;

private:
    explicit AppGroupDefaults(std::unique_ptr<QSettings> settings);
    void writeBack();
    std::unique_ptr<QSettings> settings_;
    bool changed_ = false;  // something to write back
};
