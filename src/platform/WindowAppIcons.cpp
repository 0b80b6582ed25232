#include "platform/WindowAppIcons.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTimer>

// The icon images live in this library's resources, which a static library
// must register itself (outside any namespace).
static void registerAppIconImages() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(app_icons);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

QString imagePath(const QString& name) {
    return QStringLiteral(":/appicons/%1.svg").arg(name.isEmpty() ? QStringLiteral("AppIcon") : name);
}

}  // namespace

WindowAppIcons::WindowAppIcons(QString stateFile) : stateFile_(std::move(stateFile)) {
    registerAppIconImages();
}

QStringList WindowAppIcons::alternateNames() {
    return {QStringLiteral("AppIconNeon"), QStringLiteral("AppIconViolet"), QStringLiteral("AppIcon2D")};
}

QIcon WindowAppIcons::icon(const QString& name) {
    registerAppIconImages();
    if (!name.isEmpty() && !alternateNames().contains(name)) return {};
    QIcon image(imagePath(name));
    // An image that does not render (no SVG plugin) is as good as none.
    return image.pixmap(64).isNull() ? QIcon() : image;
}

QString WindowAppIcons::currentName() const {
    QFile file(stateFile_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.read(256)).trimmed();
}

void WindowAppIcons::setAlternateIconName(const QString& name, Done done) {
    std::optional<QString> error;
    const QIcon image = icon(name);
    if (image.isNull()) {
        error = name.isEmpty() || alternateNames().contains(name)
                    ? QStringLiteral("Не удалось загрузить иконку.")
                    : QStringLiteral("Иконка «%1» не найдена.").arg(name);
    } else {
        QGuiApplication::setWindowIcon(image);
        // Keeping it for the next start is best effort: the icon is already set.
        QDir().mkpath(QFileInfo(stateFile_).path());
        // Unbuffered, so that a full disk is seen at the write and the old
        // file stays, rather than an empty one renamed over it at commit().
        QSaveFile file(stateFile_);
        const QByteArray bytes = name.toUtf8();
        if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size())
            file.commit();
        else
            file.cancelWriting();
    }
    // The phone answers later, never inside the call.
    QTimer::singleShot(0, QCoreApplication::instance(), [done = std::move(done), error] {
        if (done) done(error);
    });
}

void WindowAppIcons::applyStored() {
    QIcon image = icon(currentName());
    if (image.isNull()) image = icon(QString());
    if (!image.isNull()) QGuiApplication::setWindowIcon(image);
}
