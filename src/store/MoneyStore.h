#pragma once

#include "models/MoneyModels.h"
#include "platform/Clock.h"
#include "platform/WidgetCenter.h"
#include "services/StoreDisk.h"
#include "services/StorePaths.h"
#include "store/LedgerCalendar.h"
#include "store/LedgerQueries.h"
#include "store/SharedTexts.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QUuid>
#include <QString>
#include <QTimeZone>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class LedgerEncoder;
class NotificationCenter;
class Preferences;

// What the store reads of the signed-in family user: the id names the
// profile's file, nickname and e-mail decide whether it is the demo account.
// The shell fills it from the account's user, so the store needs no account code.
struct ProfileUser {
    QString id;
    QString nickname;
    QString email;
};

// A ledger file larger than this is refused unread, as a damaged one is:
// 100,000 transactions take about 30 MB.
inline constexpr qint64 kMaxLedgerFileBytes = qint64(256) * 1024 * 1024;

// Everything the store takes from outside; tests replace any part of it.
struct MoneyStoreEnvironment {
    StorePaths paths = StorePaths::system();
    const Clock* clock = &Clock::system();
    // The store's calendar (Gregorian in this zone), taken once: every day,
    // month and week computation of the store and its queries uses it.
    QTimeZone timeZone = QTimeZone::systemTimeZone();
    WidgetCenter* widgets = nullptr;              // none: reloads are only counted internally
    NotificationCenter* notifications = nullptr;  // none: goal notifications are not posted
    Preferences* preferences = nullptr;           // none: Preferences::standard()
    StoreDisk* disk = nullptr;                    // none: the plain disk (tests count through their own)
    qint64 maxLedgerBytes = kMaxLedgerFileBytes;  // larger ledger files are not read
};

// What the change that led to a store's revision did to its transactions,
// for a screen that keeps something per transaction and would rather update
// the one entry a change touched than work everything out again. Anything
// but one transaction added at the end, removed, or replaced where it stands
// (a replaced ledger, several transactions, any other part of the ledger) is
// `whole`, and whatever was kept must be worked out afresh.
struct LedgerChange {
    enum class Kind { whole, added, removed, replaced };
    Kind kind = Kind::whole;
    quint64 revision = 0;      // the revision this change led to
    std::size_t position = 0;  // added: the new last one; removed, replaced: where it stands (stood)
    std::optional<MoneyTransaction> before;  // removed, replaced: the transaction as it was
};

// The one owner of a profile's ledger. Holds the whole document in memory,
// switches between the anonymous profile and one profile per family user,
// rewrites the whole file (atomically, on the calling thread, encoding again
// only the transactions that changed) after every change and books recurring operations that have fallen due.
//
// Change signals follow the order in which the state is written; each write of
// a value emits its signal, data on every change, the others only when the
// value actually changes.
class MoneyStore : public QObject {
    Q_OBJECT
public:
    using Environment = MoneyStoreEnvironment;

    // Opens filePath, or the anonymous profile's file when none is given, and
    // writes the empty ledger when no file exists there. Never fails: without a
    // usable file the store works in memory and every save reports saveError.
    explicit MoneyStore(Environment environment = {}, std::optional<QString> filePath = std::nullopt,
                        QObject* parent = nullptr);
    ~MoneyStore() override;

    // --- State -------------------------------------------------------------
    const MoneyData& data() const { return data_; }
    // Counts the changes of data(): it moves before every dataChanged, so a
    // value worked out from the ledger at one revision is current exactly
    // while the revision stays the same.
    quint64 revision() const { return revision_; }
    // What the change to the current revision did (see LedgerChange).
    const LedgerChange& lastChange() const { return lastChange_; }
    // Replaces the ledger in memory and publishes it; not saved by itself (the
    // next save of an operation writes it).
    void setData(MoneyData data);

    const std::optional<QString>& saveError() const { return saveError_; }
    void setSaveError(std::optional<QString> message);

    // Said once to the user, beside saveError and the same way: an unreadable
    // ledger file was set aside under another name (which the text gives) and
    // a new ledger begun. The dashboard shows it and clears it when dismissed.
    const std::optional<QString>& ledgerNotice() const { return ledgerNotice_; }
    void setLedgerNotice(std::optional<QString> message);

    bool canUndoDelete() const { return canUndoDelete_; }
    void setCanUndoDelete(bool value);

    // None for the anonymous profile.
    const std::optional<QString>& activeProfileID() const { return activeProfileID_; }

    // The file of the active profile; none when there is no usable data folder.
    const std::optional<QString>& filePath() const { return filePath_; }

    // Where this store's files live; receipts are kept beside the ledgers.
    const StorePaths& paths() const { return paths_; }
    const Clock& clock() const { return *clock_; }
    QDateTime now() const { return clock_->now(); }
    const QTimeZone& timeZone() const { return timeZone_; }
    LedgerCalendar calendar() const { return LedgerCalendar(timeZone_); }
    // The calendar and "now" for the ledger queries, taken at this moment.
    QueryContext queryContext() const { return QueryContext{calendar(), now()}; }

    // --- Profiles ----------------------------------------------------------
    // Makes the user's ledger (none: the anonymous ledger) the store's ledger.
    // The same id as the active profile changes nothing.
    void activateProfile(const std::optional<ProfileUser>& user);

    // Books every active recurring operation due on or before referenceDate:
    // at most 24 bookings per item per call; saves once if anything was booked.
    void processDueRecurringTransactions(const QDateTime& referenceDate);

    // Opening a profile (at start-up or on a switch) books its due operations
    // in memory only, so that the first frame does not wait for the whole file
    // to be rewritten; the window calls saveBookings() once that frame is on
    // screen. Until then the file holds the ledger as it was read: the
    // bookings and the items' advanced dates reach it together in one atomic
    // write, so a process killed at any moment leaves a file on which the
    // next start finds the same operations due, booked none or all, never
    // half and never twice.
    bool hasUnsavedBookings() const { return unsavedBookings_; }
    // Saves once if the opening's bookings are not on disk yet (any other
    // save since has written them). A failed save leaves them in memory, for
    // the next save to write, as with any change.
    void saveBookings();

    // --- Default lists -----------------------------------------------------
    // The list in use: the stored list when the key is present, otherwise the
    // default catalogue built at this moment. Operations that change one of
    // these lists start from it and store the whole result.
    std::vector<RewardTask> rewardTasksInUse() const;
    std::vector<QuickTemplate> quickTemplatesInUse() const;
    std::vector<SavingsChallenge> challengesInUse() const;

    // --- Operations ----------------------------------------------------------
    // The transaction and planning operations are defined in
    // MoneyStoreTransactions.cpp and MoneyStorePlanning.cpp.

    // ==== Queries, exports, transaction and planning operations ==============
    // (MoneyStoreQueries.cpp, MoneyStoreTransactions.cpp, MoneyStorePlanning.cpp)
    // Queries are computed from data() at every call with the store's calendar
    // and clock; nothing is cached. Operations that change the ledger publish
    // the change and save once; a failed guard changes and saves nothing.

    // Totals and budgets.
    Decimal balance() const;
    Decimal total(TransactionKind kind, const QDateTime& on) const;
    Decimal monthTotal(TransactionKind kind, const QDateTime& referenceDate) const;
    MonthTotals previousMonthTotals() const;
    double goalProgress() const;
    std::vector<SavingsGoal> goals() const;
    std::optional<qint64> daysRemaining(const SavingsGoal& goal) const;
    qint64 completedTaskCount() const;
    qint64 taskPoints() const;
    double budgetProgress() const;
    qint64 savingsRate() const;
    Decimal projectedMonthExpense() const;
    Decimal safeToSpendToday() const;
    std::optional<MoneyTransaction> largestExpense() const;
    qint64 currentMonthTransactionCount() const;
    Decimal categorySpent(const QString& category) const;
    std::vector<CategoryAmount> expenseByCategoryForCurrentMonth() const;
    std::vector<DebtRecord> debts() const;  // the open ones
    Decimal totalOwedToMe() const;
    Decimal totalIOwe() const;
    std::vector<QString> customCategories(TransactionKind kind) const;

    // Lists and chart rows.
    std::vector<MoneyTransaction> sortedTransactions() const;
    std::vector<MoneyTransaction> transactions(const QDateTime& on) const;
    std::vector<DailyAmount> weeklyAmounts(const QDateTime& referenceDate) const;
    std::vector<DailyAmount> thirtyDayExpenses(const QDateTime& referenceDate) const;

    // The default catalogues as they are at this moment.
    static std::vector<RewardTask> defaultRewardTasks();
    static std::vector<QuickTemplate> defaultTemplates();
    std::vector<SavingsChallenge> defaultChallenges() const;

    // Badges, tip and exports.
    std::vector<MoneyBadge> badges() const;
    std::vector<MoneyBadge> unlockedBadges() const;
    qint64 badgePoints() const;
    double badgeCollectionProgress() const;
    QString smartTip() const;
    QString csvExport() const;
    QString jsonExport() const;

    // Transactions. New and restored transactions go to the end of the list.
    void add(TransactionKind kind, const Decimal& amount, const QString& category, const QString& note,
             const QDateTime& date, const QStringList& tags, bool isFavorite, const QString& wallet,
             const std::optional<QString>& receiptFilename = std::nullopt);
    // Removes every transaction with one of the ids; the removed ones replace
    // the undo buffer (one step of undo). Saves even when nothing matched.
    void deleteTransactions(const QSet<QUuid>& ids);
    void undoDelete();
    void toggleFavorite(const QUuid& id);
    void duplicateTransaction(const QUuid& id);
    void updateTransaction(const MoneyTransaction& transaction);

    // Goals and settings.
    void updateSettings(const QString& goalName, const Decimal& goalAmount, const Decimal& dailyLimit,
                        const Decimal& startingBalance);
    void setMonthlyBudget(const Decimal& amount);
    void addGoal(const QString& name, const Decimal& amount, const std::optional<QDateTime>& deadline);
    void deleteGoal(const QString& id);
    void archiveGoal(const QString& id);
    // The stored spelling of an equal (case-insensitive) entry, or the new
    // trimmed name; none for a blank name.
    std::optional<QString> addCustomCategory(const QString& name, TransactionKind kind);

    // Money tasks, budgets, templates.
    void addTask(const QString& title, const Decimal& reward, const std::optional<QDateTime>& dueDate,
                 qint64 difficulty, bool isRecurring);
    std::optional<RewardTask> completeTask(const QString& id);
    void deleteTask(const QString& id);
    void setCategoryBudget(const QString& category, const Decimal& amount);
    void addTemplate(const QString& title, TransactionKind kind, const Decimal& amount, const QString& category);
    void applyTemplate(const QString& id);
    void deleteTemplate(const QString& id);

    // Wishes, debts, challenges, recurring operations.
    void addWish(const QString& title, const Decimal& price);
    void contributeToWish(const QString& id, const Decimal& amount);
    void deleteWish(const QString& id);
    void addDebt(const QString& person, const Decimal& amount, DebtDirection direction, const QString& note,
                 const std::optional<QDateTime>& dueDate);
    void settleDebt(const QString& id);
    void addChallenge(const QString& title, ChallengeKind kind, const Decimal& target, const QDateTime& endDate);
    void advanceChallenge(const QString& id, const Decimal& amount);
    void addRecurring(const QString& title, TransactionKind kind, const Decimal& amount, const QString& category,
                      RecurringFrequency frequency, const QDateTime& nextDate);
    void toggleRecurring(const QString& id);
    // ==== end of queries and operations ========================================

signals:
    void dataChanged();
    void saveErrorChanged();
    void ledgerNoticeChanged();
    void canUndoDeleteChanged();
    void activeProfileIDChanged();

private:
    // --- Helpers for the operations -------------------------------------------
    // Applies f to the ledger, publishes the change, then saves once.
    template <class F>
    void mutate(F&& f) {
        std::forward<F>(f)(data_);
        publishData();
        save();
    }
    // Replaces the ledger whole, publishes it, then saves once.
    void commit(MoneyData data) {
        data_ = std::move(data);
        publishData();
        save();
    }
    // Publishes a change already made to data_ (for operations that must
    // interleave other state changes before saving); `change` says what it
    // did when it touched one transaction only.
    void publishData(LedgerChange change = {}) {
        ++revision_;
        change.revision = revision_;
        lastChange_ = std::move(change);
        emit dataChanged();
    }
    // Publishes one transaction changed in place or added at the end, then saves once.
    void publishOne(LedgerChange::Kind kind, std::size_t position, std::optional<MoneyTransaction> before) {
        publishData(LedgerChange{kind, 0, position, std::move(before)});
        save();
    }

    // Writes the whole ledger to the active profile's file. On success clears
    // saveError, refreshes the widget snapshot and posts due goal notifications;
    // on failure sets saveError and leaves everything else alone.
    void save();

    // A new or edited transaction's short texts shared with the equal ones of
    // the ledger.
    void shareTexts(MoneyTransaction& t) { sharedTexts_.share(t, data_); }

    // Balance and today's totals into the widget snapshot.
    void writeWidgetSnapshot();

    // Books the due operations into data_ and publishes the change; true when
    // something was booked (the caller saves).
    bool bookDueRecurring(const QDateTime& referenceDate);

    enum class LoadResult { loaded, missing, unreadable };
    LoadResult load(const QString& path, MoneyData& into) const;
    // Loads the active file (falling back as the profile requires) and
    // remembers whether an unreadable file must be set aside before writing.
    void openProfileFile(const std::optional<ProfileUser>& user);
    // Opens the active profile's file and books its due recurring operations
    // (saved later, by saveBookings()), then writes the widget snapshot once:
    // a save on the way (a new file) has already written it, and with unsaved
    // bookings it waits for their save, so that it never shows figures the
    // file does not hold yet.
    void openActiveProfile(const std::optional<ProfileUser>& user);
    bool setAsideUnreadableFile(QString& error);

    MoneyData data_;
    quint64 revision_ = 0;
    LedgerChange lastChange_;
    std::optional<QString> saveError_;
    std::optional<QString> ledgerNotice_;
    bool canUndoDelete_ = false;
    bool unsavedBookings_ = false;
    int snapshotWrites_ = 0;
    SharedTexts sharedTexts_;
    // The transactions removed by the last delete, in their former order.
    std::vector<MoneyTransaction> deletedBuffer_;
    std::optional<QString> filePath_;
    std::optional<QString> activeProfileID_;

    StorePaths paths_;
    const Clock* clock_;
    QTimeZone timeZone_;
    WidgetCenter* widgets_;
    LinuxWidgetCenter ownWidgets_;
    StoreDisk* disk_;
    StoreDisk ownDisk_;
    NotificationCenter* notifications_;
    Preferences* preferences_;
    qint64 maxLedgerBytes_;
    // Set while the active file exists but could not be read or decoded: it is
    // moved aside to a fresh sibling name before the first write to its path.
    std::optional<QString> unreadableFile_;
    // The file's bytes as the last save wrote them, per transaction: a save
    // encodes again only the transactions that changed since. Made by the
    // first save of a ledger; a replaced ledger lets go of it.
    std::unique_ptr<LedgerEncoder> encoder_;
};
