#pragma once

#include <QRect>

class QAction;
class QApplication;
class QWidget;

// Qt's own pop-ups (menus, combo-box lists, the date fields' calendar,
// tooltips) are windows of the desktop. Installed on the application, this
// keeps every one of them inside the window it was opened from: a pop-up that would reach past
// an edge is moved back in, and one larger than the window is cut to its size
// (lists and calendars scroll). It also draws menu rows marked destructive in
// red. Theme::install() installs it; installing again changes nothing.
namespace Popups {

void install(QApplication& app);

// The area, in global coordinates, that a pop-up must stay within: the inside
// of the window it was opened from (through pop-ups opened from pop-ups);
// empty when it belongs to no window.
QRect boundsFor(const QWidget* popup);

// The geometry a pop-up takes inside `bounds`: moved in, and no larger.
QRect fitted(const QRect& geometry, const QRect& bounds);

// Lets a dialog keep a size of its own, larger than the phone-sized window
// (a file dialog needs room for its columns): it is only kept on the screen.
void keepOwnSize(QWidget* dialog);

// Marks a menu row as destructive ("Удалить"): its text is drawn red (give it a
// red icon too).
void setDestructive(QAction* action);
bool isDestructive(const QAction* action);

}  // namespace Popups
