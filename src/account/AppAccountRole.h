#pragma once

#include <QString>
#include <optional>

// The role of a family account, and the role this build of the app serves.
// A small class around the enumeration so that the build role reads as
// AppAccountRole::build() while the cases still switch and compare as enums.
class AppAccountRole {
public:
    enum Value { parent, child };

    constexpr AppAccountRole(Value value = child) : value_(value) {}
    constexpr operator Value() const { return value_; }

    // "parent" or "child"; the text on the wire and in the cached user.
    QString rawValue() const;
    // Only the exact texts "parent" and "child" are roles.
    static std::optional<AppAccountRole> fromRawValue(const QString& text);

    // The role of the running build, read from the bundle information key
    // "ZanbeckRole" on every call: the text "parent" gives parent, anything
    // else (another text, a number, no key, no bundle information) gives child.
    static AppAccountRole build();

private:
    Value value_;
};
