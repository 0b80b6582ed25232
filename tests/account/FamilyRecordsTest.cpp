#include "account/AccountError.h"
#include "account/AppAccountRole.h"
#include "account/BundleInfo.h"
#include "account/FamilyRecords.h"
#include "account/RequestBodies.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

QJsonObject jsonObject(const QByteArray& bytes) {
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(bytes, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << bytes.constData();
    return document.object();
}

const char* kTask = R"({"id":"t1","title":"Вынести мусор","reward_cents":1250,"status":"active",
    "child_user_id":"c1","child_nickname":"Аня"%1})";

QByteArray task(const char* extra = "") { return QString::fromUtf8(kTask).arg(QString::fromUtf8(extra)).toUtf8(); }

}  // namespace

TEST(FamilyUserDecoding, ReadsAllFourFieldsAndIgnoresUnknownKeys) {
    const auto user = FamilyWire::decode<FamilyUser>(
        R"({"id":"u1","email":"a@b.ru","nickname":"Папа","role":"parent","avatar":"x.png"})");
    EXPECT_EQ(user, (FamilyUser{"u1", "a@b.ru", "Папа", AppAccountRole::parent}));
}

TEST(FamilyUserDecoding, RejectsEveryBrokenField) {
    const char* broken[] = {
        R"({"email":"a@b.ru","nickname":"n","role":"child"})",             // missing id
        R"({"id":null,"email":"a@b.ru","nickname":"n","role":"child"})",   // null in a required field
        R"({"id":7,"email":"a@b.ru","nickname":"n","role":"child"})",      // number for text
        R"({"id":"u","email":"a@b.ru","nickname":"n","role":"Parent"})",   // role with a capital
        R"({"id":"u","email":"a@b.ru","nickname":"n","role":"admin"})",    // unknown role
        R"({"id":"u","email":"a@b.ru","nickname":"n","role":true})",       // role not text
        R"(["u","a@b.ru","n","child"])",                                    // not an object
        R"({"id":"u","email":"a@b.ru","nickname":"n","role":"child")",     // truncated
        "",                                                                 // empty
    };
    for (const char* body : broken)
        EXPECT_THROW(FamilyWire::decode<FamilyUser>(body), DecodingError) << body;
}

TEST(FamilyUserDecoding, CachedUserRoundTrips) {
    const FamilyUser user{"u1", "kid@family.ru", "Миша \"младший\"", AppAccountRole::child};
    const QJsonObject encoded = jsonObject(FamilyWire::encode(user));
    EXPECT_EQ(encoded.keys(), (QStringList{"email", "id", "nickname", "role"}));
    EXPECT_EQ(encoded["role"].toString(), "child");
    EXPECT_EQ(FamilyWire::decode<FamilyUser>(FamilyWire::encode(user)), user);
}

TEST(FamilyTaskDecoding, OptionalCountsAreAbsentWhenMissingOrNullAndStayOutWhenEncoded) {
    for (const char* extra : {"", R"(,"approval_count":null,"required_approvals":null,"current_user_approved":null)"}) {
        const FamilyTask decoded = FamilyWire::decode<FamilyTask>(task(extra));
        EXPECT_EQ(decoded.reward_cents, 1250);
        EXPECT_EQ(decoded.child_nickname, "Аня");
        EXPECT_FALSE(decoded.approval_count);
        EXPECT_FALSE(decoded.required_approvals);
        EXPECT_FALSE(decoded.current_user_approved);
        const QJsonObject again = jsonObject(FamilyWire::encode(decoded));
        EXPECT_FALSE(again.contains("approval_count"));
        EXPECT_FALSE(again.contains("required_approvals"));
        EXPECT_FALSE(again.contains("current_user_approved"));
        EXPECT_EQ(again["reward_cents"].toInteger(), 1250);
    }
}

TEST(FamilyTaskDecoding, ApprovalFlagIsAnIntegerNeverABoolean) {
    const auto approved = FamilyWire::decode<FamilyTask>(
        task(R"(,"approval_count":1,"required_approvals":2,"current_user_approved":1)"));
    EXPECT_EQ(approved.approval_count, 1);
    EXPECT_EQ(approved.required_approvals, 2);
    EXPECT_EQ(approved.current_user_approved, 1);
    EXPECT_THROW(FamilyWire::decode<FamilyTask>(task(R"(,"current_user_approved":true)")), DecodingError);
    EXPECT_THROW(FamilyWire::decode<FamilyTask>(task(R"(,"current_user_approved":"1")")), DecodingError);
}

TEST(FamilyTaskDecoding, RewardMustBeAWholeSixtyFourBitNumber) {
    auto withReward = [](const char* reward) {
        return QString::fromUtf8(R"({"id":"t","title":"x","reward_cents":%1,"status":"done",
            "child_user_id":"c","child_nickname":"n"})").arg(QString::fromLatin1(reward)).toUtf8();
    };
    EXPECT_EQ(FamilyWire::decode<FamilyTask>(withReward("9223372036854775807")).reward_cents,
              std::numeric_limits<qint64>::max());
    EXPECT_EQ(FamilyWire::decode<FamilyTask>(withReward("-5")).reward_cents, -5);
    EXPECT_EQ(FamilyWire::decode<FamilyTask>(withReward("300.0")).reward_cents, 300);
    for (const char* bad : {"12.5", "9223372036854775808", "\"1250\"", "true", "null", "1e300"})
        EXPECT_THROW(FamilyWire::decode<FamilyTask>(withReward(bad)), DecodingError) << bad;
}

TEST(FamilyResponseDecoding, PreferencesAreOptionalButWholeWhenPresent) {
    const auto plain = FamilyWire::decode<FamilyResponse>(
        R"({"members":[{"id":"p","nickname":"Мама","role":"parent"},{"id":"c","nickname":"Аня","role":"child"}],
            "tasks":[]})");
    ASSERT_EQ(plain.members.size(), 2);
    EXPECT_EQ(plain.members[1].role, AppAccountRole::child);
    EXPECT_FALSE(plain.preferences);
    EXPECT_FALSE(FamilyWire::decode<FamilyResponse>(R"({"members":[],"tasks":[],"preferences":null})").preferences);

    const auto withPreferences = FamilyWire::decode<FamilyResponse>(
        R"({"members":[],"tasks":[],"preferences":{"currency_code":"RUB","language_code":"ru"}})");
    ASSERT_TRUE(withPreferences.preferences);
    EXPECT_EQ(withPreferences.preferences->currency_code, "RUB");
    EXPECT_EQ(withPreferences.preferences->language_code, "ru");

    EXPECT_THROW(FamilyWire::decode<FamilyResponse>(
                     R"({"members":[],"tasks":[],"preferences":{"currency_code":"RUB"}})"),
                 DecodingError);
}

TEST(FamilyResponseDecoding, OneBadElementFailsTheWholeAnswer) {
    EXPECT_THROW(FamilyWire::decode<FamilyResponse>(
                     R"({"members":[{"id":"p","nickname":"Мама","role":"parent"},
                                    {"id":"g","nickname":"Бабушка","role":"grandparent"}],"tasks":[]})"),
                 DecodingError);
    EXPECT_THROW(FamilyWire::decode<FamilyResponse>(R"({"members":[],"tasks":[{"id":"t"}]})"), DecodingError);
    EXPECT_THROW(FamilyWire::decode<FamilyResponse>(R"({"members":[]})"), DecodingError);
    EXPECT_THROW(FamilyWire::decode<FamilyResponse>(R"({"members":{},"tasks":[]})"), DecodingError);
}

TEST(FamilyResponseDecoding, KeepsServerOrderAndRoundTrips) {
    const QByteArray body = QByteArray(R"({"members":[],"tasks":[)") + task() + "," +
                            task(R"(,"approval_count":2)").replace("\"t1\"", "\"t2\"") + "]}";
    const auto family = FamilyWire::decode<FamilyResponse>(body);
    ASSERT_EQ(family.tasks.size(), 2);
    EXPECT_EQ(family.tasks[0].id, "t1");
    EXPECT_EQ(family.tasks[1].id, "t2");
    const auto again = FamilyWire::decode<FamilyResponse>(FamilyWire::encode(family));
    EXPECT_EQ(again.tasks[1].approval_count, 2);
    EXPECT_FALSE(again.tasks[0].approval_count);
}

TEST(OtherAnswers, AuthTokenIsOptionalAndUserRequired) {
    const char* user = R"({"id":"u","email":"e","nickname":"n","role":"child"})";
    const auto withToken = FamilyWire::decode<AuthResponse>(
        QByteArray(R"({"sessionToken":"abc","user":)") + user + "}");
    EXPECT_EQ(withToken.sessionToken, "abc");
    EXPECT_FALSE(FamilyWire::decode<AuthResponse>(QByteArray(R"({"user":)") + user + "}").sessionToken);
    EXPECT_FALSE(
        FamilyWire::decode<AuthResponse>(QByteArray(R"({"sessionToken":null,"user":)") + user + "}").sessionToken);
    EXPECT_THROW(FamilyWire::decode<AuthResponse>(R"({"sessionToken":"abc"})"), DecodingError);
    EXPECT_THROW(FamilyWire::decode<MeResponse>(R"({"user":null})"), DecodingError);
    EXPECT_EQ(FamilyWire::decode<MeResponse>(QByteArray(R"({"user":)") + user + "}").user.id, "u");
}

TEST(OtherAnswers, PairingNeedsBothPayloadAndExpiry) {
    const auto pairing = FamilyWire::decode<PairingResponse>(R"({"qrPayload":"zanbeck://pair?token=x","expiresAt":1700000000})");
    EXPECT_EQ(pairing.qrPayload, "zanbeck://pair?token=x");
    EXPECT_EQ(pairing.expiresAt, 1700000000);
    EXPECT_THROW(FamilyWire::decode<PairingResponse>(R"({"qrPayload":"x"})"), DecodingError);
    EXPECT_THROW(FamilyWire::decode<PairingResponse>(R"({"qrPayload":"x","expiresAt":"soon"})"), DecodingError);
}

TEST(OtherAnswers, EmptyResponseAcceptsAnyJsonButNotNothing) {
    for (const char* body : {"{}", "[]", "null", "42", "\"ok\"", R"({"ok":true})", " {} \n"})
        EXPECT_NO_THROW(FamilyWire::decode<EmptyResponse>(body)) << body;
    for (const char* body : {"", "   ", "OK", "<html></html>", "{", "{} {}"})
        EXPECT_THROW(FamilyWire::decode<EmptyResponse>(body), DecodingError) << body;
}

TEST(OtherAnswers, ApiErrorNeedsTextUnderError) {
    EXPECT_EQ(FamilyWire::decode<APIError>(R"({"error":"Неверный пароль","code":3})").error, "Неверный пароль");
    EXPECT_THROW(FamilyWire::decode<APIError>(R"({"error":{"text":"x"}})"), DecodingError);
    EXPECT_THROW(FamilyWire::decode<APIError>(R"({"message":"x"})"), DecodingError);
}

TEST(DecodingErrors, CarryARussianDescription) {
    try {
        FamilyWire::decode<EmptyResponse>("");
        FAIL() << "an empty body decoded";
    } catch (const DecodingError& error) {
        EXPECT_TRUE(error.errorDescription().startsWith("Не удалось прочитать ответ сервера"));
    }
}

TEST(RequestBodies, CarryTheTextsExactlyUnderTheirKeys) {
    const auto login = jsonObject(RequestBody::login(" Mama@Family.RU ", "pa\"ss wörd"));
    EXPECT_EQ(login.size(), 2);
    EXPECT_EQ(login["email"].toString(), " Mama@Family.RU ");
    EXPECT_EQ(login["password"].toString(), "pa\"ss wörd");

    const auto preferences = jsonObject(RequestBody::preferences("RUB", "ru"));
    EXPECT_EQ(preferences, (QJsonObject{{"currency", "RUB"}, {"language", "ru"}}));
    EXPECT_EQ(jsonObject(RequestBody::claim("tok")), (QJsonObject{{"token", "tok"}}));
    EXPECT_EQ(jsonObject(RequestBody::createFamilyInvite()), (QJsonObject{{"action", "create"}}));
    EXPECT_EQ(jsonObject(RequestBody::claimFamilyInvite("tok")), (QJsonObject{{"action", "claim"}, {"token", "tok"}}));
    EXPECT_EQ(jsonObject(RequestBody::act("t1", "approve")), (QJsonObject{{"id", "t1"}, {"action", "approve"}}));
    EXPECT_EQ(RequestBody::createPairingCode(), "{}");
}

TEST(RequestBodies, RewardIsAJsonNumberInCurrencyUnits) {
    const auto body = jsonObject(RequestBody::addTask("c1", "Помыть посуду", 12.5));
    EXPECT_EQ(body["childId"].toString(), "c1");
    EXPECT_EQ(body["title"].toString(), "Помыть посуду");
    ASSERT_TRUE(body["reward"].isDouble());
    EXPECT_DOUBLE_EQ(body["reward"].toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(jsonObject(RequestBody::addTask("c1", "x", -3))["reward"].toDouble(), -3.0);
    EXPECT_DOUBLE_EQ(jsonObject(RequestBody::addTask("c1", "x", 0.1))["reward"].toDouble(), 0.1);
}

TEST(RequestBodies, NonFiniteRewardFailsToEncode) {
    for (double reward : {std::nan(""), HUGE_VAL, -HUGE_VAL})
        EXPECT_THROW(RequestBody::addTask("c1", "x", reward), EncodingError) << reward;
}

TEST(AccountErrors, DescriptionsAreTheScreenTexts) {
    EXPECT_EQ(AccountError::server("Код устарел — попросите новый").errorDescription(), "Код устарел — попросите новый");
    EXPECT_EQ(AccountError::wrongRole().errorDescription(), "Этот аккаунт предназначен для другой версии приложения.");
    EXPECT_EQ(AccountError::missingSession().errorDescription(), "Сервер не вернул сохранённую сессию.");
    EXPECT_EQ(AccountError::unauthorized().errorDescription(), "Сессия истекла. Войдите снова.");
    EXPECT_EQ(AccountError::unauthorized().kind(), AccountError::Kind::unauthorized);
}

TEST(AppAccountRoleTest, RawValuesAreExact) {
    EXPECT_EQ(AppAccountRole(AppAccountRole::parent).rawValue(), "parent");
    EXPECT_EQ(AppAccountRole::fromRawValue("child"), AppAccountRole(AppAccountRole::child));
    EXPECT_FALSE(AppAccountRole::fromRawValue("Child"));
    EXPECT_FALSE(AppAccountRole::fromRawValue(""));
}

TEST(AppAccountRoleTest, OnlyTheExactTextParentMakesTheParentBuild) {
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child) << "no bundle information in the test program";
    {
        ScopedBundleInfo info({{"ZanbeckRole", "parent"}});
        EXPECT_EQ(AppAccountRole::build(), AppAccountRole::parent);
    }
    const QJsonValue others[] = {QJsonValue("Parent"), QJsonValue("child"), QJsonValue(1), QJsonValue(true),
                                 QJsonValue(QJsonArray{"parent"}), QJsonValue(" parent")};
    for (const QJsonValue& value : others) {
        ScopedBundleInfo info({{"ZanbeckRole", value}});
        EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child) << QJsonDocument(QJsonArray{value}).toJson().constData();
    }
    ScopedBundleInfo noKey({{"CFBundleName", "Zanbeck"}});
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child);
}

TEST(AppAccountRoleTest, IsReadAgainOnEveryCall) {
    ScopedBundleInfo info({{"ZanbeckRole", "parent"}});
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::parent);
    BundleInfo::setOverride(QJsonObject{{"ZanbeckRole", "child"}});
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child);
}

TEST(BundleInfoFile, ReadsTheRoleFromTheBundleFileAndToleratesABrokenOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Info.json");
    auto write = [&](const QByteArray& content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    };
    BundleInfo::setSourcePath(path);
    write(R"({"CFBundleName":"Zanbeck Parent","ZanbeckRole":"parent"})");
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::parent);
    write(R"({"ZanbeckRole":"parent")");  // truncated
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child);
    write(R"(["parent"])");
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child);
    QFile::remove(path);
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child);
    BundleInfo::setSourcePath({});
}
