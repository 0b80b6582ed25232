#include "StoreFixture.h"
#include "services/StorePaths.h"
#include "store/DemoLedger.h"

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
    MoneyStore& s = reopen();
    s.setCanUndoDelete(true);
    QSignalSpy data(&s, &MoneyStore::dataChanged);
    QSignalSpy profile(&s, &MoneyStore::activeProfileIDChanged);
    const int reloads = widgets.reloads;

    s.activateProfile(std::nullopt);  // anonymous while anonymous is active
    EXPECT_EQ(data.count(), 0);
    EXPECT_TRUE(s.canUndoDelete());

    // u-1's ledger holds other figures, so switching to it rewrites the snapshot.
    MoneyData masha = MoneyData::emptyLedger();
    masha.startingBalance = Decimal(25);
    writeLedger(zanbeck("accounts/u-1.json"), masha);
    s.activateProfile(ProfileUser{"u-1", "Маша", "masha@example.org"});
    s.setCanUndoDelete(true);
    data.clear();
    profile.clear();
    const int reloadsAfterSwitch = widgets.reloads;
    EXPECT_GT(reloadsAfterSwitch, reloads);
    QFile::remove(zanbeck("accounts/u-1.json"));  // a re-read would now write a new file
    s.activateProfile(ProfileUser{"u-1", "другое имя", ""});
    EXPECT_EQ(data.count(), 0);
    EXPECT_EQ(profile.count(), 0);
    EXPECT_TRUE(s.canUndoDelete());
    EXPECT_EQ(widgets.reloads, reloadsAfterSwitch);
    EXPECT_FALSE(QFileInfo::exists(zanbeck("accounts/u-1.json")));
}

TEST_F(MoneyStoreProfiles, SwitchesBetweenAnonymousAndUserFiles) {
    writeLedger(anonymousFile(), ledgerWithGoal("аноним"));
    writeLedger(zanbeck("accounts/u-7.json"), ledgerWithGoal("Петя"));
    MoneyStore& s = reopen();
    EXPECT_EQ(s.data().goalName, "аноним");
    EXPECT_FALSE(s.activeProfileID());

    s.setSaveError(QString("старая ошибка"));
    s.setCanUndoDelete(true);
    QSignalSpy undo(&s, &MoneyStore::canUndoDeleteChanged);
    s.activateProfile(ProfileUser{"u-7", "Петя", "petya@example.org"});
    EXPECT_EQ(s.activeProfileID(), QString("u-7"));
    EXPECT_EQ(s.filePath(), zanbeck("accounts/u-7.json"));
    EXPECT_EQ(s.data().goalName, "Петя");
    EXPECT_FALSE(s.canUndoDelete());
    EXPECT_EQ(undo.count(), 1);
    EXPECT_EQ(s.saveError(), QString("старая ошибка"));  // a switch leaves the message alone

    s.activateProfile(std::nullopt);  // signing out
    EXPECT_FALSE(s.activeProfileID());
    EXPECT_EQ(s.data().goalName, "аноним");
}

TEST_F(MoneyStoreProfiles, UserWithDamagedFileGetsEmptyLedgerInMemoryOnly) {
    writeFile(zanbeck("accounts/u-3.json"), "{broken");
    writeLedger(zanbeck("money_data.json"), ledgerWithGoal("старый"));
    MoneyStore& s = reopen();
    s.activateProfile(ProfileUser{"u-3", "Не кодер", "x@example.org"});
    EXPECT_EQ(s.data(), MoneyData::emptyLedger());  // the legacy file is only for the demo account
    EXPECT_EQ(readFile(zanbeck("accounts/u-3.json")), "{broken");
}

TEST(ProfileFiles, SanitisedIdsKeepLettersDigitsAndHyphens) {
    const std::pair<const char*, const char*> cases[] = {
        {"user-42", "user-42"},  {"Иван.Петров@mail.ru", "Иван_Петров_mail_ru"},
        {"a/b\\c d", "a_b_c_d"}, {"..", "__"},
        {"日本語٣", "日本語٣"},  {"😀x", "_x"},  // one scalar, one "_"
        {"ÄBC", "ÄBC"},                         // no case change
    };
    for (const auto& [id, expected] : cases) EXPECT_EQ(StorePaths::sanitisedId(id), expected) << id;
}

// The demo account starts from the legacy file, copied to its own and never
// written; without a readable one, from the demo ledger. A damaged own file is kept.
TEST_F(MoneyStoreProfiles, DemoAccountStartsFromTheLegacyLedgerOrTheDemoLedger) {
    const MoneyData legacy = ledgerWithGoal("из старой версии");
    writeLedger(zanbeck("money_data.json"), legacy);
    const QByteArray legacyBytes = readFile(zanbeck("money_data.json"));
    reopen().activateProfile(ProfileUser{"coder-1", "CODER", "someone@example.org"});
    EXPECT_EQ(store->data(), legacy);
    EXPECT_EQ(readLedger(zanbeck("accounts/coder-1.json")), legacy);
    EXPECT_EQ(readFile(zanbeck("money_data.json")), legacyBytes);

    QFile::remove(zanbeck("money_data.json"));
    reopen().activateProfile(ProfileUser{"d-1", "nick", demoAccountEmail().toUpper()});
    EXPECT_EQ(store->data().transactions.size(), 6u);
    EXPECT_EQ(ledger::balance(store->data()), Decimal(277));
    EXPECT_TRUE(QFileInfo::exists(zanbeck("accounts/d-1.json")));
    EXPECT_FALSE(QFileInfo::exists(zanbeck("money_data.json")));

    writeFile(zanbeck("accounts/d-2.json"), "[]");
    writeFile(zanbeck("money_data.json"), "also broken");
    reopen().activateProfile(ProfileUser{"d-2", "Coder", ""});
    EXPECT_EQ(store->data().goalName, "Мини ПК");  // legacy unreadable: demo ledger
    EXPECT_EQ(readFile(zanbeck("accounts/d-2.json")), "[]");
}

TEST(ProfileFiles, DemoAccountIsANicknameOrEmailIgnoringCaseButNotBlanks) {
    EXPECT_TRUE(isDemoAccount("coder", ""));
    EXPECT_TRUE(isDemoAccount("CoDeR", "x@y"));
    EXPECT_FALSE(isDemoAccount(" Coder", ""));
    EXPECT_FALSE(isDemoAccount("Coder2", ""));
    EXPECT_TRUE(isDemoAccount("", demoAccountEmail().toUpper()));
    EXPECT_FALSE(isDemoAccount("", " " + demoAccountEmail()));
}

TEST_F(MoneyStoreProfiles, NewUserGetsTheEmptyLedgerWrittenAtOnceAfterProfileUndoAndData) {
    MoneyStore& s = reopen();
    s.setCanUndoDelete(true);
    s.setSaveError(QString("прошлая ошибка"));
    QStringList order;
    QObject::connect(&s, &MoneyStore::activeProfileIDChanged, [&] { order << "profile"; });
    QObject::connect(&s, &MoneyStore::canUndoDeleteChanged, [&] { order << "undo"; });
    QObject::connect(&s, &MoneyStore::dataChanged, [&] { order << "data"; });
    QObject::connect(&s, &MoneyStore::saveErrorChanged, [&] { order << "error"; });

    s.activateProfile(ProfileUser{"a.b@c d/é-9", "Катя", "katya@example.org"});
    EXPECT_EQ(order, (QStringList{"profile", "undo", "data", "error"}));
    EXPECT_FALSE(s.saveError());  // the good write cleared the old message
    EXPECT_EQ(s.filePath(), zanbeck("accounts/a_b_c_d_é-9.json"));
    EXPECT_EQ(s.data(), MoneyData::emptyLedger());
    EXPECT_EQ(readLedger(zanbeck("accounts/a_b_c_d_é-9.json")), MoneyData::emptyLedger());
}
