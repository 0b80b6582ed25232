#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include "components/Theme.h"

// System-symbol names ("plus.circle.fill", "chart.pie", ...) drawn with the
// bundled icon set (Tabler Icons, MIT, in components/icons). One table maps
// every name the screens use to an icon; a name missing from it draws the
// fallback icon, so a typo shows up on screen instead of an empty space.
namespace Symbols {

// True when the name is in the table (and so not drawn as the fallback).
bool resolves(const QString& name);

// Every name of the table.
QStringList tableNames();

// The names the screens of this app are designed with (tab bar, cards, badge
// and feature catalogues, buttons, placeholders). All of them resolve.
const QStringList& screenNames();

// The symbol drawn in a square of `size` points, tinted. Names ending in
// ".circle" or ".circle.fill" without an icon of their own get a drawn circle.
QPixmap pixmap(const QString& name, int size, const QColor& tint, qreal devicePixelRatio = 1.0);
QIcon icon(const QString& name, const QColor& tint, int size = 24);
// The symbol in a theme colour read each time it is drawn, so that it follows
// the appearance (light or dark) without being made again; a disabled one is
// drawn in the tertiary label colour.
QIcon icon(const QString& name, ColorRole role);
// A menu row's symbol in the menu's own colours, read as it is drawn: its text
// colour, the highlighted text on the row under the pointer, the disabled
// text on a disabled row. Black on a dark menu cannot happen.
QIcon menuIcon(const QString& name);

// Resource path of the icon file behind a name (the fallback's for unknown names).
QString resourcePath(const QString& name);

// The size a symbol takes beside text of the given pixel size.
int sizeForText(int pixelSize);

}  // namespace Symbols
