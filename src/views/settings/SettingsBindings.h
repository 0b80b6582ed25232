#pragma once

#include <QString>

#include "components/TileButton.h"

class MoneyCard;
class QVBoxLayout;
class TextLabel;
class ToggleRow;

// Controls bound to one key of the standard preferences: a change by the user
// writes the key at once, and any writer's change (a family refresh, another
// screen) shows at once. The screen keeps no copy of the value.

// A titled switch for a Bool key, named "toggle_<key>".
ToggleRow* preferenceToggle(const QString& title, const QString& key, bool fallback);

// A row that shows a picker's title and its current choice and opens the
// choices when tapped (named "picker_<key>"); the screen decides how.
class PickerRow : public TileButton {
    Q_OBJECT
public:
    explicit PickerRow(const QString& title, QWidget* parent = nullptr);

    void setValueText(const QString& text);
    TextLabel* titleLabel() const { return title_; }
    TextLabel* valueLabel() const { return value_; }

private:
    TextLabel* title_;
    TextLabel* value_;
};

// The stored text of a key, or its default while absent.
QString storedPreference(const QString& key, const QString& fallback);

// The column of a settings card's rows, added to the card.
QVBoxLayout* cardColumn(MoneyCard* card);
