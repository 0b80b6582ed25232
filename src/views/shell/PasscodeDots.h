#pragma once

#include <QWidget>

// The four dots of a code being typed.
class PasscodeDots : public QWidget {
    Q_OBJECT
public:
    explicit PasscodeDots(QWidget* parent = nullptr);
    void setLength(int length);
    int length() const { return length_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int length_ = 0;
};
