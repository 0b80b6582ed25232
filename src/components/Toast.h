#pragma once

#include <QString>
#include <QWidget>

// A short confirmation ("Скопировано") over the bottom of a window, above its
// sheets, for a moment (kDuration); it takes no input and goes by itself. A
// new one replaces the one shown. Named "toast".
//
//   Toast::show(this, "Скопировано");
class Toast : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDuration = 1600;  // ms

    static Toast* show(QWidget* from, const QString& text,
                       const QString& symbol = QStringLiteral("checkmark.circle.fill"));
    // A save's outcome: the check mark when it worked, the warning sign when not.
    static Toast* showOutcome(QWidget* from, bool succeeded, const QString& text);

    QString text() const { return text_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Toast(QWidget* window, const QString& text, const QString& symbol);
    void place();

    QString text_;
    QString symbol_;
};
