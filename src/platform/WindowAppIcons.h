#pragma once

#include <QIcon>
#include <QStringList>

#include "platform/AppIcons.h"

// The desktop's form of the app icon: the window icon of every window, drawn
// from the images bundled under :/appicons (our own artwork, see
// appicons/LICENSE). The name set last is kept in a small file of its own, and
// applyStored() puts it back at start, as the phone keeps its icon.
class WindowAppIcons : public AppIcons {
public:
    // `stateFile` keeps the name set last (no file or empty: the primary).
    explicit WindowAppIcons(QString stateFile);

    bool supportsAlternateIcons() const override { return true; }
    void setAlternateIconName(const QString& name, Done done) override;

    // The alternate names that have an image; the primary icon has none.
    static QStringList alternateNames();
    // The bundled image of an icon (null for an unknown name).
    static QIcon icon(const QString& name);
    // The icon set last, "" for the primary.
    QString currentName() const;
    // Sets the window icon to the one set last (the primary when none or
    // when the stored name is no longer bundled).
    void applyStored();

private:
    QString stateFile_;
};
