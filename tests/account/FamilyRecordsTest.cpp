#include "account/AccountError.h"
#include "account/AppAccountRole.h"
#include "account/BundleInfo.h"
#include "account/FamilyRecords.h"
#include "account/RequestBodies.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

QJsonObject jsonObject(const QByteArray& bytes) {
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(bytes, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << bytes.constData();
    return document.object();
}

QByteArray task(const char* reward = "1250", const char* extra = "") {
    return QByteArray(R"({"id":"t1","title":"Вынести мусор","reward_cents":)") + reward +
           R"(,"status":"active","child_user_id":"c1","child_nickname":"Аня")" + extra + "}";
}

const QByteArray kUser = R"({"id":"u","email":"e","nickname":"n","role":"child"})";

template <class T>
void decodeAs(const QByteArray& body) {
    FamilyWire::decode<T>(body);
}

}  // namespace

TEST(FamilyWireDecoding, RejectsEveryAnswerThatIsNotTheExpectedRecord) {
    const struct {
        const char* rule;
        void (*decode)(const QByteArray&);
        QList<QByteArray> bodies;
    } cases[] = {
        {"user: every field present, not null, of its type", decodeAs<FamilyUser>,
         {R"({"email":"a@b.ru","nickname":"n","role":"child"})", R"({"id":null,"email":"e","nickname":"n","role":"child"})",
          R"({"id":7,"email":"e","nickname":"n","role":"child"})", R"(["u","a@b.ru","n","child"])"}},
        {"user: only the exact role texts", decodeAs<FamilyUser>,
         {R"({"id":"u","email":"e","nickname":"n","role":"Parent"})", R"({"id":"u","email":"e","nickname":"n","role":"admin"})",
          R"({"id":"u","email":"e","nickname":"n","role":true})"}},
        {"user: whole JSON", decodeAs<FamilyUser>, {R"({"id":"u","email":"e","nickname":"n","role":"child")", ""}},
        {"task: approval flag is an integer", decodeAs<FamilyTask>,
         {task("1250", R"(,"current_user_approved":true)"), task("1250", R"(,"current_user_approved":"1")")}},
        {"task: reward is a whole 64-bit number", decodeAs<FamilyTask>,
         {task("12.5"), task("9223372036854775808"), task("1e300"), task("\"1250\""), task("true"), task("null")}},
        {"family: one bad element fails it all", decodeAs<FamilyResponse>,
         {R"({"members":[{"id":"p","nickname":"Мама","role":"parent"},{"id":"g","nickname":"Б","role":"grandparent"}],
              "tasks":[]})",
          R"({"members":[],"tasks":[{"id":"t"}]})", R"({"members":[]})", R"({"members":{},"tasks":[]})",
          R"({"members":[],"tasks":[],"preferences":{"currency_code":"RUB"}})"}},
        {"auth: the user is required", decodeAs<AuthResponse>, {R"({"sessionToken":"abc"})"}},
        {"me: the user is required", decodeAs<MeResponse>, {R"({"user":null})"}},
        {"pairing: a numeric expiry is required", decodeAs<PairingResponse>,
         {R"({"qrPayload":"x"})", R"({"qrPayload":"x","expiresAt":"soon"})"}},
        {"error: text under \"error\"", decodeAs<APIError>, {R"({"error":{"text":"x"}})", R"({"message":"x"})"}},
        {"empty answer: still one JSON text", decodeAs<EmptyResponse>, {"", "OK", "{", "{} {}"}},
    };
    for (const auto& c : cases) {
        for (const QByteArray& body : c.bodies) {
            try {
                c.decode(body);
                ADD_FAILURE() << c.rule << ": decoded " << body.constData();
            } catch (const DecodingError& error) {
                EXPECT_TRUE(error.errorDescription().startsWith("Не удалось прочитать ответ сервера")) << c.rule;
            }
        }
    }
}

TEST(FamilyWireDecoding, ReadsWhatTheServerSends) {
    EXPECT_EQ(FamilyWire::decode<FamilyUser>(R"({"id":"u1","email":"a@b.ru","nickname":"Папа","role":"parent","x":1})"),
              (FamilyUser{"u1", "a@b.ru", "Папа", AppAccountRole::parent}));

    for (const char* extra : {"", R"(,"approval_count":null,"required_approvals":null,"current_user_approved":null)"}) {
        const FamilyTask plain = FamilyWire::decode<FamilyTask>(task("1250", extra));
        EXPECT_EQ(plain.reward_cents, 1250);
        EXPECT_EQ(plain.child_nickname, "Аня");
        EXPECT_FALSE(plain.approval_count || plain.required_approvals || plain.current_user_approved) << extra;
    }
    const auto approved =
        FamilyWire::decode<FamilyTask>(task("1250", R"(,"approval_count":1,"required_approvals":2,"current_user_approved":1)"));
    EXPECT_TRUE(approved.approval_count == 1 && approved.required_approvals == 2 &&
                approved.current_user_approved == 1);
    for (const auto& [reward, cents] :
         {std::pair<const char*, qint64>{"9223372036854775807", INT64_MAX}, {"-5", -5}, {"300.0", 300}})
        EXPECT_EQ(FamilyWire::decode<FamilyTask>(task(reward)).reward_cents, cents) << reward;

    const auto family = FamilyWire::decode<FamilyResponse>(
        R"({"members":[{"id":"p","nickname":"Мама","role":"parent"},{"id":"c","nickname":"Аня","role":"child"}],
            "tasks":[],"preferences":{"currency_code":"RUB","language_code":"ru"}})");
    EXPECT_EQ(family.members.value(1).role, AppAccountRole::child);
    ASSERT_TRUE(family.preferences);
    EXPECT_EQ(family.preferences->currency_code, "RUB");
    EXPECT_EQ(family.preferences->language_code, "ru");
    EXPECT_FALSE(FamilyWire::decode<FamilyResponse>(R"({"members":[],"tasks":[]})").preferences);
    EXPECT_FALSE(FamilyWire::decode<FamilyResponse>(R"({"members":[],"tasks":[],"preferences":null})").preferences);

    EXPECT_EQ(FamilyWire::decode<AuthResponse>(R"({"sessionToken":"abc","user":)" + kUser + "}").sessionToken, "abc");
    for (const QByteArray& none : {QByteArray(), QByteArray(R"("sessionToken":null,)")})
        EXPECT_FALSE(FamilyWire::decode<AuthResponse>("{" + none + R"("user":)" + kUser + "}").sessionToken);
    EXPECT_EQ(FamilyWire::decode<MeResponse>(R"({"user":)" + kUser + "}").user.id, "u");
    const auto pairing = FamilyWire::decode<PairingResponse>(R"({"qrPayload":"zanbeck://pair?token=x","expiresAt":17})");
    EXPECT_EQ(pairing.qrPayload, "zanbeck://pair?token=x");
    EXPECT_EQ(pairing.expiresAt, 17);
    EXPECT_EQ(FamilyWire::decode<APIError>(R"({"error":"Неверный пароль","code":3})").error, "Неверный пароль");
    for (const char* body : {"{}", "[]", "null", "42", "\"ok\"", " {} \n"})
        EXPECT_NO_THROW(FamilyWire::decode<EmptyResponse>(body)) << body;
}

TEST(FamilyWireEncoding, TheCachedUserRoundTripsAndAbsentCountsStayOut) {
    const FamilyUser user{"u1", "kid@family.ru", "Миша \"младший\"", AppAccountRole::child};
    const QJsonObject encoded = jsonObject(FamilyWire::encode(user));
    EXPECT_EQ(encoded.keys(), (QStringList{"email", "id", "nickname", "role"}));
    EXPECT_EQ(encoded["role"].toString(), "child");
    EXPECT_EQ(FamilyWire::decode<FamilyUser>(FamilyWire::encode(user)), user);

    const QJsonObject plain = jsonObject(FamilyWire::encode(FamilyWire::decode<FamilyTask>(task())));
    EXPECT_EQ(plain.keys(), (QStringList{"child_nickname", "child_user_id", "id", "reward_cents", "status", "title"}));
    const auto counted = FamilyWire::decode<FamilyTask>(task("1250", R"(,"approval_count":2)"));
    EXPECT_EQ(FamilyWire::decode<FamilyTask>(FamilyWire::encode(counted)).approval_count, 2);
}

TEST(RequestBodies, ARewardJsonCannotCarryIsRefused) {
    for (double reward : {std::nan(""), HUGE_VAL, -HUGE_VAL})
        EXPECT_THROW(RequestBody::addTask("c1", "x", reward), EncodingError) << reward;
}

TEST(AppAccountRoleTest, OnlyTheExactTextParentMakesTheParentBuildReadOnEveryCall) {
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child) << "no bundle information in the test program";
    // In turn, so that a role remembered from an earlier call shows.
    const std::pair<QJsonValue, AppAccountRole::Value> cases[] = {
        {"parent", AppAccountRole::parent},  {"Parent", AppAccountRole::child}, {"parent", AppAccountRole::parent},
        {" parent", AppAccountRole::child},  {1, AppAccountRole::child},        {true, AppAccountRole::child},
        {QJsonArray{"parent"}, AppAccountRole::child},
    };
    for (const auto& [value, role] : cases) {
        ScopedBundleInfo info({{"ZanbeckRole", value}});
        EXPECT_EQ(AppAccountRole::build(), role) << QJsonDocument(QJsonArray{value}).toJson().constData();
    }
    ScopedBundleInfo noKey({{"CFBundleName", "Zanbeck"}});
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child);
}

TEST(BundleInfoFile, ReadsTheRoleFromTheBundleFileAndToleratesABrokenOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Info.json");
    BundleInfo::setSourcePath(path);
    const std::pair<QByteArray, AppAccountRole::Value> files[] = {
        {R"({"CFBundleName":"Zanbeck Parent","ZanbeckRole":"parent"})", AppAccountRole::parent},
        {R"({"ZanbeckRole":"parent")", AppAccountRole::child},  // truncated
        {R"(["parent"])", AppAccountRole::child},
    };
    for (const auto& [content, role] : files) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        EXPECT_EQ(AppAccountRole::build(), role) << content.constData();
    }
    QFile::remove(path);
    EXPECT_EQ(AppAccountRole::build(), AppAccountRole::child);
    BundleInfo::setSourcePath({});
}
