#pragma once

#include <QSize>
#include <QString>

class QWidget;

// Renders widgets offscreen into PNG files so every test run leaves a gallery
// of the screens: <build>/gallery/<name>.png, or the folder named by the
// environment variable ZANBECK_GALLERY_DIR. Every picture is also checked
// for fitting its window (FitCheck): a problem fails the test taking it.
namespace Gallery {

inline constexpr QSize kPhoneSize{390, 844};

QString directory();

// Shows the widget as a phone-sized window (top-level widgets are resized;
// the overlays of its window are included) and saves it. Returns the file path,
// empty when the image could not be written.
QString save(QWidget& widget, const QString& name, QSize size = kPhoneSize);

// For a single component: phone width, the height the widget asks for, on
// the grouped background with the page padding around it.
QString saveComponent(QWidget& widget, const QString& name, int width = kPhoneSize.width());

}  // namespace Gallery
