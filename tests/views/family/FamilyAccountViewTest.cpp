#include "views/shell/ShellFixture.h"

#include "components/Button.h"
#include "components/ListPickerSheet.h"
#include "components/PageBody.h"
#include "components/TabView.h"
#include "components/TextLabel.h"
#include "services/CurrencyCatalog.h"
#include "services/LanguageCatalog.h"
#include "services/PickerTitles.h"
#include "views/family/ChildFamilyView.h"
#include "views/family/FamilyAccountView.h"
#include "views/family/ParentFamilyView.h"
#include "views/shell/RootView.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScrollBar>
#include <QLineEdit>
#include <QListView>
#include <QMenu>

using namespace shelltest;

namespace {

class FamilyTest : public ShellTest {
protected:
    FamilyAccountView* showFamily() {
        auto* page = new FamilyAccountView(account(), services);
        stack = new NavigationStack(page);
        showInWindow(stack);
        family = page;
        return page;
    }
    // Key clicks cannot carry Cyrillic; the field takes the text as typed.
    void type(QLineEdit* field, const QString& text) {
        field->clear();
        field->insert(text);
    }
    int restores() const { return int(server.requestsTo("GET", "/api/auth/me").size()); }
    QList<QJsonObject> preferenceRequests() const {
        QList<QJsonObject> bodies;
        for (const auto& r : server.requestsTo("PATCH", "/api/preferences"))
            bodies << QJsonDocument::fromJson(r.body).object();
        return bodies;
    }
    // Picks a row as a tap does; the picker's sheet closes.
    void pick(ListPickerSheet* picker, const QString& value) {
        const QModelIndex row = picker->listView()->model()->index(picker->visibleValues().indexOf(value), 0);
        ASSERT_TRUE(row.isValid()) << value.toStdString();
        QTest::mouseClick(picker->listView()->viewport(), Qt::LeftButton, {},
                          picker->listView()->visualRect(row).center());
        settle();
    }
    QRect windowArea() const { return QRect(window()->mapToGlobal(QPoint()), window()->size()); }

    NavigationStack* stack = nullptr;
    FamilyAccountView* family = nullptr;
};

}  // namespace

TEST(SignInRuleTest, ButtonNeedsAnEmailAnEightCharacterPasswordAndNoSignInRunning) {
    EXPECT_FALSE(FamilyAccountView::canSignIn("", "12345678", false));
    EXPECT_FALSE(FamilyAccountView::canSignIn("a@b.ru", "1234567", false));
    EXPECT_TRUE(FamilyAccountView::canSignIn("a@b.ru", "12345678", false));
    EXPECT_TRUE(FamilyAccountView::canSignIn("   ", "12345678", false)) << "blanks count as an e-mail";
    EXPECT_TRUE(FamilyAccountView::canSignIn("a", "        ", false)) << "blanks count as characters";
    EXPECT_FALSE(FamilyAccountView::canSignIn("a@b.ru", "12345678", true));
    // Characters as a reader counts them: seven emoji are seven characters.
    EXPECT_FALSE(FamilyAccountView::canSignIn("a", QString::fromUtf8("😀😀😀😀😀😀😀"), false));
    EXPECT_TRUE(FamilyAccountView::canSignIn("a", QString::fromUtf8("пароль12"), false));
}

TEST_F(FamilyTest, FormEnablesTheButtonAsTypedAndSendsTheTextsUnchanged) {
    showFamily();
    EXPECT_EQ(family->title(), "Мои задания");
    EXPECT_EQ(family->findChild<TextLabel*>("versionCaption")->text(), "Версия: Ребёнок");
    EXPECT_EQ(family->findChild<TextLabel*>("signInHint")->text(), "Войдите в аккаунт с сайта 127.0.0.1");
    EXPECT_EQ(family->emailField()->placeholderText(), "Электронная почта");
    EXPECT_EQ(family->passwordField()->placeholderText(), "Пароль");
    EXPECT_EQ(family->passwordField()->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(family->signInButton()->isEnabled());
    EXPECT_FALSE(family->errorLabel()->isVisible());
    EXPECT_FALSE(family->preferencesButton()->isVisible()) << "no menu while signed out";
    saveGallery("family_sign_in_child");

    type(family->emailField(), " Anya@Family.ru ");
    type(family->passwordField(), "пароль1");
    EXPECT_FALSE(family->signInButton()->isEnabled());
    QTest::keyClicks(family->passwordField(), "!");
    EXPECT_TRUE(family->signInButton()->isEnabled());

    ScriptedResponse held = ScriptedResponse::json(200, authAnswer(kChildUser));
    held.held = true;
    server.on("POST", "/api/auth/login", held);
    click(family->signInButton());
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    EXPECT_EQ(family->signInButton()->text(), "Входим…");
    EXPECT_FALSE(family->signInButton()->isEnabled());
    saveGallery("family_sign_in_busy");

    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return account().user().has_value() && !account().isBusy(); }));
    const auto login = server.requestsTo("POST", "/api/auth/login");
    ASSERT_EQ(login.size(), 1);
    EXPECT_EQ(QJsonDocument::fromJson(login[0].body).object(),
              (QJsonObject{{"email", " Anya@Family.ru "}, {"password", "пароль1!"}}));
    settle();
    EXPECT_FALSE(family->loginView()->isVisible());
    ASSERT_TRUE(family->familyView());
    EXPECT_EQ(family->familyView()->objectName(), "childFamilyView");
    EXPECT_TRUE(family->preferencesButton()->isVisible());
}

TEST_F(FamilyTest, ErrorOfTheSessionShowsUnderThePasswordAndTypedTextSurvivesRedraws) {
    showFamily();
    type(family->emailField(), "anya@family.ru");
    account().setErrorMessage(QString("Неверный логин или пароль."));
    settle();
    EXPECT_TRUE(family->errorLabel()->isVisible());
    EXPECT_EQ(family->errorLabel()->text(), "Неверный логин или пароль.");
    EXPECT_EQ(family->emailField()->text(), "anya@family.ru");
    saveGallery("family_sign_in_error");
    account().setErrorMessage(std::nullopt);
    EXPECT_FALSE(family->errorLabel()->isVisible());
}

TEST_F(FamilyTest, RestoreRunsEachTimeTheFamilyTabIsShown) {
    saveSignIn();
    auto* root = showInWindow(new RootView(store(), appLock(), account(), services));
    ASSERT_TRUE(waitUntil([&] { return restores() == 1; }));
    click(root->tabView()->tabBar()->button("dashboard"));
    settle();
    EXPECT_EQ(restores(), 1);
    click(root->tabView()->tabBar()->button("family"));
    ASSERT_TRUE(waitUntil([&] { return restores() == 2; }));
}

TEST_F(FamilyTest, ChildBuildRoutesToTheChildScreenUnderItsTitle) {
    saveSignIn();
    showFamily();
    ASSERT_TRUE(family->familyView());
    EXPECT_EQ(family->familyView()->objectName(), "childFamilyView");
    EXPECT_EQ(family->title(), "Мои задания");
    EXPECT_FALSE(family->loginView()->isVisible());
    saveGallery("family_child_signed_in");

    // The restore started on show ends (with the family loaded) before signing out.
    ASSERT_TRUE(waitUntil([&] { return account().members().size() == 2; }));
    family->showCurrencyPicker();
    account().logout();
    settle();
    EXPECT_TRUE(overlays()->sheets().isEmpty()) << "no picking while signed out";
    EXPECT_FALSE(family->familyView());
    EXPECT_TRUE(family->loginView()->isVisible());
    EXPECT_FALSE(family->preferencesButton()->isVisible());
}

TEST_F(FamilyTest, ParentBuildRoutesToTheParentCenter) {
    setBuildRole("parent");
    showFamily();
    EXPECT_EQ(family->title(), "Семья");
    EXPECT_EQ(family->findChild<TextLabel*>("versionCaption")->text(), "Версия: Родитель");
    EXPECT_EQ(family->findChild<QWidget*>("signInBadge")->accessibleName(), "person.2.badge.gearshape.fill");
    saveGallery("family_sign_in_parent");

    signInThroughServer(kParentUser);
    settle();
    ASSERT_TRUE(family->familyView());
    EXPECT_EQ(family->familyView()->objectName(), "parentFamilyView");
    EXPECT_EQ(family->title(), "Родительский центр");
    saveGallery("family_parent_signed_in");
}

TEST_F(FamilyTest, TheLargeTitleScrollsAwayWithTheFormAndWithEitherFamilyScreen) {
    // Enough tasks for either family screen to scroll well past its title.
    QJsonObject answer = QJsonDocument::fromJson(kFamily).object();
    QJsonArray tasks;
    for (int i = 0; i < 12; ++i)
        tasks.append(QJsonObject{{"id", QStringLiteral("t%1").arg(i)},
                                 {"title", QStringLiteral("Задание %1").arg(i + 1)},
                                 {"reward_cents", 5000},
                                 {"status", "active"},
                                 {"child_user_id", "child-1"},
                                 {"child_nickname", "Аня"}});
    answer.insert("tasks", tasks);
    server.on("GET", "/api/family", ScriptedResponse::json(200, QJsonDocument(answer).toJson()));

    // Where every page puts its large title: the first row of the body, just
    // under the bar, at the page padding; and the inline title follows the scroll.
    const auto expectTitleIn = [&](PageBody* body, const QString& title, bool scrolls) {
        ASSERT_TRUE(body);
        TextLabel* large = family->largeTitleLabel();
        EXPECT_EQ(family->scrollingBody(), body);
        ASSERT_TRUE(body->content()->isAncestorOf(large));
        EXPECT_TRUE(large->isVisible());
        EXPECT_EQ(large->text(), title);
        const int barBottom = family->inlineTitleLabel()->parentWidget()->geometry().bottom() + 1;
        EXPECT_EQ(large->mapTo(family, QPoint()), QPoint(Spacing::pagePadding, barBottom));
        EXPECT_TRUE(family->inlineTitleLabel()->text().isEmpty());
        if (!scrolls) return;
        QScrollBar* bar = body->verticalScrollBar();
        ASSERT_GT(bar->maximum(), large->geometry().bottom());
        bar->setValue(bar->maximum());
        EXPECT_EQ(family->inlineTitleLabel()->text(), title);
        bar->setValue(0);
        EXPECT_TRUE(family->inlineTitleLabel()->text().isEmpty());
    };

    const struct {
        const char* role;
        QByteArray user;
        const char* title;
        const char* signedOutTitle;
        const char* gallery;
    } builds[] = {{"child", kChildUser, "Мои задания", "Мои задания", "family_child_scrolled"},
                  {"parent", kParentUser, "Родительский центр", "Семья", "family_parent_scrolled"}};
    for (const auto& build : builds) {
        SCOPED_TRACE(build.role);
        setBuildRole(build.role);
        showFamily();
        expectTitleIn(family->loginScroll(), build.signedOutTitle, false);
        signInThroughServer(build.user);
        ASSERT_TRUE(waitUntil([&] { return account().tasks().size() == 12; }));
        settle();
        ASSERT_TRUE(family->familyView());
        auto* parentCenter = qobject_cast<ParentFamilyView*>(family->familyView());
        auto* childScreen = qobject_cast<ChildFamilyView*>(family->familyView());
        PageBody* body = parentCenter ? parentCenter->body() : childScreen ? childScreen->body() : nullptr;
        expectTitleIn(body, build.title, true);
        for (const char* scheme : {"light", "dark"}) {
            Preferences::standard().setValue("appTheme", scheme);
            settle();
            body->verticalScrollBar()->setValue(300);
            settle();
            saveGallery(QStringLiteral("%1_%2").arg(build.gallery, scheme));
            body->verticalScrollBar()->setValue(0);
        }
        Preferences::standard().setValue("appTheme", "light");

        // Signing out hands the title back to the form before the family screen goes.
        QPointer<QWidget> screen(family->familyView());
        account().logout();
        settle();
        ASSERT_TRUE(screen.isNull());
        expectTitleIn(family->loginScroll(), build.signedOutTitle, false);
    }
}

TEST_F(FamilyTest, ChildBadgeSymbol) {
    showFamily();
    EXPECT_EQ(family->findChild<QWidget*>("signInBadge")->accessibleName(), "star.circle.fill");
}

TEST_F(FamilyTest, GlobeMenuAndBothPickersStayInsideTheWindowAndListTheCatalogues) {
    saveSignIn();
    Preferences::standard().setValue("currencyCode", "RUB");
    showFamily();
    click(family->preferencesButton());
    ASSERT_TRUE(family->preferencesMenu()->isVisible());
    EXPECT_TRUE(windowArea().contains(family->preferencesMenu()->geometry()));
    EXPECT_EQ(family->currencyAction()->text(), "Валюта\tRUB");
    EXPECT_EQ(family->languageAction()->text(), "Язык\tКак на устройстве");
    family->preferencesMenu()->hide();

    struct Case {
        ListPickerSheet* (FamilyAccountView::*open)();
        int rows;
        QString checked, title, gallery;
    };
    const QList<Case> cases = {
        {&FamilyAccountView::showCurrencyPicker, int(CurrencyCatalog::codes().size()), "RUB",
         PickerTitles::currency("RUB"), "family_currency_sheet"},
        {&FamilyAccountView::showLanguagePicker, int(LanguageCatalog::codes().size()) + 1, "auto",
         "Как на устройстве", "family_language_sheet"}};
    for (const Case& c : cases) {
        ListPickerSheet* picker = (family->*c.open)();
        settle();
        Sheet* sheet = Sheet::of(picker);
        ASSERT_TRUE(sheet);
        EXPECT_TRUE(windowArea().contains(QRect(sheet->mapToGlobal(QPoint()), sheet->size())));
        EXPECT_EQ(picker->visibleValues().size(), c.rows);
        const QModelIndex current =
            picker->listView()->model()->index(picker->visibleValues().indexOf(c.checked), 0);
        EXPECT_EQ(current.data().toString(), c.title);
        EXPECT_TRUE(picker->listView()->viewport()->rect().contains(picker->listView()->visualRect(current)))
            << "scrolled to the current row";
        saveGallery(c.gallery);
        sheet->dismiss();
        settle();
    }
}

TEST(LanguageRowTest, TitlesAreCapitalisedNamesOrTheCodeItself) {
    qputenv("LC_ALL", "ru_RU.UTF-8");
    EXPECT_EQ(PickerTitles::language("auto"), "Как на устройстве");
    EXPECT_EQ(PickerTitles::language("en"), "Английский");
    EXPECT_EQ(PickerTitles::language("zh"), "Китайский");
    EXPECT_EQ(PickerTitles::language("qqq"), "qqq");
    qunsetenv("LC_ALL");
}

TEST_F(FamilyTest, ChoosingARowSyncsBothPreferencesOnceAndAnEqualValueSendsNothing) {
    saveSignIn();
    // Refused, so that no answer writes the sent values back while the next row is chosen.
    server.on("PATCH", "/api/preferences", ScriptedResponse::json(500, R"({"error":"later"})"));
    showFamily();
    pick(family->showCurrencyPicker(), "USD");
    EXPECT_TRUE(overlays()->sheets().isEmpty()) << "a pick closes the picker";
    EXPECT_EQ(Preferences::standard().string("currencyCode"), "USD");
    ASSERT_TRUE(waitUntil([&] { return preferenceRequests().size() == 1; }));
    EXPECT_EQ(preferenceRequests()[0], (QJsonObject{{"currency", "USD"}, {"language", "auto"}}));

    pick(family->showCurrencyPicker(), "USD");  // the row already selected
    pick(family->showLanguagePicker(), "en");
    ASSERT_TRUE(waitUntil([&] { return preferenceRequests().size() == 2; }));
    EXPECT_EQ(preferenceRequests()[1], (QJsonObject{{"currency", "USD"}, {"language", "en"}}));

    pick(family->showLanguagePicker(), "auto");
    ASSERT_TRUE(waitUntil([&] { return preferenceRequests().size() == 3; }));
    EXPECT_EQ(preferenceRequests()[2].value("language").toString(), "auto");

    // A change written elsewhere (the settings screen) is sent too.
    Preferences::standard().setValue("currencyCode", "EUR");
    ASSERT_TRUE(waitUntil([&] { return preferenceRequests().size() == 4; }));
    EXPECT_EQ(preferenceRequests()[3].value("currency").toString(), "EUR");
    settle();
    EXPECT_EQ(preferenceRequests().size(), 4);
}

TEST_F(FamilyTest, NoSyncWhileSignedOut) {
    showFamily();
    // A preference sync would clear the session's message as it starts.
    account().setErrorMessage(QString("старое сообщение"));
    Preferences::standard().setValue("currencyCode", "USD");
    settle();
    EXPECT_EQ(account().errorMessage(), QString("старое сообщение"));
    EXPECT_TRUE(preferenceRequests().isEmpty());
}
