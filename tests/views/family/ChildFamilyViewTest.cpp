#include <QJsonArray>
#include <QJsonDocument>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "account/AccountTestSupport.h"
#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/PageBody.h"
#include "components/PullToRefresh.h"
#include "components/QrImage.h"
#include "components/Spinner.h"
#include "components/TextLabel.h"
#include "views/family/ChildFamilyView.h"
#include "support/PaintedListInput.h"
#include "views/family/ChildTaskList.h"
#include "views/family/FamilyAccountView.h"
#include "views/shell/ShellFixture.h"

using namespace shelltest;

namespace {

const QString kPayload = QStringLiteral("zanbeck://pair?token=3f9a1c0e7d4b4a559e2f1b6c8d0a2e44");

struct TaskSpec {
    const char* id;
    qint64 cents;
    const char* status;
};

QByteArray familyWith(const QList<TaskSpec>& tasks) {
    QJsonArray list;
    for (const TaskSpec& t : tasks)
        list.append(QJsonObject{{"id", t.id},
                                {"title", QStringLiteral("Задание %1").arg(t.id)},
                                {"reward_cents", t.cents},
                                {"status", t.status},
                                {"child_user_id", "child-1"},
                                {"child_nickname", "Аня"}});
    const QJsonObject child{{"id", "child-1"}, {"nickname", "Аня"}, {"role", "child"}};
    return QJsonDocument(QJsonObject{{"members", QJsonArray{child}}, {"tasks", list}}).toJson();
}

ScriptedResponse held(ScriptedResponse response) {
    response.held = true;
    return response;
}

class ChildFamilyTest : public ShellTest {
protected:
    // Signed in as the child; the family tab restores and loads the family on show.
    ChildFamilyView& show(const QList<TaskSpec>& tasks = {}) {
        server.on("GET", "/api/family", ScriptedResponse::json(200, familyWith(tasks)));
        saveSignIn();
        page = new FamilyAccountView(account(), services);
        showInWindow(new NavigationStack(page));
        EXPECT_TRUE(waitUntil([&] { return account().members().size() == 1; }));
        view = qobject_cast<ChildFamilyView*>(page->familyView());
        EXPECT_TRUE(view);
        return *view;
    }
    int families() const { return int(server.requestsTo("GET", "/api/family").size()); }
    QStringList rows() const { return view->taskList()->rowKeys(); }
    QStringList column(QString ChildTaskContent::*text) const {
        QStringList texts;
        for (const QString& key : rows()) texts << (*view->taskList()->row(key)).*text;
        return texts;
    }
    PaintedList* list() const { return view->taskList()->list(); }

    FamilyAccountView* page = nullptr;
    ChildFamilyView* view = nullptr;
};

}  // namespace

TEST_F(ChildFamilyTest, PairingCardMovesFromPlaceholderToSpinnerToCodeAndKeepsTheCodeThroughAFailure) {
    show();
    EXPECT_EQ(page->title(), "Мои задания");
    EXPECT_TRUE(view->pairingPlaceholder()->isVisible());
    EXPECT_EQ(view->pairingPlaceholder()->descriptionLabel()->text(), "Нажмите кнопку ниже");
    EXPECT_TRUE(view->tasksPlaceholder()->isVisible());
    EXPECT_FALSE(view->errorLabel()->isVisible());
    saveGallery("child_family_empty");

    const auto answer =
        ScriptedResponse::json(201, "{\"qrPayload\":\"" + kPayload.toUtf8() + "\",\"expiresAt\":1}");
    const auto failure = ScriptedResponse::json(500, R"({"error":"Сервер занят."})");
    for (const ScriptedResponse& response : {answer, failure}) {
        const bool hadCode = view->qrBlock()->isVisible();
        server.queue("POST", "/api/pairing/create", held(response));
        click(view->createButton());
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
        EXPECT_FALSE(view->createButton()->isEnabled());
        EXPECT_EQ(view->creatingRow()->isVisible(), !hadCode)
            << "an older code stays while a new one is made";
        EXPECT_EQ(view->qrBlock()->isVisible(), hadCode);
        server.releaseHeld();
        ASSERT_TRUE(waitUntil([&] { return !account().isCreatingPairingCode(); }));
        settle();
        EXPECT_TRUE(view->createButton()->isEnabled());
        EXPECT_TRUE(view->qrBlock()->isVisible());
        EXPECT_EQ(view->qrView()->image(), *qrImage(kPayload));
        saveGallery(hadCode ? "child_family_error" : "child_family_qr");
    }
    EXPECT_TRUE(view->errorLabel()->isVisible());
    EXPECT_EQ(view->errorLabel()->text(), "Сервер занят.");

    // A payload no QR code can hold falls back to the placeholder.
    server.queue(
        "POST", "/api/pairing/create",
        ScriptedResponse::json(201, "{\"qrPayload\":\"" + QByteArray(8000, 'x') + "\",\"expiresAt\":1}"));
    click(view->createButton());
    ASSERT_TRUE(waitUntil([&] { return account().pairingPayload()->size() == 8000; }));
    EXPECT_FALSE(view->qrBlock()->isVisible());
    EXPECT_TRUE(view->pairingPlaceholder()->isVisible());
}

TEST_F(ChildFamilyTest, RewardsAndStatusesFollowTheTasksAndTheCurrencyWithoutRebuildingRows) {
    show({{"a", 0, "active"},
          {"b", 99, "review"},
          {"c", 100, "done"},
          {"d", 1999, "paused"},
          {"e", 15000, "active"}});
    EXPECT_FALSE(view->tasksPlaceholder()->isVisible());
    EXPECT_EQ(column(&ChildTaskContent::title),
              (QStringList{"Задание a", "Задание b", "Задание c", "Задание d", "Задание e"}));
    EXPECT_EQ(column(&ChildTaskContent::status),
              (QStringList{"В работе", "Ждёт проверки", "Выполнено", "Выполнено", "В работе"}));
    QList<bool> buttons;
    for (const QString& key : rows()) buttons << list()->buttonKeys(key).contains("done");
    EXPECT_EQ(buttons, (QList<bool>{true, false, false, false, true}));
    saveGallery("child_family_tasks");

    const std::pair<const char*, const char*> currencies[] = {
        {nullptr, "CNY"}, {"USD", "USD"}, {"XYZ", "CNY"}};
    for (const auto& [stored, shown] : currencies) {
        if (stored) Preferences::standard().setValue("currencyCode", QString::fromLatin1(stored));
        const QString c = QString::fromLatin1(shown);
        EXPECT_EQ(column(&ChildTaskContent::reward),
                  (QStringList{"+0 " + c, "+0 " + c, "+1 " + c, "+19 " + c, "+150 " + c}));
    }
    const QStringList keys = rows();
    account().setErrorMessage(QString("Нет связи с сервером."));
    server.queue("POST", "/api/pairing/create", held(ScriptedResponse::json(500, "{}")));
    click(view->createButton());
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    EXPECT_EQ(rows(), keys) << "a busy flag or a message keeps every row";
}

// A double-click on "Готово" sends one "complete": the second press of the
// gesture is dropped, and so is a press on the row whose button just went.
TEST_F(ChildFamilyTest, ADoubleClickOnDoneSendsOneComplete) {
    show({{"a", 500, "active"}, {"b", 700, "active"}});
    server.queue("PATCH", "/api/tasks", ScriptedResponse::json(200, "{}"));
    server.on("GET", "/api/family", ScriptedResponse::json(200, familyWith({{"a", 500, "review"}, {"b", 700, "active"}})));
    const QRect done = list()->buttonRect("a", "done");
    ASSERT_TRUE(paintedlist::doubleClickButton(list(), "a", "done", [&] {
        ASSERT_TRUE(waitUntil([&] { return view->taskList()->row("a")->status == "Ждёт проверки"; }));
    }));
    QTest::mouseClick(list(), Qt::LeftButton, {}, done.center());
    settle();
    EXPECT_EQ(server.requestsTo("PATCH", "/api/tasks").size(), 1);
    EXPECT_TRUE(list()->buttonKeys("a").isEmpty());
    EXPECT_TRUE(list()->isButtonEnabled("b", "done"));
}

// The road to "Ждёт проверки" runs against the real server (ChildFamilyEndToEnd).
TEST_F(ChildFamilyTest, DoneIsHeldWhileItsRequestRunsAFailureShowsInRedAndSignOutMeanwhileIsSafe) {
    show({{"a", 500, "active"}, {"b", 700, "active"}});
    server.queue("PATCH", "/api/tasks",
                 ScriptedResponse::json(409, R"({"error":"Задание уже ждёт проверки."})"));
    server.queue("PATCH", "/api/tasks", held(ScriptedResponse::json(200, "{}")));
    ASSERT_TRUE(paintedlist::clickButton(list(), "b", "done"));
    ASSERT_TRUE(waitUntil([&] { return view->errorLabel()->isVisible() && list()->isButtonEnabled("b", "done"); }));
    EXPECT_EQ(view->errorLabel()->text(), "Задание уже ждёт проверки.");

    ASSERT_TRUE(paintedlist::clickButton(list(), "b", "done"));
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    EXPECT_FALSE(list()->isButtonEnabled("b", "done"));
    EXPECT_TRUE(list()->isButtonEnabled("a", "done")) << "only the acting row waits";
    EXPECT_EQ(server.requestsTo("PATCH", "/api/tasks").size(), 2);
    const int requests = int(server.requests().size());
    click(view->signOutButton());
    settle();
    EXPECT_TRUE(page->loginView()->isVisible());
    EXPECT_EQ(server.requests().size(), requests) << "signing out sends nothing";
    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return server.answersDue() >= requests; }));
    settle();
    EXPECT_FALSE(account().user());
}

TEST_F(ChildFamilyTest, PullAndWheelRefreshOneAtATimeAndAFailedPullKeepsTheRowsSilently) {
    show({{"a", 500, "active"}});
    server.queue("GET", "/api/family",
                 held(ScriptedResponse::json(200, familyWith({{"n", 100, "active"}, {"a", 500, "active"}}))));
    QWidget* viewport = view->body()->viewport();
    for (int pull = 0; pull < 2; ++pull) {  // the second pull, while the first runs, starts nothing
        for (const auto& [type, y] : {std::pair{QEvent::MouseButtonPress, 20},
                                      {QEvent::MouseMove, 160},
                                      {QEvent::MouseButtonRelease, 160}}) {
            QMouseEvent event(type, QPointF(195, y), viewport->mapToGlobal(QPointF(195, y)), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
            QApplication::sendEvent(viewport, &event);
        }
    }
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    EXPECT_EQ(families(), 2);
    EXPECT_TRUE(view->pullToRefresh()->spinner()->isVisible());
    saveGallery("child_family_pull");
    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return !view->pullToRefresh()->isRefreshing(); }));
    EXPECT_EQ(column(&ChildTaskContent::title), (QStringList{"Задание n", "Задание a"}));

    server.queue("GET", "/api/family", ScriptedResponse::json(500, R"({"error":"Ошибка"})"));
    for (int notch = 0; notch < 3; ++notch) {
        QWheelEvent wheel(QPointF(195, 200), viewport->mapToGlobal(QPointF(195, 200)), {}, QPoint(0, 120),
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
    }
    ASSERT_TRUE(waitUntil([&] { return families() == 3 && !view->pullToRefresh()->isRefreshing(); }));
    EXPECT_EQ(rows().size(), 2);
    EXPECT_FALSE(view->errorLabel()->isVisible());
    EXPECT_FALSE(view->pullToRefresh()->spinner()->isVisible());
}

// A pull starts wherever the finger goes down on the page: on a task's
// "Готово", on a row's text, on a button of the page or between them. Each
// refreshes and presses nothing; a tap on "Готово" is still a tap.
TEST_F(ChildFamilyTest, APullFromAnywhereOnThePageRefreshesAndPressesNothing) {
    show({{"a", 500, "active"}, {"b", 700, "review"}});
    paintedlist::paint(list());
    const QRect done = list()->buttonRect("a", ChildTaskDelegate::kDone);
    const QRect rowB = list()->rowRect("b");
    ASSERT_FALSE(done.isEmpty());
    struct Start {
        const char* name;
        QWidget* widget;
        QPoint at;
    };
    const QList<Start> starts = {
        {"a task's button", list(), done.center()},
        {"a task row's text", list(), QPoint(rowB.left() + 20, rowB.top() + 10)},
        {"a button of the page", view->createButton(), view->createButton()->rect().center()},
        {"the page between its parts", view->body()->viewport(), QPoint(195, 4)},
    };
    int refreshes = families();
    for (const Start& start : starts) {
        ASSERT_EQ(view->body()->verticalScrollBar()->value(), 0) << start.name;
        QTest::mousePress(start.widget, Qt::LeftButton, {}, start.at);
        for (int step = 1; step <= 8; ++step) QTest::mouseMove(start.widget, start.at + QPoint(0, 20 * step));
        QTest::mouseRelease(start.widget, Qt::LeftButton, {}, start.at + QPoint(0, 160));
        ++refreshes;
        EXPECT_TRUE(waitUntil([&] { return families() == refreshes && !view->pullToRefresh()->isRefreshing(); }))
            << "a pull from " << start.name;
        settle();
    }
    EXPECT_TRUE(server.requestsTo("PATCH", "/api/tasks").isEmpty()) << "a pull never presses Готово";
    EXPECT_TRUE(server.requestsTo("POST", "/api/pairing/create").isEmpty()) << "nor a button of the page";

    // A tap is still a tap, and a short slip of the finger keeps it one.
    server.queue("PATCH", "/api/tasks", ScriptedResponse::json(200, "{}"));
    paintedlist::paint(list());
    QTest::mousePress(list(), Qt::LeftButton, {}, done.center());
    QTest::mouseMove(list(), done.center() + QPoint(0, 2));
    QTest::mouseRelease(list(), Qt::LeftButton, {}, done.center() + QPoint(0, 2));
    EXPECT_TRUE(waitUntil([&] { return server.requestsTo("PATCH", "/api/tasks").size() == 1; }));
    // The tap's reload follows the answer to its PATCH.
    EXPECT_TRUE(waitUntil([&] { return families() >= refreshes + 1; }));
    settle();
    EXPECT_EQ(families(), refreshes + 1) << "the tap's reload, and no pull";
}

TEST_F(ChildFamilyTest, AnOfflineStartSaysNothingIsLoadedAndMessagesEndWithTheirCause) {
    // Started offline with nothing loaded yet: neither "available offline" nor "no tasks".
    server.on("GET", "/api/auth/me", ScriptedResponse::json(503, R"({"error":"maintenance"})"));
    saveSignIn();
    page = new FamilyAccountView(account(), services);
    showInWindow(new NavigationStack(page));
    ASSERT_TRUE(waitUntil([&] { return account().errorMessage().has_value(); }));
    settle();
    view = qobject_cast<ChildFamilyView*>(page->familyView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->errorLabel()->text(), AccountSession::offlineNothingLoadedMessage());
    EXPECT_TRUE(view->tasksNotLoadedPlaceholder()->isVisible());
    EXPECT_FALSE(view->tasksPlaceholder()->isVisible());
    saveGallery("child_family_offline_nothing_loaded");

    // The server is back: the pull to refresh that loads the family ends the message.
    server.on("GET", "/api/family", ScriptedResponse::json(200, familyWith({})));
    ASSERT_FALSE(accounttest::finish(account().refresh()));
    settle();
    EXPECT_FALSE(view->errorLabel()->isVisible());
    EXPECT_TRUE(view->tasksPlaceholder()->isVisible());
    EXPECT_FALSE(view->tasksNotLoadedPlaceholder()->isVisible());

    // Signing out leaves nothing of the account on the sign-in form.
    server.queue("POST", "/api/pairing/create", ScriptedResponse::json(500, R"({"error":"Сервер занят."})"));
    click(view->createButton());
    ASSERT_TRUE(waitUntil([&] { return view->errorLabel()->isVisible(); }));
    click(view->signOutButton());
    settle();
    ASSERT_TRUE(page->loginView()->isVisible());
    EXPECT_FALSE(page->errorLabel()->isVisible());
    EXPECT_FALSE(account().errorMessage());
}
