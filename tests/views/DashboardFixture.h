#pragma once

// The dashboard and the goal and task editors on the real store: a ledger
// file in a temporary folder, a fixed clock in a zone that changes its clocks,
// isolated preferences and the theme installed as the app does it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTest>
#include <QTimeZone>
#include <QVBoxLayout>
#include <memory>

#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "components/Theme.h"
#include "models/LedgerJson.h"
#include "services/MoneyText.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "support/FakeHaptics.h"
#include "support/FakeNotificationCenter.h"
#include "support/FakeWidgetCenter.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

class DashboardFixture : public ::testing::Test {
protected:
    DashboardFixture() : clock(QDateTime(QDate(2026, 6, 15), QTime(10, 0), QTimeZone::utc())) {
        AppGroupDefaults::setDirectoryOverride(temp.filePath("group"));
        Preferences::resetStandard(temp.filePath("standard.ini"));
        Preferences::standard().setValue("appLanguage", "en_US");
        marks = std::make_unique<Preferences>(temp.filePath("marks.ini"));
        Theme::current().setSystemScheme(ColorScheme::Light);
        Theme::current().refresh();
        Theme::current().install(*qApp);
    }
    ~DashboardFixture() override {
        window.reset();  // the screens go before the store they show
        settle();
        store.reset();
        AppGroupDefaults::setDirectoryOverride({});
        Preferences::resetStandard();
        Theme::current().refresh();
    }

    static void setPreference(const QString& key, const QVariant& value) {
        Preferences::standard().setValue(key, value);
    }

    QString ledgerFile() const { return temp.filePath("data") + "/Zanbeck/accounts/anonymous.json"; }

    // Writes the ledger as the anonymous profile's file and opens a store on it.
    MoneyStore& open(const MoneyData& data) {
        window.reset();  // a screen never outlives the store it shows
        settle();
        QDir().mkpath(QFileInfo(ledgerFile()).path());
        QFile f(ledgerFile());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(encodeMoneyData(data));
        f.close();
        MoneyStore::Environment env;
        env.paths = StorePaths(temp.filePath("data"));
        env.clock = &clock;
        env.timeZone = zone;
        env.widgets = &widgets;
        env.notifications = &notifications;
        env.preferences = marks.get();
        store = std::make_unique<MoneyStore>(env);
        return *store;
    }
    MoneyStore& openEmpty() { return open(MoneyData::emptyLedger()); }

    // From now on every write of the ledger fails (a folder stands where the file goes).
    void breakWrites() {
        QFile::remove(ledgerFile());
        ASSERT_TRUE(QDir().mkpath(ledgerFile()));
    }
    void repairWrites() { ASSERT_TRUE(QDir().rmdir(ledgerFile())); }

    // A phone-sized window showing `page` as the root of a navigation stack.
    NavigationStack& showInWindow(NavigationPage* page) {
        window = std::make_unique<QWidget>();
        auto* column = new QVBoxLayout(window.get());
        column->setContentsMargins(0, 0, 0, 0);
        auto* stack = new NavigationStack(page);
        column->addWidget(stack);
        window->resize(390, 844);
        window->show();
        settle();
        return *stack;
    }
    // A window with `content` presented as a sheet.
    Sheet* presentSheet(QWidget* content) {
        window = std::make_unique<QWidget>();
        window->resize(390, 844);
        window->show();
        Sheet* sheet = Sheet::present(window.get(), content);
        settle();
        return sheet;
    }
    // A page's content is never wider than its window (it would be cut off
    // at the right edge: the pages scroll vertically only).
    static void expectFitsWidth(PageBody* body) {
        settle();
        EXPECT_LE(body->content()->width(), body->viewport()->width());
        EXPECT_LE(body->content()->minimumSizeHint().width(), body->viewport()->width());
    }
    Alert* currentAlert() const {
        OverlayHost* host = window ? OverlayHost::forWindow(window.get()) : nullptr;
        return host ? host->currentAlert() : nullptr;
    }

    static void settle() {
        for (int i = 0; i < 4; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }
    static void click(QAbstractButton* button) {
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        settle();
    }

    // Replaces a field's text by typing: select all, erase, then the keys
    // (any letters, as a keyboard with that layout sends them).
    static void type(QWidget* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        for (const QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(field, &press);
            QApplication::sendEvent(field, &release);
        }
    }

    // A local wall-clock time in the store's zone.
    QDateTime local(int y, int m, int d, int h = 12, int mi = 0) const {
        return QDateTime(QDate(y, m, d), QTime(h, mi), zone).toUTC();
    }
    static Decimal dec(const char* text) { return *Decimal::parse(text); }
    static MoneyTransaction tx(TransactionKind kind, const Decimal& amount, const QDateTime& date,
                               const QString& category = QStringLiteral("Еда"), const QString& note = {}) {
        return MoneyTransaction{QUuid::createUuid(), kind,         amount,       category,     note,
                                date.toUTC(),        std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    }

    TempDir temp;
    FixedClock clock;
    QTimeZone zone{"Europe/Berlin"};
    FakeWidgetCenter widgets;
    FakeNotificationCenter notifications;
    FakeHaptics haptics;
    std::unique_ptr<Preferences> marks;
    std::unique_ptr<MoneyStore> store;
    std::unique_ptr<QWidget> window;
};
