#pragma once

#include <QStandardPaths>
#include <QString>

class QFileDialog;
class QWidget;

// Qt's own file dialog (not the desktop's), so that it speaks the app's
// language through Qt's translations. Unlike the pop-ups it is not squeezed
// into the phone-sized window: it has a desktop size of its own (at least
// 640 × 480), centred over the app's window (components/Popups.h).
namespace FileDialogs {

// The user's folder of that kind when it exists; the home folder otherwise.
QString startFolder(QStandardPaths::StandardLocation location);

// A dialog deleted when closed; open it with open() (never exec()).
// Its size when first shown (at least this large).
inline constexpr int kMinimumWidth = 640;
inline constexpr int kMinimumHeight = 480;
QFileDialog* create(QWidget* window, const QString& title, const QString& path, const QString& filter = {});

}  // namespace FileDialogs
