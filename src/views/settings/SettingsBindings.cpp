#include "views/settings/SettingsBindings.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/MoneyCard.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"
#include "services/Preferences.h"
#include "views/settings/SettingsStyle.h"

ToggleRow* preferenceToggle(const QString& title, const QString& key, bool fallback) {
    auto* row = new ToggleRow(title);
    row->setObjectName(QStringLiteral("toggle_") + key);
    row->setAccessibleName(title);
    Preferences& preferences = Preferences::standard();
    row->setChecked(preferences.boolean(key, fallback));
    QObject::connect(row, &ToggleRow::toggled, row,
                     [key](bool on) { Preferences::standard().setValue(key, on); });
    QObject::connect(&preferences, &Preferences::changed, row, [row, key, fallback](const QString& changed) {
        if (changed == key) row->setChecked(Preferences::standard().boolean(key, fallback));
    });
    return row;
}

PickerRow::PickerRow(const QString& title, QWidget* parent)
    : TileButton(ColorRole::Fill, 0, Spacing::controlRadius, parent) {
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, settings_style::pickerRowPadding, 0, settings_style::pickerRowPadding);
    line->setSpacing(settings_style::pickerValueGap);
    title_ = new TextLabel(title, TextStyle::Body);
    value_ = new TextLabel(QString(), TextStyle::Body, ColorRole::Accent);
    // Every value in the body size: a long currency title wraps between its
    // words rather than shrink below its neighbours or push the row out.
    value_->setWordWrap(true);
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QSizePolicy valuePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    valuePolicy.setHeightForWidth(true);  // its wrapped lines set the row's height
    value_->setSizePolicy(valuePolicy);
    auto* chevron = new SymbolView(QStringLiteral("chevron.right"), settings_style::chevronSize);
    chevron->setTint(ColorRole::TertiaryLabel);
    line->addWidget(title_);
    line->addWidget(value_, 1);
    line->addWidget(chevron);
    makeChildrenTransparent();
    // As tall as a wrapped value needs (a tile keeps its hinted height otherwise).
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    setAccessibleName(title);
}

void PickerRow::setValueText(const QString& text) {
    value_->setText(text);
    setAccessibleDescription(text);
}

QString storedPreference(const QString& key, const QString& fallback) {
    return Preferences::standard().string(key, fallback);
}

QVBoxLayout* cardColumn(MoneyCard* card) {
    auto* column = new QWidget;
    auto* rows = new QVBoxLayout(column);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(settings_style::rowSpacing);
    card->addWidget(column);
    return rows;
}
