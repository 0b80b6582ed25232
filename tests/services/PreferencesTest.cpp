#include <QFile>
#include <QSignalSpy>

#include "PreferencesTestSupport.h"

namespace {

QString fileText(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

}  // namespace

TEST(PreferencesTest, EveryWriteReachesTheFileAtOnceAndEmitsChangedWithItsKey) {
    TempDir dir;
    const QString path = dir.filePath("nested/folder/p.ini");
    Preferences writer(path);
    QSignalSpy spy(&writer, &Preferences::changed);
    writer.setValue("profileName", QStringLiteral("Маша"));
    writer.setValue("hideBalances", true);
    writer.setValue("hideBalances", true);  // same value: still a write
    writer.remove("absent");                // absent key: still a write
    EXPECT_TRUE(fileText(path).contains("hideBalances=true"));
    Preferences reader(path);
    EXPECT_EQ(reader.string("profileName"), QStringLiteral("Маша"));
    EXPECT_TRUE(reader.boolean("hideBalances", false));
    writer.remove("profileName");
    EXPECT_FALSE(Preferences(path).contains("profileName"));
    EXPECT_FALSE(fileText(path).contains("profileName"));
    QStringList keys;
    for (const QList<QVariant>& args : spy) keys << args.at(0).toString();
    EXPECT_EQ(keys, (QStringList{"profileName", "hideBalances", "hideBalances", "absent", "profileName"}));
}

TEST(PreferencesTest, KeysAreFlatWhateverCharactersTheyHold) {
    TempDir dir;
    Preferences prefs(dir.filePath("p.ini"));
    prefs.setValue("family.cachedUser.v1", QByteArray("{\"id\":\"u1\"}"));
    EXPECT_EQ(prefs.data("family.cachedUser.v1"), QByteArray("{\"id\":\"u1\"}"));
    const char* keys[] = {"a", "a/b", "a\\b", "a%2Fb", "/a"};
    for (const char* key : keys) prefs.setValue(key, QString("value of ") + key);
    for (const char* key : keys) EXPECT_EQ(prefs.string(key), QString("value of ") + key) << key;

    prefs.remove("a");  // a key is never a group: its look-alikes stay
    EXPECT_FALSE(prefs.contains("a"));
    EXPECT_EQ(prefs.string("a/b"), "value of a/b");

    // The empty key is no key; removing it must not wipe the file.
    prefs.remove("");
    prefs.setValue("", "x");
    EXPECT_FALSE(prefs.contains(""));
    EXPECT_EQ(prefs.string("a/b"), "value of a/b");
}

TEST(PreferencesTest, TypedReadsOfValuesWrittenAsTextByAnotherProgram) {
    TempDir dir;
    const QString path = dir.filePath("p.ini");
    writeFile(path,
              "[General]\n"
              "on=true\nyes=YES\noff=false\none=1\nzero=0\nother=maybe\n"
              "cached=@ByteArray(\\0\\xff{})\n"
              "name=\xd0\x90\xd0\xb8\xd1\x8b\n");
    const Preferences prefs(path);
    // clang-format off
    const std::tuple<const char*, bool, bool> booleans[] = {
        {"on", false, true},     {"yes", false, true},    {"off", true, false},     {"one", false, true},
        {"zero", true, false},   {"other", true, false},  {"absent", true, true},   {"absent", false, false}};
    // clang-format on
    for (const auto& [key, fallback, expected] : booleans)
        EXPECT_EQ(prefs.boolean(key, fallback), expected) << key << " with fallback " << fallback;
    EXPECT_EQ(prefs.data("cached"), QByteArray("\0\xff{}", 4));
    EXPECT_EQ(prefs.data("absent"), std::nullopt);
    EXPECT_EQ(prefs.string("name"), QStringLiteral("Аиы"));
    EXPECT_EQ(prefs.string("absent", "fallback"), "fallback");
    EXPECT_FALSE(prefs.value("absent").isValid());
}

TEST(PreferencesTest, ResetStandardRepointsTheOneInstanceAndKeepsItsConnections) {
    TempDir dir;
    Preferences& standard = Preferences::standard();
    QSignalSpy spy(&standard, &Preferences::changed);

    Preferences::resetStandard(dir.filePath("first.ini"));
    standard.setValue("currencyCode", "RUB");
    Preferences::resetStandard(dir.filePath("second.ini"));

    EXPECT_EQ(&Preferences::standard(), &standard);
    EXPECT_EQ(standard.filePath(), dir.filePath("second.ini"));
    EXPECT_FALSE(standard.contains("currencyCode"));
    standard.setValue("currencyCode", "USD");
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(Preferences(dir.filePath("first.ini")).string("currencyCode"), "RUB");

    Preferences::resetStandard();
    EXPECT_EQ(standard.filePath(), Preferences::defaultFilePath());
    EXPECT_TRUE(Preferences::defaultFilePath().endsWith("/Zanbeck/preferences.ini"));
}
