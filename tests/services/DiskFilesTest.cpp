#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QThreadPool>
#include <QTimeZone>
#include <functional>

#include "services/DiskFiles.h"
#include "services/Preferences.h"
#include "support/DiskSyncs.h"
#include "support/LimitedDisk.h"
#include "support/ScopedUmask.h"
#include "support/TempDir.h"

using disk_files::ReplaceOptions;

namespace disk_syncs {
void PrintTo(const Range& range, std::ostream* out) { *out << "{" << range.offset << ", " << range.length << "}"; }
}  // namespace disk_syncs

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}


const QByteArray kOld = "{\"old\": \"ledger, kept byte for byte\"}\n";

struct Writer {
    const char* name;
    ReplaceOptions options;
};
const Writer kWriters[] = {
    {"ledger (synced with its folder)", {ReplaceOptions::Sync::fileAndFolder, true}},
    {"export (the user's file, synced)", {ReplaceOptions::Sync::file, false}},
    {"derived snapshot (no sync)", {ReplaceOptions::Sync::none, true}},
};
// Below, at and above what a buffered writer keeps until its commit (16 KiB).
const QList<qint64> kSizes = {100, 3000, 12000, 16384, 40000};
// A synced file larger than this goes to the disk a chunk at a time.
constexpr qint64 kChunk = disk_files::kSyncedWriteChunk;

// Bytes in which no chunk repeats another, nor the same chunk shifted.
QByteArray patterned(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 12345;
    for (qint64 i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = char(state >> 24);
    }
    return bytes;
}

// In the child: each writer, each size, onto path holding kOld, must fail
// with the system's reason and leave kOld and nothing else.
QString replacesRefused(const QString& folder, const QString& reason, const QList<qint64>& sizes = kSizes) {
    const QString path = folder + "/ledger.json";
    QString wrong;
    for (const Writer& writer : kWriters) {
        for (const qint64 size : sizes) {
            QString error;
            const bool written = disk_files::replace(path, QByteArray(size, 'n'), writer.options, &error);
            const QString where = QStringLiteral("%1, %2 bytes: ").arg(writer.name).arg(size);
            if (written) wrong += where + "reported done\n";
            if (error != reason) wrong += where + "error \"" + error + "\"\n";
            if (readAll(path) != kOld)
                wrong += where + QString("old file now %1 bytes\n").arg(readAll(path).size());
            if (QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name).filter("ledger").size() != 1)
                wrong += where + "left " + entriesOf(folder).join(", ") + "\n";
        }
    }
    return wrong;
}

}  // namespace

TEST(DiskFilesTest, AWriteCutShortByAFileSizeLimitKeepsTheOldFileWhole) {
    // Small files go in one write; a synced file over a chunk in chunks, and
    // the limit may meet it anywhere in them.
    struct Cut {
        const char* where;
        qint64 limit;
        QList<qint64> sizes;
    };
    const Cut cuts[] = {
        {"within one write", 64, kSizes},
        {"inside the first chunk", kChunk / 2, {3 * kChunk + 100}},
        {"at the first chunk's end", kChunk, {kChunk + 1, 3 * kChunk + 100}},
        {"one byte into the second chunk", kChunk + 1, {3 * kChunk + 100}},
        {"at a later chunk's end", 3 * kChunk, {3 * kChunk + 100}},
        {"inside the last chunk", 3 * kChunk + 50, {3 * kChunk + 100}},
        {"one byte short of the end", 3 * kChunk + 99, {3 * kChunk + 100}},
    };
    TempDir temp;
    writeAll(temp.filePath("ledger.json"), kOld);
    for (const Cut& cut : cuts) {
        EXPECT_EQ(limited_disk::withFileSizeLimit(
                      cut.limit, [&] { return replacesRefused(temp.path(), "файл слишком большой", cut.sizes); }),
                  "")
            << cut.where;
    }
    // The same writes with room to spare land whole.
    for (const Writer& writer : kWriters) {
        const QByteArray bytes(40000, 'y');
        QString error;
        EXPECT_TRUE(disk_files::replace(temp.filePath("ledger.json"), bytes, writer.options, &error))
            << writer.name;
        EXPECT_EQ(readAll(temp.filePath("ledger.json")), bytes) << writer.name;
    }
}

TEST(DiskFilesTest, AFileWrittenInChunksHoldsExactlyTheBytesGiven) {
    const qint64 sizes[] = {kChunk - 1, kChunk, kChunk + 1, 2 * kChunk, 2 * kChunk + 1, 3 * kChunk + 100};
    TempDir temp;
    const QString path = temp.filePath("ledger.json");
    for (const Writer& writer : kWriters) {
        for (const qint64 size : sizes) {
            const QByteArray bytes = patterned(size);
            QString error;
            EXPECT_TRUE(disk_files::replace(path, bytes, writer.options, &error)) << writer.name << ", " << size;
            EXPECT_TRUE(readAll(path) == bytes) << writer.name << ", " << size << " bytes: read back differ";
        }
    }
}

TEST(DiskFilesTest, ALargeSyncedFileIsHandedToTheDiskChunkByChunkThenSyncedOnce) {
    using disk_syncs::Range;
    struct Case {
        const char* name;
        ReplaceOptions options;
        qint64 size;
        QList<Range> starts;
    };
    const QList<Range> threeAndABit = {{0, kChunk}, {kChunk, kChunk}, {2 * kChunk, kChunk}, {3 * kChunk, 7}};
    const Case cases[] = {
        {"ledger, one chunk", {}, kChunk, {}},
        {"ledger, over three chunks", {}, 3 * kChunk + 7, threeAndABit},
        {"export, over three chunks", {ReplaceOptions::Sync::file, false}, 3 * kChunk + 7, threeAndABit},
        // Nothing to hand over early when no sync waits for it.
        {"derived snapshot", {ReplaceOptions::Sync::none, true}, 3 * kChunk + 7, {}},
        {"ledger, measured in one write", {ReplaceOptions::Sync::fileAndFolder, true, 0}, 3 * kChunk + 7, {}},
    };
    TempDir temp;
    const QString folder = QFileInfo(temp.path()).canonicalFilePath();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        disk_syncs::reset();
        const QByteArray bytes = patterned(c.size);
        ASSERT_TRUE(disk_files::replace(temp.filePath("ledger.json"), bytes, c.options, nullptr));
        EXPECT_EQ(disk_syncs::writebackStarts(), c.starts);
        const int fileSyncs = c.options.sync == ReplaceOptions::Sync::none ? 0 : 1;
        EXPECT_EQ(disk_syncs::countIn(folder) - disk_syncs::folderSyncsOf(folder), fileSyncs);
        EXPECT_TRUE(readAll(temp.filePath("ledger.json")) == bytes);
    }
}

TEST(DiskFilesTest, AWritebackStartThatFailsLeavesTheSaveToItsSync) {
    // A file system without the hint says EINVAL or ESPIPE; even an EIO
    // from it is no verdict: the sync that follows writes every byte and
    // reports a real write error itself.
    for (const int code : {EINVAL, ESPIPE, EIO}) {
        SCOPED_TRACE(code);
        TempDir temp;
        const QString folder = QFileInfo(temp.path()).canonicalFilePath();
        disk_syncs::reset();
        disk_syncs::failWritebackStarts(code);
        const QByteArray bytes = patterned(2 * kChunk + 1);
        QString error;
        EXPECT_TRUE(disk_files::replace(temp.filePath("ledger.json"), bytes, {}, &error)) << error.toStdString();
        EXPECT_FALSE(disk_syncs::writebackStarts().isEmpty());
        EXPECT_EQ(disk_syncs::countIn(folder) - disk_syncs::folderSyncsOf(folder), 1);
        EXPECT_TRUE(readAll(temp.filePath("ledger.json")) == bytes);
        disk_syncs::reset();
    }
}

TEST(DiskFilesTest, TheFileALargeReplaceDropsIsLetGoAndNothingStaysOpen) {
    // What may stand where a large file is written: nothing, a small file, a
    // large one (held open across the rename, then closed on a worker), a
    // FIFO (which must not be waited on).
    const auto openDescriptors = [] {
        return QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
    };
    TempDir temp;
    const QString path = temp.filePath("ledger.json");
    const auto fifo = [&] {
        QFile::remove(path);
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    };
    struct Case {
        const char* standing;
        std::function<void()> put;
        ReplaceOptions options;
    };
    const Case cases[] = {
        {"nothing", [&] { QFile::remove(path); }, {}},
        {"a small file", [&] { writeAll(path, kOld); }, {}},
        {"a large file", [] {}, {}},
        {"a large file, replaced by an export", [] {}, kWriters[1].options},
        {"a large file, replaced by a derived file", [] {}, kWriters[2].options},
        {"a FIFO", fifo, {}},
    };
    QThreadPool::globalInstance()->waitForDone();  // what earlier tests let go
    const qsizetype before = openDescriptors();
    qint64 size = 2 * kChunk;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.standing);
        c.put();
        const QByteArray bytes = patterned(++size);
        QString error;
        EXPECT_TRUE(disk_files::replace(path, bytes, c.options, &error)) << error.toStdString();
        EXPECT_TRUE(readAll(path) == bytes);
        EXPECT_EQ(entriesOf(temp.path()), QStringList{"ledger.json"});
    }
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(openDescriptors(), before);
}

TEST(DiskFilesTest, AFullTmpfsKeepsTheOldFileWhole) {
    TempDir temp;
    const std::optional<QString> wrong = limited_disk::onSmallTmpfs(temp.path(), 256 * 1024, [&] {
        writeAll(temp.filePath("ledger.json"), kOld);
        limited_disk::fill(temp.path());
        return replacesRefused(temp.path(), "на диске нет места");
    });
    if (!wrong) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    EXPECT_EQ(*wrong, "");
}

TEST(DiskFilesTest, APrivateReplaceSyncsTheFileThenItsFolderAfterTheRename) {
    TempDir temp;
    const QString folder = QFileInfo(temp.path()).canonicalFilePath();
    disk_syncs::reset();
    ASSERT_TRUE(disk_files::replace(temp.filePath("a.json"), "{}", {}, nullptr));
    EXPECT_EQ(disk_syncs::folders(), (QStringList{folder, folder}));
    EXPECT_EQ(disk_syncs::folderSyncsOf(folder), 1);

    disk_syncs::reset();
    ASSERT_TRUE(
        disk_files::replace(temp.filePath("b.json"), "{}", {ReplaceOptions::Sync::none, true}, nullptr));
    EXPECT_TRUE(disk_syncs::folders().isEmpty());
    EXPECT_EQ(entriesOf(temp.path()), (QStringList{"a.json", "b.json"}));
}

TEST(DiskFilesTest, FoldersAndFilesArePrivateWhateverTheUmask) {
    for (const mode_t mask : {mode_t(000), mode_t(022), mode_t(077)}) {
        SCOPED_TRACE(mask);
        TempDir temp;
        {
            const ScopedUmask scoped(mask);
            ASSERT_TRUE(disk_files::makePrivateFolder(temp.filePath("a/b/c"), nullptr));
            ASSERT_TRUE(disk_files::replace(temp.filePath("a/b/c/new.json"), "{}", {}, nullptr));
            writeAll(temp.filePath("a/old.json"), "{}");
            ::chmod(QFile::encodeName(temp.filePath("a/old.json")).constData(), 0666);
            ASSERT_TRUE(disk_files::replace(temp.filePath("a/old.json"), "[]", {}, nullptr));
            // A file the user names gets what any new file gets, and keeps its own mode when replaced.
            ASSERT_TRUE(disk_files::replace(temp.filePath("export.csv"), "x",
                                            {ReplaceOptions::Sync::file, false}, nullptr));
            writeAll(temp.filePath("mine.csv"), "old");
            ::chmod(QFile::encodeName(temp.filePath("mine.csv")).constData(), 0640);
            ASSERT_TRUE(disk_files::replace(temp.filePath("mine.csv"), "new",
                                            {ReplaceOptions::Sync::file, false}, nullptr));
        }
        for (const char* folder : {"a", "a/b", "a/b/c"})
            EXPECT_EQ(modeOf(temp.filePath(folder)), 0700u) << folder;
        EXPECT_EQ(modeOf(temp.filePath("a/b/c/new.json")), 0600u);
        EXPECT_EQ(modeOf(temp.filePath("a/old.json")), 0600u);
        EXPECT_EQ(readAll(temp.filePath("a/old.json")), "[]");
        EXPECT_EQ(modeOf(temp.filePath("export.csv")), 0666u & ~mask);
        EXPECT_EQ(modeOf(temp.filePath("mine.csv")), 0640u);
    }
}

TEST(DiskFilesTest, MakingAFolderWhereAFileStandsSaysWhichFolder) {
    TempDir temp;
    writeAll(temp.filePath("accounts"), "in the way");
    QString error;
    EXPECT_FALSE(disk_files::makePrivateFolder(temp.filePath("accounts"), &error));
    EXPECT_TRUE(error.endsWith("(" + temp.filePath("accounts") + ")")) << error.toStdString();
    EXPECT_FALSE(disk_files::makePrivateFolder(temp.filePath("accounts/inner"), &error));
    EXPECT_EQ(readAll(temp.filePath("accounts")), "in the way");
}

TEST(DiskFilesTest, NarrowingTakesGroupAndOtherAwayAndFollowsNoLink) {
    TempDir temp;
    QDir().mkpath(temp.filePath("Zanbeck/accounts/aside"));
    writeAll(temp.filePath("Zanbeck/accounts/anonymous.json"), "{}");
    writeAll(temp.filePath("Zanbeck/accounts/aside/deep.json"), "{}");
    writeAll(temp.filePath("outside.txt"), "someone else's");
    writeAll(temp.filePath("Zanbeck/readonly.json"), "{}");
    QFile::link(temp.filePath("outside.txt"), temp.filePath("Zanbeck/accounts/link.json"));
    const auto set = [&](const char* path, mode_t mode) {
        ::chmod(QFile::encodeName(temp.filePath(path)).constData(), mode);
    };
    for (const char* folder : {"Zanbeck", "Zanbeck/accounts", "Zanbeck/accounts/aside"}) set(folder, 0777);
    set("Zanbeck/accounts/anonymous.json", 0666);
    set("Zanbeck/accounts/aside/deep.json", 0644);
    set("outside.txt", 0644);
    set("Zanbeck/readonly.json", 0444);

    disk_files::narrowTree(temp.filePath("Zanbeck"), 1);
    EXPECT_EQ(modeOf(temp.filePath("Zanbeck")), 0700u);
    EXPECT_EQ(modeOf(temp.filePath("Zanbeck/accounts")), 0700u);
    EXPECT_EQ(modeOf(temp.filePath("Zanbeck/accounts/anonymous.json")), 0600u);
    EXPECT_EQ(modeOf(temp.filePath("Zanbeck/accounts/aside")), 0700u);
    EXPECT_EQ(modeOf(temp.filePath("Zanbeck/accounts/aside/deep.json")), 0644u) << "below the depth asked";
    EXPECT_EQ(modeOf(temp.filePath("outside.txt")), 0644u) << "a link is never followed";
    EXPECT_EQ(modeOf(temp.filePath("Zanbeck/readonly.json")), 0400u) << "only ever narrower";
}

// Every kind of value the app keeps in its preferences and app group is
// read back and found whole, so no good write is ever taken for a cut one.
TEST(DiskFilesTest, SettingsWrittenWholeAreTakenAsWrittenWithEveryKindOfValue) {
    TempDir temp;
    const QString path = temp.filePath("prefs/preferences.ini");
    Preferences prefs(path);
    const QDateTime at(QDate(2026, 6, 15), QTime(12, 0), QTimeZone::utc());
    const std::vector<std::pair<QString, QVariant>> values = {
        {"flag", true},
        {"off", false},
        {"currencyCode", "CNY"},
        {"appLanguage", "ru"},
        {"family.cachedUser.v1", QByteArray(R"({"email":"kid@example.org","nickname":"Коля"})")},
        {"number", 42},
        {"fraction", 0.1},
        {"when", at},
        {"at sign", "@ByteArray(not really)"},
        {"one item", QStringList{"a"}},
        {"two items", QStringList{"a", "b, c"}},
        {"no items", QStringList{}},
        {"slash/and\\back%", "x"},
        {"empty", ""},
        {"Кириллица ключ", "значение; с = и ,"},
    };
    for (const auto& [key, value] : values) prefs.setValue(key, value);
    EXPECT_EQ(entriesOf(temp.filePath("prefs")), QStringList{"preferences.ini"}) << "nothing kept beside it";
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(temp.filePath("prefs")), 0700u);
    QSettings read(path, QSettings::IniFormat);
    EXPECT_EQ(read.allKeys().size(), qsizetype(values.size()));
    EXPECT_EQ(prefs.string("Кириллица ключ"), "значение; с = и ,");
    EXPECT_EQ(prefs.data("family.cachedUser.v1"), values[4].second.toByteArray());
    prefs.remove("flag");
    EXPECT_FALSE(QSettings(path, QSettings::IniFormat).contains("flag"));
}

// QSettings renames an empty or cut file over the preferences when the disk
// is full and says all is well; the old file must stay.
TEST(DiskFilesTest, PreferencesOnAFullDiskKeepTheOldFileWhole) {
    TempDir temp;
    const QString path = temp.filePath("preferences.ini");
    {
        Preferences prefs(path);
        prefs.setValue("family.cachedUser.v1", QByteArray(R"({"email":"kid@example.org"})"));
        prefs.setValue("currencyCode", "CNY");
        // Larger than QSettings' lock file, which must still be written for
        // QSettings to try the write at all.
        prefs.setValue("keep", QString(600, u'k'));
    }
    const QByteArray before = readAll(path);
    ASSERT_FALSE(before.isEmpty());
    for (const int size : {10, 3000, 20000}) {
        SCOPED_TRACE(size);
        const QString wrong = limited_disk::withFileSizeLimit(before.size() + 4, [&] {
            Preferences prefs(path);
            prefs.setValue("note", QString(size, u'x'));
            QString found;
            if (readAll(path) != before) found += "the file changed\n";
            if (entriesOf(temp.path()).filter("preferences.ini.").size() > 1)  // the lock file may stay
                found += "left " + entriesOf(temp.path()).join(", ") + "\n";
            return found;
        });
        EXPECT_EQ(wrong, "");
        EXPECT_EQ(readAll(path), before);
    }
}

TEST(DiskFilesTest, WiderPreferencesAndAppGroupFilesAreNarrowedWhenOpened) {
    TempDir temp;
    QDir().mkpath(temp.filePath("config/Zanbeck"));
    QDir().mkpath(temp.filePath("group"));
    writeAll(temp.filePath("config/Zanbeck/preferences.ini"), "[General]\ncurrencyCode=CNY\n");
    writeAll(temp.filePath("group/defaults.ini"), "[General]\nbalance=1\n");
    for (const char* p : {"config/Zanbeck", "group"})
        ::chmod(QFile::encodeName(temp.filePath(p)).constData(), 0777);
    for (const char* p : {"config/Zanbeck/preferences.ini", "group/defaults.ini"})
        ::chmod(QFile::encodeName(temp.filePath(p)).constData(), 0666);

    Preferences prefs(temp.filePath("config/Zanbeck/preferences.ini"));
    AppGroupDefaults::setDirectoryOverride(temp.filePath("group"));
    EXPECT_TRUE(AppGroupDefaults::open());
    AppGroupDefaults::setDirectoryOverride({});
    EXPECT_EQ(modeOf(temp.filePath("config/Zanbeck")), 0700u);
    EXPECT_EQ(modeOf(temp.filePath("config/Zanbeck/preferences.ini")), 0600u);
    EXPECT_EQ(modeOf(temp.filePath("group")), 0700u);
    EXPECT_EQ(modeOf(temp.filePath("group/defaults.ini")), 0600u);
    EXPECT_EQ(prefs.string("currencyCode"), "CNY");
}

TEST(DiskFilesTest, NewPreferencesAndAppGroupFilesArePrivateWhateverTheUmask) {
    for (const mode_t mask : {mode_t(000), mode_t(022)}) {
        SCOPED_TRACE(mask);
        TempDir temp;
        {
            const ScopedUmask scoped(mask);
            Preferences prefs(temp.filePath("config/Zanbeck/preferences.ini"));
            prefs.setValue("family.cachedUser.v1", QByteArray(R"({"email":"kid@example.org"})"));
            AppGroupDefaults::setDirectoryOverride(temp.filePath("config/group"));
            auto shared = AppGroupDefaults::open();
            ASSERT_TRUE(shared);
            shared->setValue("pendingDestination", "income");
            EXPECT_TRUE(shared->sync());
            AppGroupDefaults::setDirectoryOverride({});
        }
        EXPECT_EQ(modeOf(temp.filePath("config")), 0700u);
        EXPECT_EQ(modeOf(temp.filePath("config/Zanbeck")), 0700u);
        EXPECT_EQ(modeOf(temp.filePath("config/Zanbeck/preferences.ini")), 0600u);
        EXPECT_EQ(modeOf(temp.filePath("config/group")), 0700u);
        EXPECT_EQ(modeOf(temp.filePath("config/group/defaults.ini")), 0600u);
    }
}
