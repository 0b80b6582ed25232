#include "views/settings/AppearanceCard.h"

#include <QVBoxLayout>

#include "components/ListPickerSheet.h"
#include "components/SegmentedControl.h"
#include "components/TextLabel.h"
#include "platform/AppIcons.h"
#include "services/GlobalPreferences.h"
#include "services/PickerTitles.h"
#include "services/Preferences.h"
#include "views/settings/SettingsBindings.h"
#include "views/settings/SettingsStyle.h"

namespace {

const QString kThemeKey = QStringLiteral("appTheme");
const QString kCurrencyKey = QString::fromLatin1(GlobalPreferences::kCurrencyCodeKey);
const QString kLanguageKey = QString::fromLatin1(GlobalPreferences::kAppLanguageKey);
const QString kAccentKey = QStringLiteral("accentTheme");
const QString kIconKey = QStringLiteral("selectedAppIcon");
const QString kDefaultIcon = QStringLiteral("default");

struct Choice {
    const char* tag;
    const char* title;
};

const Choice kThemes[] = {{"system", "Как в iPhone"}, {"light", "Светлая"}, {"dark", "Тёмная"}};
const Choice kAccents[] = {{"teal", "Бирюза"},
                           {"lime", "Лайм"},
                           {"purple", "Фиолетовый"},
                           {"orange", "Оранжевый"},
                           {"pink", "Розовый"}};
const Choice kIcons[] = {{"default", "Золотая 3D"},
                         {"AppIconNeon", "Неоновая"},
                         {"AppIconViolet", "Фиолетовая"},
                         {"AppIcon2D", "Плоская 2D"}};

template <std::size_t N>
QList<ListPickerEntry> entries(const Choice (&choices)[N]) {
    QList<ListPickerEntry> rows;
    for (const Choice& choice : choices)
        rows.append({QString::fromLatin1(choice.tag), QString::fromUtf8(choice.title)});
    return rows;
}

// The row title of a stored value; a value no row carries shows as stored.
QString titleOf(const QList<ListPickerEntry>& rows, const QString& value) {
    for (const ListPickerEntry& row : rows)
        if (row.value == value) return row.title;
    return value;
}

struct PickerKind {
    QString key;
    QString title;
    QString fallback;
};

const PickerKind kPickers[] = {
    {kCurrencyKey, QStringLiteral("Валюта"), QString::fromLatin1(GlobalPreferences::kDefaultCurrencyCode)},
    {kLanguageKey, QStringLiteral("Язык приложения"), QString::fromLatin1(GlobalPreferences::kAutoLanguage)},
    {kAccentKey, QStringLiteral("Акцент"), QStringLiteral("teal")},
    {kIconKey, QStringLiteral("Иконка"), kDefaultIcon},
};

const PickerKind& pickerKind(const QString& key) {
    for (const PickerKind& kind : kPickers)
        if (kind.key == key) return kind;
    return kPickers[0];
}

QList<ListPickerEntry> choicesFor(const QString& key) {
    if (key == kCurrencyKey) return currencyPickerEntries();
    if (key == kLanguageKey) return languagePickerEntries();
    if (key == kAccentKey) return entries(kAccents);
    return entries(kIcons);
}

QString valueTitle(const QString& key, const QString& value) {
    if (key == kCurrencyKey) return PickerTitles::currency(value);
    if (key == kLanguageKey) return PickerTitles::language(value);
    return titleOf(choicesFor(key), value);
}

}  // namespace

AppearanceCard::AppearanceCard(AppIcons& icons, QWidget* parent)
    : MoneyCard(QStringLiteral("Оформление"), QStringLiteral("paintpalette.fill"), nullptr, parent),
      icons_(icons) {
    setObjectName(QStringLiteral("appearanceCard"));
    QVBoxLayout* rows = cardColumn(this);

    auto* themeTitle = new TextLabel(QStringLiteral("Тема"), TextStyle::Body);
    rows->addWidget(themeTitle);
    theme_ = new SegmentedControl;
    theme_->setObjectName(QStringLiteral("themePicker"));
    theme_->setAccessibleName(QStringLiteral("Тема"));
    for (const Choice& choice : kThemes)
        theme_->addSegment(QString::fromUtf8(choice.title), QString::fromLatin1(choice.tag));
    connect(theme_, &SegmentedControl::currentTagChanged, this, [](const QString& tag) {
        if (storedPreference(kThemeKey, QStringLiteral("system")) != tag)
            Preferences::standard().setValue(kThemeKey, tag);
    });
    rows->addWidget(theme_);

    for (const PickerKind& kind : kPickers) {
        auto* row = new PickerRow(kind.title);
        row->setObjectName(QStringLiteral("picker_") + kind.key);
        const QString key = kind.key;
        connect(row, &QAbstractButton::clicked, this, [this, key] { openPicker(key); });
        rows_.insert(key, row);
        rows->addWidget(row);
    }

    iconError_ = new TextLabel(QString(), TextStyle::Caption, ColorRole::Red);
    iconError_->setObjectName(QStringLiteral("iconError"));
    iconError_->setWordWrap(true);
    iconError_->hide();
    rows->addWidget(iconError_);

    shownIcon_ = storedPreference(kIconKey, kDefaultIcon);
    showValues();
    connect(&Preferences::standard(), &Preferences::changed, this, &AppearanceCard::preferenceChanged);
}

ListPickerSheet* AppearanceCard::openPicker(const QString& key) {
    if (picker_ || !rows_.contains(key)) return picker_;
    const PickerKind& kind = pickerKind(key);
    picker_ =
        ListPickerSheet::present(this, kind.title, choicesFor(key), storedPreference(key, kind.fallback));
    if (picker_)
        connect(picker_, &ListPickerSheet::picked, this,
                [key](const QString& value) { Preferences::standard().setValue(key, value); });
    return picker_;
}

void AppearanceCard::preferenceChanged(const QString& key) {
    if (key != kThemeKey && !rows_.contains(key)) return;
    showValues();
    if (key != kIconKey) return;
    const QString icon = storedPreference(kIconKey, kDefaultIcon);
    if (icon == shownIcon_) return;  // a write of the same value is no change
    shownIcon_ = icon;
    changeIcon(icon);
}

void AppearanceCard::showValues() {
    theme_->setCurrentTag(storedPreference(kThemeKey, QStringLiteral("system")));
    for (const PickerKind& kind : kPickers)
        rows_.value(kind.key)->setValueText(valueTitle(kind.key, storedPreference(kind.key, kind.fallback)));
}

void AppearanceCard::changeIcon(const QString& name) {
    if (!icons_.supportsAlternateIcons()) {
        setIconError(QStringLiteral("Смена иконки не поддерживается на этом устройстве."));
        return;
    }
    QPointer<AppearanceCard> self(this);
    icons_.setAlternateIconName(name == kDefaultIcon ? QString() : name,
                                [self](std::optional<QString> error) {
                                    if (self) self->setIconError(error);
                                });
}

void AppearanceCard::setIconError(const std::optional<QString>& error) {
    iconError_->setText(error.value_or(QString()));
    iconError_->setVisible(error.has_value());
}
