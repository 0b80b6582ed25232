#include "StoreFixture.h"

#include "services/StorePaths.h"
#include "store/DemoLedger.h"

#include <QSignalSpy>

namespace {
MoneyData ledgerWithGoal(const QString& name) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalName = name;
    d.goalAmount = Decimal(100);
    return d;
}
}  // namespace

using MoneyStoreProfiles = StoreFixture;

TEST_F(MoneyStoreProfiles, SameProfileIdChangesNothing) {
    auto store = makeStore();
    store->setCanUndoDelete(true);
    QSignalSpy data(store.get(), &MoneyStore::dataChanged);
    QSignalSpy profile(store.get(), &MoneyStore::activeProfileIDChanged);
    const int reloads = widgets.reloads;

    store->activateProfile(std::nullopt);  // anonymous while anonymous is active
    EXPECT_EQ(data.count(), 0);
    EXPECT_TRUE(store->canUndoDelete());

    store->activateProfile(ProfileUser{"u-1", "Маша", "masha@example.org"});
    store->setCanUndoDelete(true);
    data.clear();
    profile.clear();
    const int reloadsAfterSwitch = widgets.reloads;
    EXPECT_GT(reloadsAfterSwitch, reloads);
    QFile::remove(zanbeck("accounts/u-1.json"));  // a re-read would now write a new file
    store->activateProfile(ProfileUser{"u-1", "другое имя", ""});
    EXPECT_EQ(data.count(), 0);
    EXPECT_EQ(profile.count(), 0);
    EXPECT_TRUE(store->canUndoDelete());
    EXPECT_EQ(widgets.reloads, reloadsAfterSwitch);
    EXPECT_FALSE(QFileInfo::exists(zanbeck("accounts/u-1.json")));
}

TEST_F(MoneyStoreProfiles, SwitchesBetweenAnonymousAndUserFiles) {
    writeLedger(anonymousFile(), ledgerWithGoal("аноним"));
    writeLedger(zanbeck("accounts/u-7.json"), ledgerWithGoal("Петя"));
    auto store = makeStore();
    EXPECT_EQ(store->data().goalName, "аноним");
    EXPECT_FALSE(store->activeProfileID());

    store->setSaveError(QString("старая ошибка"));
    store->setCanUndoDelete(true);
    QSignalSpy undo(store.get(), &MoneyStore::canUndoDeleteChanged);
    store->activateProfile(ProfileUser{"u-7", "Петя", "petya@example.org"});
    EXPECT_EQ(store->activeProfileID(), QString("u-7"));
    EXPECT_EQ(store->filePath(), zanbeck("accounts/u-7.json"));
    EXPECT_EQ(store->data().goalName, "Петя");
    EXPECT_FALSE(store->canUndoDelete());
    EXPECT_EQ(undo.count(), 1);
    EXPECT_EQ(store->saveError(), QString("старая ошибка"));  // a switch leaves the message alone

    store->activateProfile(std::nullopt);  // signing out
    EXPECT_FALSE(store->activeProfileID());
    EXPECT_EQ(store->data().goalName, "аноним");
}

TEST_F(MoneyStoreProfiles, NewUserStartsFromTheEmptyLedgerWrittenToItsOwnFile) {
    auto store = makeStore();
    store->activateProfile(ProfileUser{"a.b@c d/é-9", "Катя", "katya@example.org"});
    EXPECT_EQ(store->filePath(), zanbeck("accounts/a_b_c_d_é-9.json"));
    EXPECT_EQ(store->data(), MoneyData::emptyLedger());
    EXPECT_EQ(readLedger(zanbeck("accounts/a_b_c_d_é-9.json")), MoneyData::emptyLedger());
}

TEST_F(MoneyStoreProfiles, UserWithDamagedFileGetsEmptyLedgerInMemoryOnly) {
    writeFile(zanbeck("accounts/u-3.json"), "{broken");
    writeLedger(zanbeck("money_data.json"), ledgerWithGoal("старый"));
    auto store = makeStore();
    store->activateProfile(ProfileUser{"u-3", "Не кодер", "x@example.org"});
    EXPECT_EQ(store->data(), MoneyData::emptyLedger());  // the legacy file is only for the demo account
    EXPECT_EQ(readFile(zanbeck("accounts/u-3.json")), "{broken");
}

TEST_F(MoneyStoreProfiles, SanitisedIdsKeepLettersDigitsAndHyphens) {
    EXPECT_EQ(StorePaths::sanitisedId("user-42"), "user-42");
    EXPECT_EQ(StorePaths::sanitisedId("Иван.Петров@mail.ru"), "Иван_Петров_mail_ru");
    EXPECT_EQ(StorePaths::sanitisedId("a/b\\c d"), "a_b_c_d");
    EXPECT_EQ(StorePaths::sanitisedId(".."), "__");
    EXPECT_EQ(StorePaths::sanitisedId("日本語٣"), "日本語٣");
    EXPECT_EQ(StorePaths::sanitisedId("😀x"), "_x");  // one scalar outside the sets, one "_"
    EXPECT_EQ(StorePaths::sanitisedId("ÄBC"), "ÄBC");  // no case change
}

TEST_F(MoneyStoreProfiles, DemoAccountCopiesTheLegacyLedgerAndNeverWritesIt) {
    const MoneyData legacy = ledgerWithGoal("из старой версии");
    writeLedger(zanbeck("money_data.json"), legacy);
    const QByteArray legacyBytes = readFile(zanbeck("money_data.json"));
    auto store = makeStore();

    store->activateProfile(ProfileUser{"coder-1", "CODER", "someone@example.org"});
    EXPECT_EQ(store->data(), legacy);
    EXPECT_EQ(readLedger(zanbeck("accounts/coder-1.json")), legacy);
    EXPECT_EQ(readFile(zanbeck("money_data.json")), legacyBytes);
}

TEST_F(MoneyStoreProfiles, DemoAccountWithoutLegacyFileGetsTheDemoLedger) {
    auto store = makeStore();
    store->activateProfile(ProfileUser{"d-1", "nick", demoAccountEmail().toUpper()});
    EXPECT_EQ(store->data().transactions.size(), 6u);
    EXPECT_EQ(ledger::balance(store->data()), Decimal(277));
    EXPECT_EQ(store->data().goalName, "Мини ПК");
    EXPECT_TRUE(QFileInfo::exists(zanbeck("accounts/d-1.json")));
    EXPECT_FALSE(QFileInfo::exists(zanbeck("money_data.json")));
}

TEST_F(MoneyStoreProfiles, DemoAccountWithDamagedOwnFileFallsBackWithoutOverwritingIt) {
    writeFile(zanbeck("accounts/d-2.json"), "[]");
    writeFile(zanbeck("money_data.json"), "also broken");
    auto store = makeStore();
    store->activateProfile(ProfileUser{"d-2", "Coder", ""});
    EXPECT_EQ(store->data().goalName, "Мини ПК");  // legacy unreadable: demo ledger
    EXPECT_EQ(readFile(zanbeck("accounts/d-2.json")), "[]");
}

TEST(DemoAccountTest, NicknameOrEmailIgnoringCaseButNotBlanks) {
    EXPECT_TRUE(isDemoAccount("coder", ""));
    EXPECT_TRUE(isDemoAccount("CoDeR", "x@y"));
    EXPECT_FALSE(isDemoAccount(" Coder", ""));
    EXPECT_FALSE(isDemoAccount("Coder2", ""));
    EXPECT_TRUE(isDemoAccount("", demoAccountEmail().toUpper()));
    EXPECT_FALSE(isDemoAccount("", " " + demoAccountEmail()));
}

TEST_F(MoneyStoreProfiles, SwitchPublishesProfileThenUndoThenDataThenSaveResult) {
    auto store = makeStore();
    store->setCanUndoDelete(true);
    store->setSaveError(QString("прошлая ошибка"));
    QStringList order;
    QObject::connect(store.get(), &MoneyStore::activeProfileIDChanged, [&] { order << "profile"; });
    QObject::connect(store.get(), &MoneyStore::canUndoDeleteChanged, [&] { order << "undo"; });
    QObject::connect(store.get(), &MoneyStore::dataChanged, [&] { order << "data"; });
    QObject::connect(store.get(), &MoneyStore::saveErrorChanged, [&] { order << "error"; });

    store->activateProfile(ProfileUser{"new-user", "Лиза", ""});  // no file yet: written at once
    EXPECT_EQ(order, (QStringList{"profile", "undo", "data", "error"}));
    EXPECT_FALSE(store->saveError());  // the good write cleared the old message
}
