#include <QLineEdit>
#include <QScrollBar>

#include "components/Button.h"
#include "components/ListPickerSheet.h"
#include "components/SegmentedControl.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"
#include "lock/AppLockModel.h"
#include "services/PickerTitles.h"
#include "support/FakePlatform.h"
#include "views/ledger/DashboardFixture.h"
#include "views/settings/AppearanceCard.h"
#include "views/settings/FinanceCard.h"
#include "views/settings/SecurityCard.h"
#include "views/settings/SettingsBindings.h"
#include "views/settings/SettingsView.h"

namespace {

class SettingsTest : public DashboardFixture {
protected:
    // The page as the planner pushes it, shown as the top of a stack.
    SettingsView& show(const MoneyData& data = MoneyData::emptyLedger()) {
        open(data);
        lock =
            std::make_unique<AppLockModel>(platform.keychain, Preferences::standard(), &platform.biometrics);
        page = SettingsView::page(*store, *lock, platform.services);
        showInWindow(page);
        view = page->findChild<SettingsView*>();
        return *view;
    }
    void storeCode() {
        platform.keychain.items.insert({AppLockModel::kKeychainService, AppLockModel::kKeychainAccount},
                                       "1234");
        setPreference(AppLockModel::kPasscodeSetKey, true);
    }
    SecurityCard& security() const { return *view->securityCard(); }
    AppearanceCard& appearance() const { return *view->appearanceCard(); }
    FinanceCard& finance() const { return *view->financeCard(); }
    static QString stored(const QString& key) { return Preferences::standard().value(key).toString(); }

    FakePlatform platform;
    std::unique_ptr<AppLockModel> lock;
    NavigationPage* page = nullptr;
    SettingsView* view = nullptr;
};

TEST_F(SettingsTest, EachControlWritesItsKeyWithItsTagAndShowsAnOutsideWrite) {
    storeCode();
    show();
    ASSERT_TRUE(lock->unlock("1234"));
    settle();
    const auto toggleClick = [this](const char* key) {
        return [this, key] { click(view->toggle(key)->toggle()); };
    };
    const auto pick = [this](const char* key, const char* value) {
        return [this, key, value] { appearance().openPicker(key)->pick(value); };
    };
    const struct {
        std::function<void()> act;
        const char* key;
        QVariant tag;
    } rows[] = {
        {[this] { type(view->profileField(), "Аня"); }, "profileName", "Аня"},
        {toggleClick("hideBalances"), "hideBalances", true},
        {toggleClick("hapticsEnabled"), "hapticsEnabled", false},
        {toggleClick("compactMode"), "compactMode", true},
        {toggleClick("showSmartTips"), "showSmartTips", false},
        {[this] { click(security().biometricsToggle()->toggle()); }, "biometricsEnabled", false},
        {[this] { click(appearance().themePicker()->segment("light")); }, "appTheme", "light"},
        {pick("currencyCode", "USD"), "currencyCode", "USD"},
        {pick("appLanguage", "en"), "appLanguage", "en"},
        {pick("appLanguage", "auto"), "appLanguage", "auto"},
        {pick("accentTheme", "pink"), "accentTheme", "pink"},
        {pick("selectedAppIcon", "AppIcon2D"), "selectedAppIcon", "AppIcon2D"},
    };
    for (const auto& row : rows) {
        row.act();
        settle();
        EXPECT_EQ(stored(row.key), row.tag.toString()) << row.key;
    }
    // Typing inside the name keeps the cursor where it is: each write is not read back.
    view->profileField()->setFocus();
    view->profileField()->setCursorPosition(1);
    typeText(view->profileField(), "н");
    EXPECT_EQ(stored("profileName"), "Ання");
    EXPECT_TRUE(view->profileField()->hasFocus());
    EXPECT_EQ(view->profileField()->cursorPosition(), 2);

    // A family refresh writes behind the screen's back.
    setPreference("currencyCode", "RUB");
    setPreference("hideBalances", false);
    setPreference("profileName", "Борис");
    EXPECT_EQ(appearance().pickerRow("currencyCode")->valueLabel()->text(), PickerTitles::currency("RUB"));
    EXPECT_FALSE(view->toggle("hideBalances")->isChecked());
    EXPECT_EQ(view->profileField()->text(), "Борис");
}

TEST_F(SettingsTest, DarkThemeAndACurrencyPickTakeEffectAtOnce) {
    show();
    click(appearance().themePicker()->segment("dark"));
    EXPECT_TRUE(Theme::current().isDark());
    appearance().openPicker("currencyCode")->pick("EUR");
    settle();
    EXPECT_EQ(view->aboutCurrency()->text(), PickerTitles::currency("EUR"));
    for (TextLabel* code : finance().currencyLabels()) EXPECT_EQ(code->text(), "EUR");
}

TEST_F(SettingsTest, IconChangeAsksOnlyOnAChangeAndShowsTheAnswer) {
    show();
    EXPECT_TRUE(platform.appIcons.requested.isEmpty());  // never on first show
    TextLabel* error = appearance().iconErrorLabel();
    const struct {
        bool supported;
        std::optional<QString> failure;
        const char* pick;
        const char* asked;  // null: the platform is not asked
        const char* shown;  // empty: no error line
    } rows[] = {
        {false, {}, "AppIconNeon", nullptr, "Смена иконки не поддерживается на этом устройстве."},
        {true, QString("Нет такой иконки"), "AppIconViolet", "AppIconViolet", "Нет такой иконки"},
        {true, {}, "default", "", ""},
    };
    for (const auto& row : rows) {
        platform.appIcons.supported = row.supported;
        platform.appIcons.failure = row.failure;
        platform.appIcons.requested.clear();
        appearance().openPicker("selectedAppIcon")->pick(row.pick);
        settle();
        EXPECT_EQ(stored("selectedAppIcon"), row.pick);
        EXPECT_EQ(platform.appIcons.requested, row.asked ? QStringList{row.asked} : QStringList{})
            << row.pick;
        EXPECT_EQ(error->isVisibleTo(view), *row.shown != 0) << row.pick;
        EXPECT_EQ(error->text(), QString::fromUtf8(row.shown));
    }
}

TEST_F(SettingsTest, SecurityCardCreatesChangesAndRemovesTheCode) {
    show();
    const int checks = platform.biometrics.availabilityChecks;
    EXPECT_EQ(security().statusTitle()->text(), "Код не установлен");
    EXPECT_EQ(security().passcodeButton()->text(), "Создать код");
    EXPECT_FALSE(security().biometricsToggle()->isVisibleTo(view));
    EXPECT_FALSE(security().removeButton()->isVisibleTo(view));
    EXPECT_FALSE(Gallery::save(*window, "settings-without-code").isEmpty());

    click(security().passcodeButton());
    ASSERT_TRUE(security().passcodeSheet());
    EXPECT_EQ(security().passcodeSheet()->objectName(), "passcodeSheet_create");
    ASSERT_TRUE(lock->setPasscode("2468"));  // as the setup screen stores it
    security().passcodeSheet()->dismiss(Sheet::DismissReason::Swipe);
    settle();
    EXPECT_FALSE(security().passcodeSheet());
    EXPECT_EQ(security().statusTitle()->text(), "Копилка защищена");
    EXPECT_TRUE(security().biometricsToggle()->isVisibleTo(view));
    EXPECT_TRUE(security().removeButton()->isVisibleTo(view));
    EXPECT_FALSE(Gallery::save(*window, "settings-with-code").isEmpty());

    click(security().passcodeButton());
    EXPECT_EQ(security().passcodeSheet()->objectName(), "passcodeSheet_change");
    security().passcodeSheet()->dismiss();
    settle();

    // Typing elsewhere never asks the bus; only the code coming did.
    typeText(view->profileField(), "Аня");
    EXPECT_EQ(platform.biometrics.availabilityChecks, checks + 1);

    platform.keychain.failRemoves = true;
    click(security().removeButton());
    ASSERT_TRUE(currentAlert());
    EXPECT_EQ(currentAlert()->title(), "Убрать защиту?");
    currentAlert()->press(1);
    settle();
    EXPECT_TRUE(lock->hasPasscode());
    EXPECT_EQ(security().statusTitle()->text(), "Копилка защищена");
    EXPECT_TRUE(security().errorLabel()->isVisibleTo(view));
    EXPECT_EQ(security().errorLabel()->text(), AppLockModel::kRemoveFailedText);

    platform.keychain.failRemoves = false;
    click(security().removeButton());
    currentAlert()->press(1);
    settle();
    EXPECT_FALSE(lock->hasPasscode());
    EXPECT_EQ(security().statusTitle()->text(), "Код не установлен");
    EXPECT_FALSE(security().errorLabel()->isVisibleTo(view));
    EXPECT_FALSE(security().removeButton()->isVisibleTo(view));
}

TEST_F(SettingsTest, FinanceFieldsParseSaveAndReportAFailedWrite) {
    show();
    for (QLineEdit* field :
         {finance().goalAmountField(), finance().dailyLimitField(), finance().startingBalanceField()})
        EXPECT_EQ(field->text(), "0");
    EXPECT_TRUE(finance().nameField()->text().isEmpty());
    const struct {
        const char* text;
        bool enabled;
    } parses[] = {{"", false}, {"12abc", false}, {"1e3", false}, {"-5", true}, {"0", true}, {"12,5", true}};
    for (const auto& row : parses) {
        type(finance().dailyLimitField(), row.text);
        EXPECT_EQ(finance().saveButton()->isEnabled(), row.enabled) << row.text;
    }

    type(finance().nameField(), "  Велосипед  ");
    type(finance().goalAmountField(), "-5");
    type(finance().startingBalanceField(), "-5");
    click(finance().saveButton());
    click(finance().saveButton());
    EXPECT_EQ(store->data().goalName, "Велосипед");
    EXPECT_EQ(store->data().goalAmount, Decimal(0));
    EXPECT_EQ(store->data().dailyLimit, *Decimal::parse("12.5"));
    EXPECT_EQ(store->data().startingBalance, Decimal(-5));
    EXPECT_EQ(finance().goalAmountField()->text(), "-5");
    EXPECT_EQ(platform.haptics.count(Haptics::Feedback::success), 2);

    breakWrites();
    click(finance().saveButton());
    EXPECT_EQ(platform.haptics.count(Haptics::Feedback::success), 2);
    EXPECT_EQ(platform.haptics.count(Haptics::Feedback::error), 1);
    // Each save's outcome goes to the haptics as a confirmation the desktop shows.
    EXPECT_EQ(platform.haptics.saveMessages, (QStringList{"Сохранено", "Сохранено", "Ошибка сохранения"}));
    ASSERT_TRUE(currentAlert());
    EXPECT_EQ(currentAlert()->title(), "Ошибка сохранения");
    currentAlert()->press(0);
    settle();
    EXPECT_FALSE(store->saveError());
}

TEST_F(SettingsTest, NotificationAnswersAreShownUnlessTheScreenClosed) {
    show();
    for (const bool granted : {true, false}) {
        platform.notifications.permitted = granted;
        click(view->notificationsButton());
        settle();
        EXPECT_TRUE(view->notificationsStatus()->isVisibleTo(view));
        EXPECT_EQ(view->notificationsStatus()->text(),
                  granted ? "Уведомления включены"
                          : "Разрешение не выдано — его можно изменить в настройках iPhone");
    }
    QPointer<SettingsView> view = this->view;
    view->requestNotifications();
    closeWindow();  // the answer comes to a screen that is gone
    settle();
    EXPECT_FALSE(view.data());
}

TEST_F(SettingsTest, GalleryImagesInTheDark) {
    storeCode();
    platform.biometrics.available = false;
    show();
    ASSERT_TRUE(lock->unlock("1234"));
    setPreference("appTheme", "dark");
    Theme::current().refresh();
    settle();
    expectFitsWidth(page->body());
    EXPECT_FALSE(security().biometricsToggle()->isVisibleTo(view));  // no reader
    EXPECT_TRUE(security().removeButton()->isVisibleTo(view));
    QScrollBar* scroll = page->body()->verticalScrollBar();
    for (const int part : {0, 1, 2}) {
        scroll->setValue(scroll->maximum() * part / 2);
        EXPECT_FALSE(Gallery::save(*window, "settings-dark-" + QString::number(part)).isEmpty());
    }
}

}  // namespace
