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
        {"empty answer: still one JSON text", decodeAs<EmptyResponse>,
         {"", "OK", "{", "{} {}", "01", "-01", "1.5x", "1.", ".5", "+1", "-", "1e", "1e+", "0x10", "1 2", "tru",
          "nul", "truex", "\"ok", "\"a\\q\"", "\"\x01\"", "Infinity", "NaN"}},
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

TEST(FamilyWireDecoding, JudgesTheWholeTextFirstThenTheFieldsInTheirOrderWhateverOrderTheKeysCome) {
    const QString missing = QStringLiteral("Не удалось прочитать ответ сервера: нет нужных данных.");
    const QString malformed = QStringLiteral("Не удалось прочитать ответ сервера: неверный формат данных.");
    const struct {
        const char* why;
        QByteArray body;
        const QString& text;
    } cases[] = {
        {"a missing id counts before a wrong title met first",
         R"({"title":5,"reward_cents":1,"status":"a","child_user_id":"c","child_nickname":"n"})", missing},
        {"a wrong id counts before a missing title", R"({"child_nickname":"n","id":7,"reward_cents":1})", malformed},
        {"the last of repeated keys counts", task("1250", R"(,"id":null)"), missing},
        {"a broken text anywhere outweighs a missing field",
         R"({"id":"t","title":"x","status":"a","child_user_id":"c","child_nickname":"n","note":tru})", malformed},
        {"also after the record", task("1250") + " x", malformed},
        {"an unknown key's number is checked", task("1250", R"(,"x":[01])"), malformed},
        {"a colon out of place behind a text", task("1250", R"(,"x":"a":"b")"), malformed},
        {"a colon out of place behind a number", task("1250", R"(,"x":[1:2])"), malformed},
        {"an unknown key's text is checked", task("1250", R"(,"x":{"y":"\ud800"})"), malformed},
        {"a raw control character", task("1250", ",\"x\":\"a\tb\""), malformed},
        {"a number beyond a double", task("1250", R"(,"x":1e400)"), malformed},
        {"a reward beyond 64 bits", task("-9223372036854775809"), malformed},
        {"a reward with a fraction", task("12.5e-1"), malformed},
    };
    for (const auto& c : cases) {
        try {
            FamilyWire::decode<FamilyTask>(c.body);
            ADD_FAILURE() << c.why;
        } catch (const DecodingError& error) {
            EXPECT_EQ(error.errorDescription(), c.text) << c.why;
        }
    }

    const struct {
        const char* why;
        QByteArray body;
        const QString& text;
    } families[] = {
        {"a null element is a wrong one", R"({"members":[null],"tasks":[]})", malformed},
        {"a task without its reward",
         R"({"members":[],"tasks":[{"id":"t","title":"x","status":"active","child_user_id":"c","child_nickname":"n"}]})",
         missing},
        {"a task whose reward is null",
         R"({"members":[],"tasks":[{"id":"t","title":"x","reward_cents":null,"status":"active","child_user_id":"c",)"
         R"("child_nickname":"n"}]})",
         missing},
        {"the first bad element names the fault",
         R"({"tasks":[{"id":"t"},{"id":1}],"members":[]})", missing},
        {"members count before tasks", R"({"tasks":[{"id":1}],"members":[{"id":"p","role":"parent"}]})", missing},
        {"preferences missing a code", R"({"preferences":{"language_code":"ru"},"members":[],"tasks":[]})", missing},
        {"preferences of the wrong type", R"({"members":[],"tasks":[],"preferences":"RUB"})", malformed},
        {"a list that is null", R"({"members":null,"tasks":[]})", missing},
        {"a second text", R"({"members":[],"tasks":[]} [])", malformed},
        {"an array", R"([{"members":[],"tasks":[]}])", malformed},
        {"null", "null", malformed},
    };
    for (const auto& c : families) {
        try {
            FamilyWire::decode<FamilyResponse>(c.body);
            ADD_FAILURE() << c.why;
        } catch (const DecodingError& error) {
            EXPECT_EQ(error.errorDescription(), c.text) << c.why;
        }
    }
}

TEST(FamilyWireDecoding, ReadsKeysInAnyOrderEscapesRepeatsAndWholeNumbersInAnyForm) {
    const FamilyTask t = FamilyWire::decode<FamilyTask>(
        "\xEF\xBB\xBF" R"( {"child_nickname":"\u0410\u043d\u044f","status":"review","x":{"y":[1,{"z":null}]},)"
        R"("\u0069d":7,"id":"t\"1\"","title":"Купить \ud83c\udf4e\n","reward_cents":12.50e2,)"
        R"("child_user_id":"c1","approval_count":null,"required_approvals":2E0,"current_user_approved":-0} )");
    EXPECT_EQ(t.id, "t\"1\"");
    EXPECT_EQ(t.title, QStringLiteral("Купить 🍎\n"));
    EXPECT_EQ(t.child_nickname, "Аня");
    EXPECT_EQ(t.reward_cents, 1250);
    EXPECT_FALSE(t.approval_count);
    EXPECT_EQ(t.required_approvals, 2);
    EXPECT_EQ(t.current_user_approved, 0);
    for (const auto& [reward, cents] : {std::pair<const char*, qint64>{"-9223372036854775808", INT64_MIN},
                                        {"9.223372036854775807e18", INT64_MAX}, {"1E2", 100}})
        EXPECT_EQ(FamilyWire::decode<FamilyTask>(task(reward)).reward_cents, cents) << reward;

    // A large family reads back exactly as it was written, in order.
    FamilyResponse family;
    for (int i = 0; i < 3; ++i)
        family.members.append({QStringLiteral("m%1").arg(i), QStringLiteral("Член «%1»").arg(i),
                               i ? AppAccountRole::child : AppAccountRole::parent});
    for (int i = 0; i < 1000; ++i) {
        FamilyTask task{QStringLiteral("t%1").arg(i), QStringLiteral("Задание \\ %1").arg(i), 2500 + i,
                        i % 2 ? "review" : "active", "m1", "Член", {}, {}, {}};
        if (i % 2) task.approval_count = i % 3, task.required_approvals = 2, task.current_user_approved = i % 2;
        family.tasks.append(task);
    }
    family.preferences = AccountPreferences{"RUB", "ru"};
    const FamilyResponse read = FamilyWire::decode<FamilyResponse>(FamilyWire::encode(family));
    ASSERT_EQ(read.members.size(), 3);
    EXPECT_EQ(read.members[2].nickname, "Член «2»");
    EXPECT_EQ(read.members[0].role, AppAccountRole::parent);
    EXPECT_EQ(read.tasks, family.tasks);
    EXPECT_EQ(read.preferences->currency_code, "RUB");
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
