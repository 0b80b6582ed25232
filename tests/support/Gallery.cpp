#include "Gallery.h"

#include "FitCheck.h"
#include "Settle.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#ifndef ZANBECK_GALLERY_DIR
#define ZANBECK_GALLERY_DIR "gallery"
#endif

namespace {

void settle() {
    // Layouts and deferred deletions run from the event loop.
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    settleUntilStill();
}

QString write(const QImage& image, const QString& name) {
    const QString dir = Gallery::directory();
    if (!QDir().mkpath(dir)) return {};
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    return image.save(path, "PNG") ? path : QString();
}

// Every picture taken is also a look at whether the screen fits its window.
void expectFits(const QWidget& window, const QString& name) {
    const QStringList problems = FitCheck::problems(window);
    if (!problems.isEmpty())
        ADD_FAILURE() << "gallery image " << name.toStdString() << " does not fit:\n"
                      << problems.join(QLatin1Char('\n')).toStdString();
}

}  // namespace

namespace Gallery {

QString directory() {
    const QByteArray fromEnv = qgetenv("ZANBECK_GALLERY_DIR");
    return fromEnv.isEmpty() ? QString::fromUtf8(ZANBECK_GALLERY_DIR) : QString::fromUtf8(fromEnv);
}

QString save(QWidget& widget, const QString& name, QSize size) {
    QWidget* window = widget.window();
    if (window == &widget) window->resize(size);
    if (!window->isVisible()) window->show();
    settle();
    expectFits(*window, name);
    return write(widget.grab().toImage(), name);
}

QString saveComponent(QWidget& widget, const QString& name, int width) {
    QWidget* oldParent = widget.parentWidget();
    QWidget frame;
    frame.setObjectName(QStringLiteral("galleryFrame"));
    frame.setAutoFillBackground(true);
    auto* column = new QVBoxLayout(&frame);
    column->setContentsMargins(16, 16, 16, 16);
    widget.setParent(&frame);
    column->addWidget(&widget);
    widget.show();
    // The height the content needs at this width, no more: extra height would
    // be shared out between the children and spread them apart.
    const auto neededHeight = [&frame, width] {
        return frame.hasHeightForWidth() ? frame.heightForWidth(width) : frame.sizeHint().height();
    };
    frame.resize(width, neededHeight());
    frame.show();
    settle();
    frame.resize(width, neededHeight());
    settle();
    expectFits(frame, name);
    const QString path = write(frame.grab().toImage(), name);
    column->removeWidget(&widget);
    widget.setParent(oldParent);
    return path;
}

}  // namespace Gallery
