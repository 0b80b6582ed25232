#include "app/AppWindow.h"

#include <QIcon>
#include <QVBoxLayout>

AppWindow::AppWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("appWindow"));
    setWindowTitle(QStringLiteral("Zanbeck"));
    // No icon of its own: the window shows the app's, which the settings can change.
    setMinimumSize(320, 560);
    resize(kPhoneSize);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void AppWindow::setContent(QWidget* content) {
    if (content_) {
        // Out of the layout at once, so the new content takes the whole window from its first frame.
        layout()->removeWidget(content_);
        content_->hide();
        content_->deleteLater();
    }
    content_ = content;
    if (content) layout()->addWidget(content);
}

void AppWindow::bringToFront() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}
