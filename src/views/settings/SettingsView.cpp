#include "views/settings/SettingsView.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/MoneyCard.h"
#include "components/NavigationStack.h"
#include "components/PageBody.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"
#include "platform/NotificationCenter.h"
#include "platform/PlatformServices.h"
#include "services/GlobalPreferences.h"
#include "services/PickerTitles.h"
#include "services/Preferences.h"
#include "views/settings/AppearanceCard.h"
#include "views/settings/FinanceCard.h"
#include "views/settings/SecurityCard.h"
#include "views/settings/SettingsBindings.h"
#include "views/settings/SettingsStyle.h"

namespace {

const QString kProfileKey = QStringLiteral("profileName");
const QString kCurrencyKey = QString::fromLatin1(GlobalPreferences::kCurrencyCodeKey);

// A title at the leading edge and its value at the trailing edge.
QWidget* labeledRow(const QString& title, TextLabel* value) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(new TextLabel(title, TextStyle::Body));
    value->setColorRole(ColorRole::SecondaryLabel);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setWordWrap(true);
    line->addWidget(value, 1);
    return row;
}

}  // namespace

SettingsView::SettingsView(MoneyStore& store, AppLockModel& appLock, const PlatformServices& services,
                           QWidget* parent)
    : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("settingsView"));
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(settings_style::cardSpacing);
    security_ = new SecurityCard(appLock, services.haptics);
    appearance_ = new AppearanceCard(services.appIcons);
    finance_ = new FinanceCard(store, services.haptics);
    for (QWidget* card :
         {buildProfileCard(), static_cast<QWidget*>(security_), static_cast<QWidget*>(appearance_),
          static_cast<QWidget*>(finance_), buildComfortCard(), buildAboutCard()})
        stack->addWidget(card);
    connect(&Preferences::standard(), &Preferences::changed, this, &SettingsView::showPreferences);
}

NavigationPage* SettingsView::page(MoneyStore& store, AppLockModel& appLock,
                                   const PlatformServices& services) {
    auto* page = new NavigationPage(QStringLiteral("Настройки"));
    page->setObjectName(QStringLiteral("settingsPage"));
    auto* view = new SettingsView(store, appLock, services);
    page->body()->addWidget(view);
    connect(page, &NavigationPage::appeared, view, &SettingsView::appear);
    return page;
}

void SettingsView::appear() {
    finance_->fill();
    security_->refreshBiometrics();
}

QWidget* SettingsView::buildProfileCard() {
    auto* card = new MoneyCard(QStringLiteral("Профиль"), QStringLiteral("person.crop.circle.fill"));
    card->setObjectName(QStringLiteral("profileCard"));
    QVBoxLayout* rows = cardColumn(card);
    profile_ = new QLineEdit(storedPreference(kProfileKey, QString()));
    profile_->setObjectName(QStringLiteral("profileField"));
    profile_->setPlaceholderText(QStringLiteral("Как тебя называть?"));
    profile_->setAccessibleName(profile_->placeholderText());
    // Each keystroke is written; the field itself is never reset by our own write.
    connect(profile_, &QLineEdit::textEdited, this,
            [](const QString& text) { Preferences::standard().setValue(kProfileKey, text); });
    rows->addWidget(profile_);
    rows->addWidget(addToggle(QStringLiteral("Скрывать суммы"), QStringLiteral("hideBalances"), false));
    return card;
}

QWidget* SettingsView::buildComfortCard() {
    auto* card = new MoneyCard(QStringLiteral("Удобство"), QStringLiteral("hand.tap.fill"));
    card->setObjectName(QStringLiteral("comfortCard"));
    QVBoxLayout* rows = cardColumn(card);
    rows->addWidget(addToggle(QStringLiteral("Тактильный отклик"), QStringLiteral("hapticsEnabled"), true));
    rows->addWidget(addToggle(QStringLiteral("Компактные карточки"), QStringLiteral("compactMode"), false));
    rows->addWidget(addToggle(QStringLiteral("Умные подсказки"), QStringLiteral("showSmartTips"), true));
    notify_ = new Button(QStringLiteral("Включить уведомления о целях"), Button::Style::Plain,
                         QStringLiteral("bell.badge.fill"));
    notify_->setObjectName(QStringLiteral("notificationsButton"));
    // A size smaller keeps the whole label on one line at the phone's width.
    notify_->setTextStyle(TextStyle::Subheadline);
    connect(notify_, &QAbstractButton::clicked, this, &SettingsView::requestNotifications);
    rows->addWidget(notify_, 0, Qt::AlignLeft);
    notifyStatus_ = new TextLabel(QString(), TextStyle::Caption, ColorRole::SecondaryLabel);
    notifyStatus_->setObjectName(QStringLiteral("notificationsStatus"));
    notifyStatus_->setWordWrap(true);
    notifyStatus_->hide();
    rows->addWidget(notifyStatus_);
    return card;
}

QWidget* SettingsView::buildAboutCard() {
    auto* card = new MoneyCard(QStringLiteral("О приложении"), QStringLiteral("info.circle.fill"));
    card->setObjectName(QStringLiteral("aboutCard"));
    QVBoxLayout* rows = cardColumn(card);
    auto* version = new TextLabel(QStringLiteral("1.5"));
    version->setObjectName(QStringLiteral("aboutVersion"));
    rows->addWidget(labeledRow(QStringLiteral("Версия"), version));
    aboutCurrency_ = new TextLabel;
    aboutCurrency_->setObjectName(QStringLiteral("aboutCurrency"));
    rows->addWidget(labeledRow(QStringLiteral("Валюта"), aboutCurrency_));
    auto* caption =
        new TextLabel(QStringLiteral("Все записи хранятся только на устройстве и остаются после обновления."),
                      TextStyle::Caption, ColorRole::SecondaryLabel);
    caption->setWordWrap(true);
    rows->addWidget(caption);
    showPreferences(kCurrencyKey);
    return card;
}

ToggleRow* SettingsView::addToggle(const QString& title, const QString& key, bool fallback) {
    ToggleRow* row = preferenceToggle(title, key, fallback);
    toggles_.insert(key, row);
    return row;
}

void SettingsView::showPreferences(const QString& key) {
    if (key == kProfileKey) {
        const QString name = storedPreference(kProfileKey, QString());
        if (profile_->text() != name) profile_->setText(name);
    } else if (key == kCurrencyKey) {
        aboutCurrency_->setText(PickerTitles::currency(
            storedPreference(kCurrencyKey, QString::fromLatin1(GlobalPreferences::kDefaultCurrencyCode))));
    }
}

void SettingsView::requestNotifications() {
    // An answer that comes after the screen closed has nowhere to go.
    QPointer<SettingsView> self(this);
    services_.notifications.requestPermission([self](bool granted) {
        if (!self) return;
        self->notifyStatus_->setText(
            granted ? QStringLiteral("Уведомления включены")
                    : QStringLiteral("Разрешение не выдано — его можно изменить в настройках iPhone"));
        self->notifyStatus_->setColorRole(granted ? ColorRole::Green : ColorRole::SecondaryLabel);
        self->notifyStatus_->show();
    });
}
