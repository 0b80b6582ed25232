// Rules every endpoint keeps: who may call it, what a malformed request gets,
// and that every answer is a JSON body.
#include "ServerHarness.h"

using nlohmann::json;

struct Request {
    std::string method, path, body;
};

TEST_F(FamilyTest, EveryAuthorizedEndpointAnswers401WithoutAValidToken) {
    std::string mangled = mamaToken_;
    auto& flipped = mangled[mangled.size() - 10];
    flipped = flipped == 'A' ? 'B' : 'A';  // right selector, wrong secret
    const Request endpoints[] = {
        {"GET", "/api/auth/me", ""},
        {"GET", "/api/family", ""},
        {"PATCH", "/api/preferences", R"({"currency":"USD","language":"en"})"},
        {"POST", "/api/pairing/create", "{}"},
        {"POST", "/api/pairing/claim", R"({"token":"x"})"},
        {"POST", "/api/family/parent-invite", R"({"action":"create"})"},
        {"POST", "/api/tasks", R"({"childId":"x","title":"t","reward":1})"},
        {"PATCH", "/api/tasks", R"({"id":"x","action":"complete"})"},
    };
    for (const std::string& bad : {std::string(), std::string("nonsense"), mangled}) {
        for (const auto& endpoint : endpoints) {
            const auto answer = api_->send(endpoint.method, endpoint.path, endpoint.body, bad);
            EXPECT_EQ(answer.status, 401) << endpoint.method << " " << endpoint.path << " with '" << bad << "'";
            EXPECT_FALSE(answer.error().empty()) << endpoint.path;
        }
    }
}

TEST_F(FamilyTest, MalformedRequestsAre400AndChangeNothing) {
    pair(mamaToken_, kidToken_);
    const auto taskId = addTask(mamaToken_, kid_.id);
    ASSERT_EQ(api_->patch("/api/preferences", R"({"currency":"KZT","language":"ru"})", mamaToken_).status, 200);
    auto newTask = [&](const json& title, const json& reward) {
        json body{{"childId", kid_.id}, {"title", title}, {"reward", reward}};
        if (reward.is_discarded()) body.erase("reward");
        return body.dump();
    };
    const struct {
        const char* rule;
        std::string method, path;
        std::vector<std::string> bodies;
    } cases[] = {
        {"sign-in needs an e-mail and a password as texts", "POST", "/api/auth/login",
         {"", "not json", "[]", "\"x\"", R"({"email":"a@b.c"})", R"({"email":1,"password":"password1"})",
          R"({"email":"a@b.c","password":null})"}},
        {"preferences need a currency code and a language code", "PATCH", "/api/preferences",
         {R"({"currency":"usd","language":"en"})", R"({"currency":"US","language":"en"})",
          R"({"currency":"USD","language":""})", R"({"currency":"USD","language":"e n"})", R"({"currency":"USD"})",
          R"({"currency":5,"language":"en"})", "[]"}},
        {"a pairing code request is an object", "POST", "/api/pairing/create", {"not json"}},
        {"a claim needs a token", "POST", "/api/pairing/claim", {"{}"}},
        {"an invite is created or claimed with a token", "POST", "/api/family/parent-invite",
         {R"({"action":"delete"})", "{}", R"({"action":"claim"})"}},
        // JSON has no infinity; an out-of-range literal must not slip through either.
        {"a reward is a number of at least a cent", "POST", "/api/tasks",
         {newTask("t", 0), newTask("t", -5), newTask("t", 0.004), newTask("t", 1e12), newTask("t", "10"),
          newTask("t", nullptr), newTask("t", true), newTask("t", json(json::value_t::discarded)),
          R"({"childId":")" + kid_.id + R"(","title":"t","reward":1e400})"}},
        {"a title is 1 to 200 characters", "POST", "/api/tasks", {newTask(" \t ", 5), newTask(std::string(201, 'a'), 5)}},
        {"an action is complete, approve or return on a task id", "PATCH", "/api/tasks",
         {json{{"id", taskId}, {"action", "finish"}}.dump(), json{{"id", taskId}}.dump(),
          json{{"id", 5}, {"action", "complete"}}.dump(), "{"}},
    };
    for (const auto& c : cases) {
        for (const auto& body : c.bodies) {
            // The child's token passes every role check that could answer first.
            const bool childActs = c.path == "/api/tasks" && c.method == "PATCH";
            const auto answer = api_->send(c.method, c.path, body, childActs ? kidToken_ : mamaToken_);
            EXPECT_EQ(answer.status, 400) << c.rule << ": " << body << " got " << answer.body;
            EXPECT_FALSE(answer.error().empty()) << c.rule << ": " << body;
        }
    }
    EXPECT_EQ(api_->post("/api/tasks", newTask(" \t ", 5), mamaToken_).error(), "Введите название задания.");
    const auto family = familyOf(kidToken_);
    EXPECT_EQ(family["preferences"]["currency_code"], "KZT");
    ASSERT_EQ(family["tasks"].size(), 1u);
    EXPECT_EQ(family["tasks"][0]["status"], "active");
}

// A refused body says what is wrong with it: the field and the type it
// needs, or why the text is no JSON object at all.
TEST_F(FamilyTest, AMalformedBodyIsToldWhatIsWrongWithIt) {
    pair(mamaToken_, kidToken_);
    const auto task = [&](const std::string& reward) {
        return R"({"childId":")" + kid_.id + R"(","title":"t","reward":)" + reward + "}";
    };
    const struct {
        std::string path, body, error;
    } cases[] = {
        {"/api/tasks", task(R"("12")"),
         "Некорректный запрос: поле «reward» должно быть числом, а не текстом."},
        {"/api/tasks", task("null"), "Некорректный запрос: поле «reward» должно быть числом, а не null."},
        {"/api/tasks", task("[12]"), "Некорректный запрос: поле «reward» должно быть числом, а не массивом."},
        {"/api/tasks", R"({"childId":")" + kid_.id + R"(","title":"t"})",
         "Некорректный запрос: нужно числовое поле «reward»."},
        {"/api/tasks", R"({"childId":")" + kid_.id + R"(","title":7,"reward":1})",
         "Некорректный запрос: поле «title» должно быть текстом, а не числом."},
        {"/api/tasks", R"({"childId":{},"title":"t","reward":1})",
         "Некорректный запрос: поле «childId» должно быть текстом, а не объектом."},
        {"/api/tasks", task("1e400"), "Некорректный запрос: число вне допустимого диапазона."},
        {"/api/tasks", std::string(R"({"childId":"x","title":"t)") + "\xff" + R"(","reward":1})",
         "Некорректный запрос: текст не в кодировке UTF-8."},
        {"/api/pairing/claim", R"({"token":true})",
         "Некорректный запрос: поле «token» должно быть текстом, а не логическим значением."},
        {"/api/tasks", "[]", "Некорректный запрос: ожидается JSON-объект."},
        {"/api/tasks", R"({"reward":1)", "Некорректный запрос: ожидается JSON-объект."},
    };
    for (const auto& c : cases) {
        const auto answer = api_->post(c.path, c.body, mamaToken_);
        EXPECT_EQ(answer.status, 400) << c.body;
        EXPECT_EQ(answer.error(), c.error) << c.body;
    }
    EXPECT_TRUE(familyOf(mamaToken_)["tasks"].empty());
}

TEST_F(FamilyTest, EachRoleMayOnlyTakeItsOwnPart) {
    pair(mamaToken_, kidToken_);
    const auto taskId = addTask(mamaToken_, kid_.id);
    const auto stranger = addAccount("stranger@example.com", "Чужой", "child");
    auto newTask = [](const std::string& childId) { return json{{"childId", childId}, {"title", "t"}, {"reward", 5}}.dump(); };
    const struct {
        const char* name;
        std::string token;
        Request request;
        std::string error = "";  // checked when given
    } cases[] = {
        {"parent makes a pairing code", mamaToken_, {"POST", "/api/pairing/create", "{}"}},
        {"child claims a pairing code", kidToken_, {"POST", "/api/pairing/claim", json{{"token", pairingCode()}}.dump()}},
        {"child makes an invite", kidToken_, {"POST", "/api/family/parent-invite", R"({"action":"create"})"}},
        {"child claims an invite", kidToken_,
         {"POST", "/api/family/parent-invite", json{{"action", "claim"}, {"token", inviteCode(mamaToken_)}}.dump()}},
        {"child gives a task", kidToken_, {"POST", "/api/tasks", newTask(kid_.id)}, "Создавать задания может только родитель."},
        {"task for a stranger", mamaToken_, {"POST", "/api/tasks", newTask(stranger.id)}},
        {"task for a parent", mamaToken_, {"POST", "/api/tasks", newTask(mama_.id)}},
        {"task for nobody", mamaToken_, {"POST", "/api/tasks", newTask("no-such-id")}},
        {"parent completes", mamaToken_, {"PATCH", "/api/tasks", json{{"id", taskId}, {"action", "complete"}}.dump()},
         "Отметить задание выполненным может только ребёнок."},
        {"child approves", kidToken_, {"PATCH", "/api/tasks", json{{"id", taskId}, {"action", "approve"}}.dump()}},
        {"child returns", kidToken_, {"PATCH", "/api/tasks", json{{"id", taskId}, {"action", "return"}}.dump()}},
    };
    for (const auto& c : cases) {
        const auto answer = api_->send(c.request.method, c.request.path, c.request.body, c.token);
        EXPECT_EQ(answer.status, 403) << c.name << ": " << answer.body;
        EXPECT_FALSE(answer.error().empty()) << c.name;
        if (!c.error.empty()) {
            EXPECT_EQ(answer.error(), c.error) << c.name;
        }
    }
    const auto family = familyOf(mamaToken_);
    EXPECT_EQ(family["members"].size(), 2u);
    ASSERT_EQ(family["tasks"].size(), 1u);
    EXPECT_EQ(family["tasks"][0]["status"], "active");
}

TEST_F(ServerTest, EveryAnswerIsAJsonBodyEvenOutsideTheRoutes) {
    const auto unknownPath = api_->get("/api/nothing-here");
    EXPECT_EQ(unknownPath.status, 404);
    EXPECT_EQ(unknownPath.error(), "Неизвестный адрес.");
    const auto wrongMethod = api_->get("/api/tasks");
    EXPECT_GE(wrongMethod.status, 400);
    EXPECT_FALSE(wrongMethod.error().empty());
    const auto oversized =
        api_->post("/api/auth/login", json{{"email", "a@b.c"}, {"password", std::string(70 * 1024, 'x')}}.dump());
    EXPECT_EQ(oversized.status, 413);
    EXPECT_EQ(oversized.error(), "Слишком большой запрос.");

    const auto token = tokenFor(addAccount("kid@example.com", "Coder", "child"));
    // The app sends "{}" here, but an empty body is no reason to refuse.
    const auto code = api_->post("/api/pairing/create", "", token);
    EXPECT_EQ(code.status / 100, 2);
    EXPECT_TRUE(code.json.is_object());
    const auto prefs = api_->patch("/api/preferences", R"({"currency":"CNY","language":"zh-Hans"})", token);
    EXPECT_EQ(prefs.status, 200);
    EXPECT_TRUE(prefs.json.is_object()) << prefs.body;
}
