#include "store/MoneyStore.h"

#include "models/LedgerJson.h"
#include "services/GlobalPreferences.h"
#include "services/GoalNotifications.h"
#include "services/Preferences.h"
#include "services/WidgetSnapshot.h"
#include "store/DemoLedger.h"
#include "store/KeptFigures.h"
#include "store/LedgerQueries.h"
#include "store/LedgerSummary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QThreadPool>
#include <QUuid>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
const QString kSaveErrorPrefix = QStringLiteral("Не удалось сохранить данные: ");
constexpr int kMaxBookingsPerItem = 24;
constexpr int kSetAsideAttempts = 100;

bool sameProfile(const std::optional<QString>& a, const std::optional<QString>& b) {
    return a.has_value() == b.has_value() && (!a || *a == *b);
}

// Something stands at the path (a dangling link counts: writing would follow it).
bool somethingAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Letting go of a large ledger frees every record's texts and lists, which
// costs the thread in proportion to the whole ledger: a replaced one is let
// go on a worker, so that replacing the ledger costs the screens only what
// they draw again. Its texts and dates are implicitly shared with atomic
// counts, which any thread may drop.
constexpr std::size_t kReleaseAsideFrom = 4096;

void releaseAside(MoneyData&& old, std::unique_ptr<LedgerEncoder>&& encoded) {
    if (old.transactions.size() < kReleaseAsideFrom) return;  // small: the caller lets it go at once
    auto held = std::make_shared<std::pair<MoneyData, std::unique_ptr<LedgerEncoder>>>(std::move(old),
                                                                                       std::move(encoded));
    QThreadPool::globalInstance()->start([held = std::move(held)]() mutable { held.reset(); });
}

}  // namespace

MoneyStore::MoneyStore(Environment environment, std::optional<QString> filePath, QObject* parent)
    : QObject(parent),
      paths_(std::move(environment.paths)),
      clock_(environment.clock ? environment.clock : &Clock::system()),
      timeZone_(environment.timeZone.isValid() ? environment.timeZone : QTimeZone::systemTimeZone()),
      widgets_(environment.widgets ? environment.widgets : &ownWidgets_),
      disk_(environment.disk ? environment.disk : &ownDisk_),
      notifications_(environment.notifications),
      preferences_(environment.preferences ? environment.preferences : &Preferences::standard()),
      maxLedgerBytes_(environment.maxLedgerBytes) {
    if (filePath) {
        // A relative path would land in the working folder; treat it as unusable.
        if (QDir::isAbsolutePath(*filePath))
            filePath_ = QDir::cleanPath(*filePath);
    } else {
        filePath_ = paths_.anonymousFile();
    }
    // Ledgers and receipts made readable to others before (another umask, an
    // older build) are the user's alone from this start on.
    paths_.narrowModes();
    openActiveProfile(std::nullopt);
}

MoneyStore::~MoneyStore() {
    // Closing before the window showed the bookings: write them now rather
    // than book them again at the next start. Nobody listens any more.
    const QSignalBlocker quiet(this);
    saveBookings();
}

void MoneyStore::saveBookings() {
    if (!unsavedBookings_)
        return;
    unsavedBookings_ = false;
    save();
}

void MoneyStore::setData(MoneyData data) {
    // The kept bytes are those of the old ledger: let go of them with it.
    releaseAside(std::exchange(data_, std::move(data)), std::exchange(encoder_, nullptr));
    sharedTexts_.reset();
    publishData();
}

void MoneyStore::setSaveError(std::optional<QString> message) {
    if (saveError_ == message)
        return;
    saveError_ = std::move(message);
    emit saveErrorChanged();
}

void MoneyStore::setLedgerNotice(std::optional<QString> message) {
    if (ledgerNotice_ == message)
        return;
    ledgerNotice_ = std::move(message);
    emit ledgerNoticeChanged();
}

void MoneyStore::setCanUndoDelete(bool value) {
    if (canUndoDelete_ == value)
        return;
    canUndoDelete_ = value;
    emit canUndoDeleteChanged();
}

void MoneyStore::activateProfile(const std::optional<ProfileUser>& user) {
    const std::optional<QString> newId = user ? std::optional<QString>(user->id) : std::nullopt;
    if (sameProfile(newId, activeProfileID_))
        return;

    saveBookings();  // into the file they were booked for, before it changes
    activeProfileID_ = newId;
    emit activeProfileIDChanged();
    filePath_ = user ? paths_.accountFile(user->id) : paths_.anonymousFile();
    deletedBuffer_.clear();
    setCanUndoDelete(false);

    openActiveProfile(user);
}

void MoneyStore::openActiveProfile(const std::optional<ProfileUser>& user) {
    const int writesBefore = snapshotWrites_;
    openProfileFile(user);
    if (bookDueRecurring(now()))
        unsavedBookings_ = true;
    else if (snapshotWrites_ == writesBefore)
        writeWidgetSnapshot();
}

MoneyStore::LoadResult MoneyStore::load(const QString& path, MoneyData& into) const {
    if (!somethingAt(path))
        return LoadResult::missing;
    // From here on the file exists: any failure (a folder, a FIFO or a device
    // in its place, a file far larger than any ledger, no permission, an I/O
    // error, damaged JSON) is "unreadable", never "missing". Opened without
    // waiting (a FIFO would hold the start forever) and looked at before a
    // byte is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return LoadResult::unreadable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxLedgerBytes_) {
        ::close(fd);
        return LoadResult::unreadable;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return LoadResult::unreadable;
    }
    const std::optional<QByteArray> bytes = readLedgerBytes(file);
    // A file that grew past the cap while it was read is refused all the same.
    if (!bytes || bytes->size() > maxLedgerBytes_)
        return LoadResult::unreadable;
    std::optional<MoneyData> decoded = decodeMoneyData(*bytes);
    if (!decoded)
        return LoadResult::unreadable;
    into = std::move(*decoded);
    return LoadResult::loaded;
}

void MoneyStore::openProfileFile(const std::optional<ProfileUser>& user) {
    unreadableFile_.reset();
    MoneyData loaded;
    const LoadResult result = filePath_ ? load(*filePath_, loaded) : LoadResult::missing;
    if (result == LoadResult::loaded) {
        setData(std::move(loaded));
        return;
    }

    MoneyData fallback = MoneyData::emptyLedger();
    if (user && isDemoAccount(user->nickname, user->email)) {
        const std::optional<QString> legacy = paths_.legacyFile();
        MoneyData legacyData;
        if (legacy && load(*legacy, legacyData) == LoadResult::loaded)
            fallback = std::move(legacyData);
        else
            fallback = demoLedger();
    }
    setData(std::move(fallback));

    if (result == LoadResult::unreadable)
        unreadableFile_ = filePath_;  // kept; set aside only when something is written
    else
        save();
}

bool MoneyStore::setAsideUnreadableFile(QString& error) {
    const QString path = *unreadableFile_;
    if (!somethingAt(path)) {  // already gone (moved or removed by someone else)
        unreadableFile_.reset();
        return true;
    }
    const QString stamp = now().toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 0; attempt < kSetAsideAttempts; ++attempt) {
        QString target = path + QStringLiteral(".unreadable-") + stamp;
        if (attempt > 0)
            target += QLatin1Char('-') + QString::number(attempt);
        if (somethingAt(target))
            continue;
        QFile file(path);
        if (file.rename(target)) {
            unreadableFile_.reset();
            setLedgerNotice(QStringLiteral("Файл данных повреждён и сохранён как «%1». Начат новый журнал.")
                                .arg(QFileInfo(target).fileName()));
            return true;
        }
        if (somethingAt(target))  // lost a race for that name: try the next one
            continue;
        error = QStringLiteral("не удалось отложить нечитаемый файл %1: %2").arg(path, file.errorString());
        return false;
    }
    error = QStringLiteral("не нашлось свободного имени, чтобы отложить нечитаемый файл %1").arg(path);
    return false;
}

void MoneyStore::save() {
    QString error;
    bool written = false;
    if (!filePath_) {
        error = QStringLiteral("нет папки для данных");
    } else if (StorePaths::makeFolder(QFileInfo(*filePath_).path(), &error)) {
        QByteArray bytes;
        try {
            if (!encoder_)
                encoder_ = std::make_unique<LedgerEncoder>();
            bytes = encoder_->encode(data_);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
        if (!bytes.isEmpty() && (!unreadableFile_ || setAsideUnreadableFile(error)))
            written = disk_->replaceFile(*filePath_, bytes, error);
    }
    if (!written) {
        setSaveError(kSaveErrorPrefix + error);
        return;
    }
    setSaveError(std::nullopt);
    unsavedBookings_ = false;
    writeWidgetSnapshot();
    if (notifications_) {
        MoneyNotificationService service(*notifications_, *preferences_);
        service.notifyReachedGoals(ledger::goals(data_), kept_figures::sums(*this)->balance);
    }
}

void MoneyStore::writeWidgetSnapshot() {
    // The same sums the screens read after this change: one walk serves both.
    const std::shared_ptr<const ledger::LedgerSummary> sums = kept_figures::sums(*this);
    WidgetSnapshotWriter(*widgets_, *clock_, *disk_).write(sums->balance, sums->today.income, sums->today.expense);
    ++snapshotWrites_;
}

void MoneyStore::processDueRecurringTransactions(const QDateTime& referenceDate) {
    if (bookDueRecurring(referenceDate))
        save();
}

bool MoneyStore::bookDueRecurring(const QDateTime& referenceDate) {
    const bool wasAbsent = !data_.recurringTransactions.has_value();
    std::vector<RecurringTransaction> items = data_.recurringTransactions.value_or(std::vector<RecurringTransaction>{});
    std::vector<MoneyTransaction> booked;
    const LedgerCalendar ledgerCalendar = calendar();

    for (RecurringTransaction& item : items) {
        if (!item.isActive)
            continue;
        for (int n = 0; n < kMaxBookingsPerItem; ++n) {
            if (!item.nextDate.isValid() || referenceDate < item.nextDate)
                break;
            booked.push_back(MoneyTransaction{QUuid::createUuid(), item.kind, item.amount, item.category,
                                              QStringLiteral("Регулярно: ") + item.title, item.nextDate,
                                              QStringList{}, false, QStringLiteral("Основной"),
                                              std::nullopt});
            shareTexts(booked.back());
            // Weekly is seven calendar days and monthly one calendar month in
            // the store's zone, so the wall-clock time survives clock changes and
            // a month end clamps (Jan 31 -> Feb 28 -> Mar 28).
            const QDateTime next = item.frequency == RecurringFrequency::weekly
                                       ? ledgerCalendar.addingDays(item.nextDate, 7)
                                       : ledgerCalendar.addingMonths(item.nextDate, 1);
            // A date the calendar cannot form (or one the ledger's date form
            // cannot hold) or one that does not move forward would book the same
            // day again and again: park the item on the reference date and stop
            // booking it for this call.
            if (!next.isValid() || next.date().year() > 9999 || next <= item.nextDate) {
                item.nextDate = referenceDate;
                break;
            }
            item.nextDate = next;
        }
    }

    if (booked.empty() && !wasAbsent && *data_.recurringTransactions == items)
        return false;
    data_.recurringTransactions = std::move(items);
    data_.transactions.insert(data_.transactions.end(), std::make_move_iterator(booked.begin()),
                              std::make_move_iterator(booked.end()));
    publishData();
    return !booked.empty();
}

std::vector<RewardTask> MoneyStore::rewardTasksInUse() const { return ledger::rewardTasksInUse(data_); }

std::vector<QuickTemplate> MoneyStore::quickTemplatesInUse() const { return ledger::templatesInUse(data_); }

std::vector<SavingsChallenge> MoneyStore::challengesInUse() const {
    return ledger::challengesInUse(data_, queryContext(), GlobalPreferences::currencyCode());
}
