#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>

// The running build's bundle information: a JSON object that every executable
// embeds as the Qt resource ":/bundle/Info.json" (see the app folder). It stands
// in for the information property list of a phone build. Read afresh on every
// call; a missing or unreadable resource reads as an empty object.
class BundleInfo {
public:
    static constexpr const char* kResourcePath = ":/bundle/Info.json";

    static QJsonObject object();
    static QJsonValue value(const QString& key);  // Undefined when absent

    // Tests replace the bundle information with their own object; nullopt goes
    // back to the embedded resource.
    static void setOverride(std::optional<QJsonObject> info);
    // Tests read another file in place of the resource; empty restores it.
    static void setSourcePath(const QString& path);
};

// Sets a bundle information override for one scope (tests).
class ScopedBundleInfo {
public:
    explicit ScopedBundleInfo(const QJsonObject& info) { BundleInfo::setOverride(info); }
    ~ScopedBundleInfo() { BundleInfo::setOverride(std::nullopt); }
    ScopedBundleInfo(const ScopedBundleInfo&) = delete;
    ScopedBundleInfo& operator=(const ScopedBundleInfo&) = delete;
};
