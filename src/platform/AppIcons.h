#pragma once

#include <QString>
#include <functional>
#include <optional>

// The app's icon: the primary one or one of the alternate icons bundled with
// the app ("AppIconNeon", "AppIconViolet", "AppIcon2D"). As on the phone, the
// answer to a change comes later, on the main thread, and the icon set last is
// kept across starts.
class AppIcons {
public:
    // nullopt on success, else the error text to show.
    using Done = std::function<void(std::optional<QString> error)>;

    virtual ~AppIcons() = default;
    virtual bool supportsAlternateIcons() const = 0;
    // An empty name sets the primary icon. `done` is called once, later.
    virtual void setAlternateIconName(const QString& name, Done done) = 0;
};
