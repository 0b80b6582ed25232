#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

class QSettings;

// The standard user defaults: an INI file in the user's config folder. Every
// write emits changed(key) so that screens showing a preference redraw.
// Values are read anew on every call; nothing is cached here.
class Preferences : public QObject {
    Q_OBJECT
public:
    // iniPath empty: "<config folder>/Zanbeck/preferences.ini".
    explicit Preferences(const QString& iniPath = {}, QObject* parent = nullptr);
    ~Preferences() override;

    // The process-wide standard defaults (what the phone calls the standard user
    // defaults). Money text and the catalogues read it; tests may point it at
    // another file with resetStandard().
    static Preferences& standard();
    static void resetStandard(const QString& iniPath = {});

    bool contains(const QString& key) const;
    QVariant value(const QString& key) const;  // invalid QVariant when absent
    QString string(const QString& key, const QString& fallback = {}) const;
    bool boolean(const QString& key, bool fallback) const;
    std::optional<QByteArray> data(const QString& key) const;

    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);

    QString filePath() const;

signals:
    void changed(const QString& key);

private:
    std::unique_ptr<QSettings> settings_;
};

// The app group's shared defaults ("group.com.quorvel.Zanbeck"), shared with the
// widget and the open-app intent. Opened afresh at each use; when it cannot be
// opened (no writable folder), reads give nothing and writes are skipped silently.
class AppGroupDefaults {
public:
    static constexpr const char* kSuiteName = "group.com.quorvel.Zanbeck";

    // nullopt when the shared defaults cannot be opened.
    static std::optional<AppGroupDefaults> open();
    // Tests point the suite at their own folder ({} restores the default).
    static void setDirectoryOverride(const QString& directory);

    QVariant value(const QString& key) const;
    void setValue(const QString& key, const QVariant& value);
    void remove(const QString& key);
    bool sync();  // flushes; false on a write failure

    ~AppGroupDefaults();
    AppGroupDefaults(AppGroupDefaults&&) noexcept;
    AppGroupDefaults& operator=(AppGroupDefaults&&) noexcept;

private:
    explicit AppGroupDefaults(std::unique_ptr<QSettings> settings);
    std::unique_ptr<QSettings> settings_;
};
