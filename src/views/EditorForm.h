#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <QWidget>
#include <functional>

class Button;
class QLineEdit;
class QVBoxLayout;
class TextLabel;

// A group of rows of the editor sheets: an optional header above a rounded
// panel whose rows are separated by hairlines. A hidden row takes its hairline
// with it.
class EditorSection : public QWidget {
    Q_OBJECT
public:
    explicit EditorSection(const QString& header = {}, QWidget* parent = nullptr);

    void addRow(QWidget* row);
    void setRowVisible(QWidget* row, bool visible);
    bool isRowVisible(QWidget* row) const;
    TextLabel* headerLabel() const { return header_; }

private:
    TextLabel* header_ = nullptr;
    QVBoxLayout* rows_;
};

// Pieces of the goal and money-task editors, placed in EditorSection rows.

// A row of a form: a title at the leading edge, then `field` (stretching), then
// an optional trailing text in the secondary colour ("Сумма  [ 0 ] CNY").
QWidget* formFieldRow(const QString& title, QWidget* field, const QString& trailing = {});
// A row with a title and a compact control at the trailing edge (the date pickers).
QWidget* formControlRow(const QString& title, QWidget* control);

// A one-line text field of a form, without a frame of its own (the section is
// the frame).
QLineEdit* formTextField(const QString& placeholder, const QString& objectName);

// A row of help text with a leading symbol, in footnote size, secondary colour.
QWidget* formHelpRow(const QString& text, const QString& symbol);

// The platform's stepper: a title and two buttons, "−" and "+", that move an
// integer within [minimum, maximum] one step at a time; each button is
// disabled at its end of the range. The title is recomputed from the value.
class Stepper : public QWidget {
    Q_OBJECT
public:
    Stepper(int minimum, int maximum, int value, std::function<QString(int)> title,
            QWidget* parent = nullptr);

    int value() const { return value_; }
    void setValue(int value);
    Button* decrementButton() const { return minus_; }
    Button* incrementButton() const { return plus_; }
    TextLabel* titleLabel() const { return title_; }

signals:
    void valueChanged(int value);

private:
    void refresh();

    int minimum_;
    int maximum_;
    int value_;
    std::function<QString(int)> titleFor_;
    TextLabel* title_;
    Button* minus_;
    Button* plus_;
};

// The date pickers work on wall-clock time in the ledger's zone; these turn a
// moment into the picker's plain local value and back.
QDateTime wallClock(const QDateTime& moment, const QTimeZone& zone);
QDateTime fromWallClock(const QDateTime& wall, const QTimeZone& zone);
