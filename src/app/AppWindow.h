#pragma once

#include <QWidget>

// The app's one window: phone-sized, resizable, holding the launch view.
class AppWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kPhoneSize{390, 844};

    explicit AppWindow(QWidget* parent = nullptr);

    // Replaces the content (the window takes ownership).
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

    // Brings the window to the front, out of minimised or hidden state.
    void bringToFront();

private:
    QWidget* content_ = nullptr;
};
