#pragma once

#include <QHash>
#include <QPointer>
#include <optional>

#include "components/MoneyCard.h"

class AppIcons;
class ListPickerSheet;
class PickerRow;
class SegmentedControl;
class TextLabel;

// "Оформление": the theme (segmented), then the currency, language, accent
// and icon pickers, each a row showing its current choice that opens an
// in-window list sheet; under them the last app-icon error in red.
//
// Every control writes its preference at once with its tag. A change of
// "selectedAppIcon" (by any writer, never the first show) asks the platform to
// change the icon; the preference keeps the pick whatever the answer.
class AppearanceCard : public MoneyCard {
    Q_OBJECT
public:
    AppearanceCard(AppIcons& icons, QWidget* parent = nullptr);

    SegmentedControl* themePicker() const { return theme_; }
    // The rows by key: "currencyCode", "appLanguage", "accentTheme", "selectedAppIcon".
    PickerRow* pickerRow(const QString& key) const { return rows_.value(key); }
    // Opens the choices of a row's key, as a tap on the row does.
    ListPickerSheet* openPicker(const QString& key);
    TextLabel* iconErrorLabel() const { return iconError_; }

private:
    void preferenceChanged(const QString& key);
    void showValues();
    void changeIcon(const QString& name);
    void setIconError(const std::optional<QString>& error);

    AppIcons& icons_;
    SegmentedControl* theme_;
    QHash<QString, PickerRow*> rows_;
    TextLabel* iconError_;
    QString shownIcon_;
    QPointer<ListPickerSheet> picker_;
};
