#pragma once

#include <QStandardPaths>
#include <QString>

class QFileDialog;
class QWidget;

// Qt's own file dialog (not the desktop's), so that it speaks the app's
// language through Qt's translations, laid out for the phone-sized window it
// opens over and kept inside it like every pop-up (components/Popups.h).
namespace FileDialogs {

// The user's folder of that kind when it exists; the home folder otherwise.
QString startFolder(QStandardPaths::StandardLocation location);

// A dialog deleted when closed; open it with open() (never exec()).
QFileDialog* create(QWidget* window, const QString& title, const QString& path, const QString& filter = {});

}  // namespace FileDialogs
