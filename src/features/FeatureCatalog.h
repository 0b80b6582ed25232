#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// Whose feature list the feature center shows. The raw value is the name.
enum class FeatureAudience { child, parent, everyone };
QString rawValue(FeatureAudience audience);  // "child", "parent", "everyone"
// Exact, case-sensitive: anything but a raw value gives nothing.
std::optional<FeatureAudience> featureAudience(const QString& rawValue);

// The themes the catalogue is grouped by. The raw value is the title on screen.
enum class FeatureGroup { smart, goals, habits, family, insights, safety, comfort, fun };
inline constexpr std::array<FeatureGroup, 8> kFeatureGroups = {
    FeatureGroup::smart,    FeatureGroup::goals,  FeatureGroup::habits,  FeatureGroup::family,
    FeatureGroup::insights, FeatureGroup::safety, FeatureGroup::comfort, FeatureGroup::fun};
QString rawValue(FeatureGroup group);  // "Занбек", "Цели и мечты", ...
QString symbol(FeatureGroup group);
std::optional<FeatureGroup> featureGroup(const QString& rawValue);

// One module of the catalogue. The texts are UTF-8 literals compiled into the
// program, so the whole catalogue is constant data.
struct FeatureModule {
    std::string_view id;  // lower-case words, hyphenated: "subscription-watch"
    std::string_view title;
    std::string_view detail;  // one short sentence
    std::string_view symbol;
    FeatureGroup group;
    FeatureAudience audience;

    constexpr bool operator==(const FeatureModule&) const = default;

    QString titleText() const { return QString::fromUtf8(title.data(), qsizetype(title.size())); }
    QString detailText() const { return QString::fromUtf8(detail.data(), qsizetype(detail.size())); }
    QString symbolName() const { return QString::fromUtf8(symbol.data(), qsizetype(symbol.size())); }
    QString idText() const { return QString::fromUtf8(id.data(), qsizetype(id.size())); }
};

// Combines the four texts, then the group's and the audience's raw values.
std::size_t qHash(const FeatureModule& module, std::size_t seed = 0);

struct FeatureCatalog {
    FeatureCatalog() = delete;
    // 8 modules per group, the groups in their order; screens keep this order.
    static const std::array<FeatureModule, 64> modules;
};
