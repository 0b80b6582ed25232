#pragma once

#include "components/Theme.h"

#include <QAbstractButton>
#include <optional>

class TextLabel;

// The platform's switch: a checkable button; the track is the accent when on.
class Toggle : public QAbstractButton {
    Q_OBJECT
public:
    explicit Toggle(QWidget* parent = nullptr);

    void setTint(const QColor& color);
    QColor tint() const;

    QSize sizeHint() const override { return {51, 31}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    std::optional<QColor> tint_;
};

// A row with a title at the leading edge and a switch at the trailing edge,
// as the platform shows a titled toggle. Clicking the title flips it too.
//
//   auto* row = new ToggleRow("Скрывать суммы");
//   row->setChecked(prefs.boolean("hideBalances", false));
//   connect(row, &ToggleRow::toggled, [](bool on) { prefs.setValue("hideBalances", on); });
class ToggleRow : public QWidget {
    Q_OBJECT
public:
    explicit ToggleRow(const QString& title, QWidget* parent = nullptr);

    Toggle* toggle() const { return toggle_; }
    TextLabel* titleLabel() const { return title_; }
    bool isChecked() const;
    // Sets without emitting toggled().
    void setChecked(bool on);

signals:
    // Only on a change by the user.
    void toggled(bool on);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TextLabel* title_;
    Toggle* toggle_;
};
