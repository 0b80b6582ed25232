#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QActionGroup>
#include <QMenu>
#include <QSet>
#include <QUuid>

#include "account/AccountTestSupport.h"
#include "components/Button.h"
#include "components/Chip.h"
#include "components/ContentUnavailableView.h"
#include "components/DisclosureGroup.h"
#include "components/LazyColumn.h"
#include "components/PageBody.h"
#include "components/QrImage.h"
#include "components/Spinner.h"
#include "components/TextLabel.h"
#include "components/TileButton.h"
#include "support/CommaNumericLocale.h"
#include "support/PaintedListInput.h"
#include "views/family/FamilyAccountView.h"
#include "views/family/FamilyConnectionCard.h"
#include "views/family/ParentFamilyView.h"
#include "views/family/TaskBoard.h"
#include "views/family/TaskComposer.h"
#include "views/PageScrolling.h"
#include "views/shell/ShellFixture.h"

using namespace shelltest;

namespace {

const QString kInvite = QStringLiteral("zanbeck://family/parent?token=inv.1");

struct Task {
    const char* id;
    const char* status;
    const char* child = "child-1";
    qint64 cents = 5000;
    QJsonObject extra = {};
};

QByteArray family(int parents, QList<std::pair<const char*, const char*>> kids,
                  const QList<Task>& tasks = {}) {
    QJsonArray members{QJsonObject{{"id", "parent-1"}, {"nickname", "Мама"}, {"role", "parent"}}};
    if (parents > 1)
        members.append(QJsonObject{{"id", "parent-2"}, {"nickname", "Папа"}, {"role", "parent"}});
    for (const auto& [id, nickname] : kids)
        members.append(QJsonObject{{"id", id}, {"nickname", QString::fromUtf8(nickname)}, {"role", "child"}});
    QJsonArray list;
    for (const Task& t : tasks) {
        QJsonObject task{{"id", t.id},
                         {"title", QStringLiteral("Задание %1").arg(t.id)},
                         {"reward_cents", t.cents},
                         {"status", t.status},
                         {"child_user_id", t.child},
                         {"child_nickname", t.child == QLatin1String("child-2") ? "Миша" : "Аня"}};
        for (auto it = t.extra.begin(); it != t.extra.end(); ++it) task.insert(it.key(), it.value());
        list.append(task);
    }
    return QJsonDocument(QJsonObject{{"members", members}, {"tasks", list}}).toJson();
}

const QList<std::pair<const char*, const char*>> kTwoKids = {{"child-1", "Аня & Co"}, {"child-2", "Миша"}};

ScriptedResponse held(ScriptedResponse response) {
    response.held = true;
    return response;
}
ScriptedResponse ok() { return ScriptedResponse::json(200, "{}"); }
ScriptedResponse failure() { return ScriptedResponse::json(500, R"({"error":"Сервер занят."})"); }

class ParentCenterTest : public ShellTest {
protected:
    ParentFamilyView& show(const QByteArray& answer) {
        setBuildRole("parent");
        server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(kParentUser)));
        server.on("GET", "/api/family", ScriptedResponse::json(200, answer));
        saveSignIn(kParentUser);
        page = new FamilyAccountView(account(), services);
        showInWindow(new NavigationStack(page));
        EXPECT_TRUE(waitUntil([&] { return !account().members().isEmpty(); }));
        settle();
        view = qobject_cast<ParentFamilyView*>(page->familyView());
        EXPECT_TRUE(view);
        return *view;
    }
    // Answers the next family request with `answer` and reloads.
    void reload(const QByteArray& answer) {
        server.on("GET", "/api/family", ScriptedResponse::json(200, answer));
        ASSERT_FALSE(accounttest::finish(ParentFamilyView::refreshQuietly(&account())));
        settle();
    }
    QStringList figures() const {
        QStringList texts;
        for (TextLabel* label : view->figures()) texts << label->text();
        return texts;
    }
    QStringList cardTitles() const {
        QStringList titles;
        for (const QString& id : view->board()->list()->rows()) titles << view->board()->card(id)->title;
        return titles;
    }
    QJsonObject lastBody(const QByteArray& method, const QByteArray& path) const {
        const auto requests = server.requestsTo(method, path);
        return requests.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(requests.last().body).object();
    }

    FamilyAccountView* page = nullptr;
    ParentFamilyView* view = nullptr;
};

}  // namespace

TEST_F(ParentCenterTest, SectionsFiguresChipsAndTheChosenChildFollowTheFamily) {
    show(family(1, {}));
    EXPECT_EQ(page->title(), "Родительский центр");
    EXPECT_EQ(figures(), QStringList({"0", "1", "0"}));
    EXPECT_TRUE(view->emptyFamilyCard()->isVisible());
    for (QWidget* hidden : {view->childSelector(), static_cast<QWidget*>(view->composer()),
                            static_cast<QWidget*>(view->board()), view->errorBanner()})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_TRUE(view->connectionCard()->isVisible());
    EXPECT_TRUE(view->featureCenterLink()->isVisible());
    EXPECT_EQ(view->connectionCard()->sizeLabel()->text(), "1 род. · 0 дет.");
    saveGallery("parent_center_empty_family");
    click(view->emptyFamilyCard()->scanButton());
    ASSERT_TRUE(view->scannerSheet());
    EXPECT_TRUE(qrScanners.last());
    view->scannerSheet()->dismiss();
    settle();

    // A pairing brings the sections and the chosen child without a tap.
    reload(family(2, kTwoKids,
                  {{"t1", "review"}, {"t2", "review"}, {"t3", "review", "child-2"}, {"t4", "active"}}));
    EXPECT_FALSE(view->emptyFamilyCard()->isVisible());
    EXPECT_TRUE(view->composer()->isVisible() && view->board()->isVisible());
    EXPECT_EQ(figures(), QStringList({"2", "2", "3"}));
    EXPECT_EQ(view->composer()->childId(), "child-1");
    ASSERT_EQ(view->childChips().size(), 3);
    EXPECT_EQ(view->childChips()[1]->title(), "Аня & Co") << "plain text, no shortcut marker";
    EXPECT_TRUE(view->childChips()[0]->isSelected());

    click(view->childChips()[2]);
    EXPECT_EQ(cardTitles(), QStringList({"Задание t3"}));
    EXPECT_EQ(figures()[2], "3");
    EXPECT_EQ(view->board()->filterChip(ParentTaskFilter::review)->title(), "Проверить 3");
    saveGallery("parent_center_full_family");

    // Миша leaves: his filter selects no chip and lists nothing; Аня stays chosen.
    reload(family(2, {{"child-1", "Аня & Co"}}, {{"t1", "review"}}));
    for (Chip* chip : view->childChips()) EXPECT_FALSE(chip->isSelected());
    EXPECT_TRUE(cardTitles().isEmpty());
    EXPECT_EQ(view->composer()->childId(), "child-1");
    // Аня leaves too, and a new child comes: the composer follows.
    reload(family(2, {{"child-2", "Миша"}}));
    EXPECT_EQ(view->composer()->childId(), "child-2");
}

TEST_F(ParentCenterTest, ComposerRulesRewardTextsAndWhatASendKeeps) {
    show(family(1, {{"child-1", "Аня"}}));
    TaskComposer* composer = view->composer();
    EXPECT_EQ(composer->rewardField()->text(), "25");
    EXPECT_EQ(composer->currencyLabel()->text(), "CNY");
    EXPECT_FALSE(composer->sendButton()->isEnabled());
    composer->titleField()->setText("   ");
    EXPECT_FALSE(composer->sendButton()->isEnabled());
    composer->titleField()->setText("Вынести мусор");
    click(composer->quickStartButtons()[2]);
    EXPECT_EQ(composer->titleField()->text(), "Убрал комнату");
    EXPECT_TRUE(composer->sendButton()->isEnabled());
    server.on("PATCH", "/api/preferences", ok());  // the family tab sends the new currency
    Preferences::standard().setValue("currencyCode", "EUR");
    EXPECT_EQ(composer->currencyLabel()->text(), "EUR");

    server.on("POST", "/api/tasks", ScriptedResponse::json(201, "{}"));
    auto sendWith = [&](const QString& reward) {
        const auto before = server.requestsTo("POST", "/api/tasks").size();
        composer->titleField()->setText("  Полить цветы ");
        composer->rewardField()->setText(reward);
        click(composer->sendButton());
        EXPECT_TRUE(waitUntil([&] { return !composer->isCreatingTask(); }));
        EXPECT_EQ(server.requestsTo("POST", "/api/tasks").size(), before + 1);
        return lastBody("POST", "/api/tasks");
    };
    const QList<std::pair<QString, double>> rewards = {{"12,5", 12.5}, {"25", 25},  {"-5", -5}, {"+5", 5},
                                                       {"1e2", 100},   {"", 0},     {" 5", 0},  {"5 ", 0},
                                                       {"1.234,5", 0}, {"0x10", 16}};
    for (const auto& [text, expected] : rewards) {
        const QJsonObject body = sendWith(text);
        EXPECT_EQ(body["reward"].toDouble(), expected) << text.toStdString();
        EXPECT_EQ(body["title"].toString(), "Полить цветы");
        EXPECT_EQ(body["childId"].toString(), "child-1");
        EXPECT_TRUE(composer->titleField()->text().isEmpty())
            << "a success clears the title: " << account().errorMessage().value_or("").toStdString();
        EXPECT_EQ(composer->rewardField()->text(), text) << "and keeps the reward";
    }
    {
        CommaNumericLocale comma;
        ASSERT_TRUE(comma.active());
        EXPECT_EQ(sendWith("12.5")["reward"].toDouble(), 12.5);
    }

    // Held: the button reads "Отправляем…"; a failure keeps the title as typed.
    server.queue("POST", "/api/tasks", held(failure()));
    composer->titleField()->setText("  Полить цветы ");
    click(composer->sendButton());
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    EXPECT_EQ(composer->sendButton()->text(), "Отправляем…");
    EXPECT_FALSE(composer->sendButton()->isEnabled());
    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return !composer->isCreatingTask(); }));
    EXPECT_EQ(composer->titleField()->text(), "  Полить цветы ");
    EXPECT_TRUE(view->errorBanner()->isVisible());
    EXPECT_EQ(view->errorLabel()->text(), "Сервер занят.");
    EXPECT_TRUE(composer->sendButton()->isEnabled());
}

TEST_F(ParentCenterTest, ComposerKeepsOneIdempotencyKeyPerDraftUntilItIsSent) {
    show(family(1, kTwoKids));
    TaskComposer* composer = view->composer();
    composer->setChildId("child-1");
    server.on("POST", "/api/tasks", ScriptedResponse::json(201, "{}"));
    // Sends the composer's draft, answered by `answer`; the key it carried.
    auto sendDraft = [&](const QString& title, const QString& reward, const ScriptedResponse& answer) {
        server.queue("POST", "/api/tasks", answer);
        composer->titleField()->setText(title);
        composer->rewardField()->setText(reward);
        const auto before = server.requestsTo("POST", "/api/tasks").size();
        click(composer->sendButton());
        EXPECT_TRUE(waitUntil([&] { return !composer->isCreatingTask(); }));
        const auto sent = server.requestsTo("POST", "/api/tasks");
        EXPECT_EQ(sent.size(), before + 1);
        return sent.isEmpty() ? QByteArray() : sent.last().header("Idempotency-Key");
    };
    const QByteArray first = sendDraft("Полить цветы", "25", failure());
    EXPECT_FALSE(QUuid::fromString(QString::fromLatin1(first)).isNull()) << first.constData();
    EXPECT_EQ(sendDraft("Полить цветы", "25", failure()), first) << "a retry of the same draft";
    EXPECT_EQ(sendDraft("Полить цветы", "25,0", ok()), first) << "the same reward, typed otherwise";
    const QByteArray afterSuccess = sendDraft("Полить цветы", "25", failure());
    EXPECT_NE(afterSuccess, first) << "sent once, the same words are a new task";

    struct Change {
        const char* what;
        QString title, reward, child;
    } changes[] = {{"title", "Полить цветы!", "25", "child-1"},
                   {"reward", "Полить цветы!", "30", "child-1"},
                   {"child", "Полить цветы!", "30", "child-2"}};
    QSet<QByteArray> keys{first, afterSuccess};
    for (const Change& c : changes) {
        composer->setChildId(c.child);
        const QByteArray key = sendDraft(c.title, c.reward, failure());
        EXPECT_FALSE(keys.contains(key)) << "a changed " << c.what << " is a new draft";
        keys.insert(key);
        EXPECT_EQ(sendDraft(c.title, c.reward, failure()), key) << "and keeps its own key: " << c.what;
    }
}

TEST_F(ParentCenterTest, ComposerMarksOneChildAndShowsEveryRewardWhole) {
    show(family(1, kTwoKids));
    TaskComposer* composer = view->composer();
    composer->setChildId("child-2");
    const QList<QAction*> rows = composer->childMenu()->actions();
    ASSERT_EQ(rows.size(), 2);
    for (QAction* row : rows) {
        ASSERT_TRUE(row->actionGroup()) << "a single choice, drawn as one";
        EXPECT_TRUE(row->actionGroup()->isExclusive());
    }
    EXPECT_EQ(QList<bool>({rows[0]->isChecked(), rows[1]->isChecked()}), QList<bool>({false, true}));
    rows[0]->trigger();
    EXPECT_EQ(composer->childId(), "child-1");
    EXPECT_EQ(QList<bool>({rows[0]->isChecked(), rows[1]->isChecked()}), QList<bool>({true, false}));

    QLineEdit* reward = composer->rewardField();
    const int fullSize = reward->font().pixelSize() > 0 ? reward->font().pixelSize() : reward->font().pointSize();
    const int height = reward->height();
    for (const QString& text : {QString("25"), QString("99999999"), QString("12345,67"), QString()}) {
        reward->setText(text);
        settle();
        const QString shown = text.isEmpty() ? reward->placeholderText() : text;
        EXPECT_LE(QFontMetrics(reward->font()).horizontalAdvance(shown), reward->contentsRect().width() - 4)
            << text.toStdString() << " shows whole";
        EXPECT_EQ(reward->height(), height) << "the row keeps its height";
    }
    reward->setText("25");
    settle();
    EXPECT_EQ(reward->font().pixelSize() > 0 ? reward->font().pixelSize() : reward->font().pointSize(), fullSize)
        << "a short reward is back at full size";
    reward->setText("99999999");
    settle();
    saveGallery("parent_center_composer_long_reward");
}

TEST_F(ParentCenterTest, BoardCountsCardTextsAndOneActionAtATime) {
    const QList<Task> tasks = {
        {"a", "active", "child-1", 199},
        {"d", "done", "child-1", 50},
        {"r", "review", "child-1", 5000, {}},
        {"h", "review", "child-2", 5000, {{"approval_count", 1}, {"required_approvals", 2}}},
        {"v",
         "review",
         "child-1",
         5000,
         {{"approval_count", 1}, {"required_approvals", 2}, {"current_user_approved", 1}}},
        {"x", "paused"}};
    show(family(2, kTwoKids, tasks));
    TaskBoard* board = view->board();
    QStringList chips;
    for (ParentTaskFilter filter : parentcenter::allFilters()) chips << board->filterChip(filter)->title();
    EXPECT_EQ(chips, QStringList({"Все 6", "Проверить 3", "В работе 1", "Готово 1"}));
    EXPECT_EQ(board->waitingLabel()->text(), "3 ждут вас");
    view->body()->ensureWidgetVisible(board->list(), 0, 0);
    settle();
    saveGallery("parent_center_board");
    Theme::current().setSystemScheme(ColorScheme::Dark);
    settle();
    saveGallery("parent_center_board_dark");
    Theme::current().setSystemScheme(ColorScheme::Light);
    settle();

    struct Expected {
        const char* id;
        QString subtitle, reward, approvals;
        bool ownVote, approve;
    };
    const QList<Expected> cards = {
        {"a", "Аня · в работе", "+1 CNY", {}, false, false},
        {"d", "Аня · выполнено", "+0 CNY", {}, false, false},
        {"r", "Аня · ждёт проверки", "+50 CNY", "Подтверждения: 0/1", false, true},
        {"h", "Миша · ждёт проверки", "+50 CNY", "Подтверждения: 1/2", false, true},
        {"v", "Аня · ждёт проверки", "+50 CNY", "Подтверждения: 1/2", true, false},
        {"x", "Аня · выполнено", "+50 CNY", {}, false, false}};
    for (const Expected& e : cards) {
        const std::optional<TaskCardContent> card = board->card(e.id);
        ASSERT_TRUE(card) << e.id;
        EXPECT_EQ(card->subtitle, e.subtitle) << e.id;
        EXPECT_EQ(card->reward, e.reward) << e.id;
        EXPECT_EQ(card->review, !e.approvals.isEmpty()) << e.id;
        const QStringList buttons = board->list()->buttonKeys(e.id);
        if (e.approvals.isEmpty()) {
            EXPECT_TRUE(buttons.isEmpty()) << e.id;
            continue;
        }
        EXPECT_EQ(card->approvals, e.approvals) << e.id;
        EXPECT_EQ(card->ownVote, e.ownVote) << e.id;
        EXPECT_EQ(buttons.contains("approve"), e.approve) << e.id;
        EXPECT_TRUE(buttons.contains("return")) << e.id;
    }

    click(board->filterChip(ParentTaskFilter::done));
    EXPECT_EQ(cardTitles(), QStringList({"Задание d"}));
    click(view->childChips()[2]);
    EXPECT_TRUE(cardTitles().isEmpty());
    EXPECT_TRUE(board->placeholder()->isVisible());
    EXPECT_EQ(board->placeholder()->titleLabel()->text(), "Здесь пока пусто");
    click(view->childChips()[0]);
    click(board->filterChip(ParentTaskFilter::review));
    EXPECT_EQ(cardTitles(), QStringList({"Задание r", "Задание h", "Задание v"}));

    // One held action disables every card's buttons; its failure gives them back.
    server.queue("PATCH", "/api/tasks", held(failure()));
    PaintedList* list = board->list();
    ASSERT_TRUE(paintedlist::clickButton(list, "h", "approve"));
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    EXPECT_EQ(lastBody("PATCH", "/api/tasks"), QJsonObject({{"id", "h"}, {"action", "approve"}}));
    for (const char* id : {"r", "h", "v"}) EXPECT_FALSE(list->isButtonEnabled(id, "return")) << id;
    EXPECT_TRUE(list->isBusy("h"));
    EXPECT_FALSE(list->isBusy("r"));
    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return !board->actionInFlight(); }));
    for (const char* id : {"r", "h", "v"}) EXPECT_TRUE(list->isButtonEnabled(id, "return")) << id;
    EXPECT_FALSE(list->isBusy("h"));
    EXPECT_EQ(view->errorLabel()->text(), "Сервер занят.");
}

// Money never moves by accident: the second click of a double-click on
// "Подтвердить" never reaches the lone "Вернуть" that the refresh puts under
// the pointer, and cards a chip reveals while an action runs are held too.
TEST_F(ParentCenterTest, ADoubleClickApprovesOnceAndRevealedCardsAreHeldWhileAnActionRuns) {
    const QJsonObject twoNeeded{{"approval_count", 0}, {"required_approvals", 2}};
    const QJsonObject ownVote{{"approval_count", 1}, {"required_approvals", 2}, {"current_user_approved", 1}};
    show(family(2, kTwoKids, {{"r", "review", "child-1", 5000, twoNeeded}, {"q", "review", "child-2", 700, twoNeeded}}));
    TaskBoard* board = view->board();
    PaintedList* list = board->list();

    server.queue("PATCH", "/api/tasks", ok());
    server.on("GET", "/api/family",
              ScriptedResponse::json(200, family(2, kTwoKids,
                                                 {{"r", "review", "child-1", 5000, ownVote},
                                                  {"q", "review", "child-2", 700, twoNeeded}})));
    const QRect approve = list->buttonRect("r", "approve");
    ASSERT_TRUE(paintedlist::doubleClickButton(list, "r", "approve", [&] {
        ASSERT_TRUE(waitUntil([&] { return !board->actionInFlight() && board->card("r")->ownVote; }));
    }));
    ASSERT_TRUE(list->buttonRect("r", "return").contains(approve.center())) << "the lone button lies under the pointer";
    // A plain press right after the change is dropped too.
    QTest::mouseClick(list, Qt::LeftButton, {}, approve.center());
    settle();
    const auto patches = server.requestsTo("PATCH", "/api/tasks");
    ASSERT_EQ(patches.size(), 1);
    EXPECT_EQ(QJsonDocument::fromJson(patches[0].body).object(), QJsonObject({{"id", "r"}, {"action", "approve"}}));
    EXPECT_EQ(board->card("r")->approvals, "Подтверждения: 1/2");

    // An action runs while only Миша's cards are shown; Аня's card, revealed
    // meanwhile, is held as well, and the whole list is free again afterwards.
    click(view->childChips()[2]);
    ASSERT_EQ(list->rows(), QStringList({"q"}));
    server.queue("PATCH", "/api/tasks", held(failure()));
    ASSERT_TRUE(paintedlist::clickButton(list, "q", "approve"));
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    click(view->childChips()[0]);
    ASSERT_EQ(list->rows(), QStringList({"r", "q"}));
    EXPECT_FALSE(list->isButtonEnabled("r", "return"));
    ASSERT_TRUE(paintedlist::clickButton(list, "r", "return"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
    // Each card, then its buttons: r's card, "Вернуть", "Подтвердить", then q's.
    ASSERT_TRUE(iface && iface->childCount() == 5);
    EXPECT_EQ(iface->child(0)->role(), QAccessible::ListItem);
    EXPECT_EQ(iface->child(1)->text(QAccessible::Name), "Вернуть");
    EXPECT_TRUE(iface->child(1)->state().disabled);
    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return !board->actionInFlight(); }));
    EXPECT_EQ(server.requestsTo("PATCH", "/api/tasks").size(), 2) << "the held card sent nothing";
    for (const char* id : {"r", "q"}) EXPECT_TRUE(list->isButtonEnabled(id, "return")) << id;
}

// The other parent returned the task a moment ago: the server's word is shown
// and the card is refreshed to the task's state.
TEST_F(ParentCenterTest, ApprovingATaskTheOtherParentReturnedSaysSoAndRefreshesTheCard) {
    show(family(2, kTwoKids, {{"r", "review"}}));
    server.queue("PATCH", "/api/tasks", ScriptedResponse::json(409, R"({"error":"Задание уже вернули ребёнку."})"));
    server.on("GET", "/api/family", ScriptedResponse::json(200, family(2, kTwoKids, {{"r", "active"}})));
    ASSERT_TRUE(paintedlist::clickButton(view->board()->list(), "r", "approve"));
    ASSERT_TRUE(waitUntil([&] { return !view->board()->actionInFlight(); }));
    EXPECT_EQ(view->errorLabel()->text(), "Задание уже вернули ребёнку.");
    EXPECT_EQ(view->board()->card("r")->subtitle, "Аня · в работе");
    EXPECT_TRUE(view->board()->list()->buttonKeys("r").isEmpty());
}

TEST_F(ParentCenterTest, InviteManualCodeAndScannedCodesReachTheRightClaim) {
    show(family(1, {{"child-1", "Аня"}}));
    FamilyConnectionCard* card = view->connectionCard();
    EXPECT_TRUE(card->inviteButton()->isVisible());
    EXPECT_FALSE(card->dualApprovalLabel()->isVisible());
    EXPECT_FALSE(card->inviteBlock()->isVisible());

    // The invite: busy, then its QR; a failed second one keeps the first.
    for (const ScriptedResponse& answer :
         {ScriptedResponse::json(201, "{\"qrPayload\":\"" + kInvite.toUtf8() + "\",\"expiresAt\":1}"),
          failure()}) {
        server.queue("POST", "/api/family/parent-invite", held(answer));
        click(card->inviteButton());
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
        EXPECT_EQ(card->inviteButton()->text(), "Создаём приглашение…");
        EXPECT_FALSE(card->inviteButton()->isEnabled());
        server.releaseHeld();
        ASSERT_TRUE(waitUntil([&] { return !account().isCreatingFamilyInvite(); }));
        EXPECT_TRUE(card->inviteBlock()->isVisible());
        EXPECT_EQ(card->inviteQr()->image(), *qrImage(kInvite));
        EXPECT_TRUE(card->inviteButton()->isEnabled());
    }
    reload(family(2, {{"child-1", "Аня"}}));
    EXPECT_FALSE(card->inviteButton()->isVisible());
    EXPECT_TRUE(card->dualApprovalLabel()->isVisible());
    EXPECT_TRUE(card->inviteBlock()->isVisible());
    EXPECT_EQ(card->sizeLabel()->text(), "2 род. · 1 дет.");
    view->body()->ensureWidgetVisible(card->inviteBlock());
    saveGallery("parent_center_invite_block");

    // The manual code: blanks keep it shut; the rest goes to the pairing claim as typed.
    click(card->manualCode()->header());
    EXPECT_TRUE(card->codeField()->isVisible());
    card->codeField()->setText("  \n ");
    EXPECT_FALSE(card->claimButton()->isEnabled());
    QApplication::clipboard()->setText(" pasted.code\n");
    card->codeField()->clear();
    card->codeField()->paste();
    server.on("POST", "/api/pairing/claim", ok());
    for (const QString& code : {QString(" pasted.code\n"), kInvite}) {
        card->codeField()->setText(code);
        server.queue("POST", "/api/pairing/claim", held(ok()));
        click(card->claimButton());
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
        EXPECT_FALSE(card->claimButton()->isEnabled()) << "one claim at a time";
        server.releaseHeld();
        ASSERT_TRUE(waitUntil([&] { return card->claimButton()->isEnabled(); }));
    }
    const auto claims = server.requestsTo("POST", "/api/pairing/claim");
    ASSERT_EQ(claims.size(), 2);
    EXPECT_EQ(QJsonDocument::fromJson(claims[0].body)["token"].toString(), " pasted.code\n");
    EXPECT_EQ(QJsonDocument::fromJson(claims[1].body)["token"].toString(), "inv.1");
    EXPECT_TRUE(server.requestsTo("POST", "/api/family/parent-invite").size() == 2) << "no invite claim";

    // Scanned: the field gets the code, the sheet closes, and only "family/parent" joins.
    server.on("POST", "/api/family/parent-invite", ok());
    const QList<std::pair<QString, QByteArray>> routes = {
        {kInvite, "/api/family/parent-invite"},
        {"zanbeck://FAMILY/PARENT?token=x", "/api/pairing/claim"},
        {"bare-token", "/api/pairing/claim"}};
    for (const auto& [code, path] : routes) {
        server.clearRequests();
        click(view->connectionCard()->scanButton());
        ASSERT_TRUE(view->scannerSheet());
        settle();
        qrScanners.last()->read(code);
        settle();
        EXPECT_FALSE(view->scannerSheet() && !view->scannerSheet()->isDismissed());
        EXPECT_EQ(card->codeField()->text(), code);
        ASSERT_TRUE(waitUntil([&] { return server.requestsTo("POST", path).size() == 1; }))
            << code.toStdString();
    }

    // A scanner that cannot start: the sheet closes and the alert shows its text.
    click(view->connectionCard()->scanButton());
    qrScanners.last()->cameraFailure = QStringLiteral("Камера недоступна.");
    settle();
    EXPECT_TRUE(!view->scannerSheet() || view->scannerSheet()->isDismissed());
    ASSERT_TRUE(view->scannerAlert());
    EXPECT_EQ(view->scannerAlert()->title(), "Не удалось открыть сканер");
    EXPECT_EQ(view->scannerAlert()->message(), "Камера недоступна.");
    EXPECT_EQ(view->scannerAlert()->buttons()[0].title, "Хорошо");
    saveGallery("parent_center_scanner_alert");
    view->scannerAlert()->press(0);
    settle();
    EXPECT_FALSE(view->scannerAlert());
}

TEST_F(ParentCenterTest, TheBannerSaysNoConnectionOnlyUntilARefreshReachesTheServer) {
    show(family(1, {{"child-1", "Аня"}}, {{"r", "review"}}));
    const quint16 port = server.port();
    server.close();
    ASSERT_TRUE(paintedlist::clickButton(view->board()->list(), "r", "approve"));
    ASSERT_TRUE(waitUntil([&] { return view->errorBanner()->isVisible(); }));
    EXPECT_EQ(view->errorLabel()->text(), "Не удалось подключиться к серверу: соединение отклонено.");

    ASSERT_TRUE(server.listen(port));
    page->refreshAction()->trigger();
    ASSERT_TRUE(waitUntil([&] { return !view->errorBanner()->isVisible(); }));
    EXPECT_EQ(server.requestsTo("GET", "/api/family").size(), 2);

    // The server's own refusal is no news about the connection: it stays.
    server.queue("PATCH", "/api/tasks", failure());
    ASSERT_TRUE(paintedlist::clickButton(view->board()->list(), "r", "approve"));
    ASSERT_TRUE(waitUntil([&] { return view->errorBanner()->isVisible(); }));
    page->refreshAction()->trigger();
    ASSERT_TRUE(waitUntil([&] { return server.requestsTo("GET", "/api/family").size() == 3; }));
    settle();
    EXPECT_TRUE(view->errorBanner()->isVisible());
    EXPECT_EQ(view->errorLabel()->text(), "Сервер занят.");
}

// The header counts only what waits: with nothing in review it says nothing.
TEST_F(ParentCenterTest, TheBoardsHeaderShowsTheWaitingCountOnlyWhileATaskAwaitsReview) {
    show(family(1, {{"child-1", "Аня"}}, {{"a", "active"}, {"d", "done"}}));
    auto* waiting = view->board()->waitingLabel();
    EXPECT_FALSE(waiting->isVisible()) << waiting->text().toStdString();
    reload(family(1, {{"child-1", "Аня"}}, {{"a", "review"}, {"d", "done"}}));
    EXPECT_TRUE(waiting->isVisible());
    EXPECT_EQ(waiting->text(), "1 ждут вас");
    reload(family(1, {{"child-1", "Аня"}}, {{"a", "done"}, {"d", "done"}}));
    EXPECT_FALSE(waiting->isVisible());
}

TEST_F(ParentCenterTest, RefreshIsSilentAndSigningOutMidRequestSendsNothingAndCrashesNothing) {
    show(family(2, {{"child-1", "Аня"}}, {{"r", "review"}}));
    server.on("GET", "/api/family", failure());
    page->refreshAction()->trigger();
    ASSERT_TRUE(waitUntil([&] { return server.requestsTo("GET", "/api/family").size() == 2; }));
    settle();
    EXPECT_FALSE(view->errorBanner()->isVisible());
    EXPECT_EQ(view->board()->list()->rows().size(), 1);

    // A send, an action and a claim held; "Выйти" ends the page under them.
    server.on("POST", "/api/tasks", held(ok()));
    server.on("PATCH", "/api/tasks", held(ok()));
    server.on("POST", "/api/pairing/claim", held(ok()));
    view->composer()->titleField()->setText("Полить цветы");
    click(view->composer()->sendButton());
    ASSERT_TRUE(paintedlist::clickButton(view->board()->list(), "r", "approve"));
    click(view->connectionCard()->manualCode()->header());
    view->connectionCard()->codeField()->setText("code");
    click(view->connectionCard()->claimButton());
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 3; }));
    const auto sent = server.requests().size();
    page->signOutAction()->trigger();
    settle();
    EXPECT_FALSE(page->familyView());
    EXPECT_FALSE(page->centerMenuButton()->isVisible());
    server.releaseHeld();
    settle();
    EXPECT_EQ(server.requests().size(), sent) << "signing out sends nothing";
}

TEST_F(ParentCenterTest, ALongBoardPutsOffTheCardsBelowItAndACardIsMeasuredOncePerContentAndWidth) {
    QList<Task> tasks;
    QList<QByteArray> ids;
    for (int i = 0; i < 60; ++i) ids << "t" + QByteArray::number(i);
    for (int i = 0; i < 60; ++i) tasks.append(Task{ids[i].constData(), i % 2 ? "active" : "done"});
    show(family(2, kTwoKids, tasks));
    // The page opened again with the family loaded, as the tab shows it after a
    // sign-in: below sixty cards the connection card and the feature link are
    // not made until the page is scrolled there; then they show the family.
    view = showInWindow(new ParentFamilyView(account(), qrScanners));
    settle();
    EXPECT_EQ(view->board()->list()->rows().size(), 60);

    EXPECT_TRUE(view->findChildren<FamilyConnectionCard*>().isEmpty());
    EXPECT_FALSE(view->findChild<QWidget*>("featureCenterLink"));
    EXPECT_EQ(view->cards()->builtCount(), view->cards()->count() - 2);
    viewtest::scrollThrough(view->body());
    ASSERT_EQ(view->findChildren<FamilyConnectionCard*>().size(), 1);
    FamilyConnectionCard* connection = view->findChildren<FamilyConnectionCard*>().first();
    EXPECT_EQ(connection->sizeLabel()->text(), "2 род. · 2 дет.");
    EXPECT_TRUE(view->findChild<QWidget*>("featureCenterLink"));
    EXPECT_EQ(view->connectionCard(), connection);
    reload(family(1, kTwoKids, tasks));
    EXPECT_EQ(connection->sizeLabel()->text(), "1 род. · 2 дет.");

    // A refresh that changes one task's title measures that card again, and
    // only that card changes height: the long title wraps at the phone's width.
    PaintedList* list = view->board()->list();
    QHash<QString, int> heights;
    for (const QString& id : list->rows()) heights.insert(id, list->rowRect(id).height());
    const QString longTitle = QStringLiteral("Разобрать шкаф в детской и отнести старые игрушки соседям");
    tasks[5].extra = {{"title", longTitle}};
    reload(family(1, kTwoKids, tasks));
    EXPECT_EQ(view->board()->card("t5")->title, longTitle);
    const int wrapped = list->rowRect("t5").height();
    EXPECT_GT(wrapped, heights.value("t5"));
    for (const QString& id : list->rows())
        if (id != "t5") EXPECT_EQ(list->rowRect(id).height(), heights.value(id)) << id.toStdString();

    // A wider window fits the title on one line; back at the phone's width it
    // wraps again, as tall as before.
    const QSize phone = window()->size();
    window()->resize(phone.width() * 3, phone.height());
    settle();
    EXPECT_EQ(list->rowRect("t5").height(), heights.value("t5"));
    EXPECT_EQ(list->height(), list->heightForWidth(list->width()));
    window()->resize(phone);
    settle();
    EXPECT_EQ(list->rowRect("t5").height(), wrapped);
    EXPECT_EQ(list->height(), list->heightForWidth(list->width()));
}

TEST_F(ParentCenterTest, ARefreshKeepsTheBoardsCardsAndMeasuresOnlyThoseThatChangedOrCameBack) {
    show(family(2, kTwoKids, {{"t1", "active"}, {"t2", "review"}, {"t3", "done", "child-2"}}));
    PaintedList* list = view->board()->list();
    const int shortHeight = list->rowRect("t2").height();
    const qint64 measured = list->measureCount();

    // The same tasks in another order: the cards follow, none is measured again.
    reload(family(2, kTwoKids, {{"t3", "done", "child-2"}, {"t1", "active"}, {"t2", "review"}}));
    EXPECT_EQ(list->rows(), QStringList({"t3", "t1", "t2"}));
    EXPECT_EQ(list->rowRect("t2").height(), shortHeight);
    EXPECT_EQ(list->measureCount(), measured);

    // t2 goes, then comes back approved by one parent under a title that wraps,
    // and t1 waits for review now: the board shows each as it is now.
    reload(family(2, kTwoKids, {{"t3", "done", "child-2"}, {"t1", "active"}}));
    EXPECT_FALSE(view->board()->card("t2"));
    EXPECT_EQ(view->board()->filterChip(ParentTaskFilter::review)->title(), "Проверить 0");
    const QString longTitle = QStringLiteral("Разобрать шкаф в детской и отнести старые игрушки соседям");
    Task back{"t2", "active"};
    back.extra = {{"title", longTitle}};
    reload(family(2, kTwoKids, {{"t3", "done", "child-2"}, {"t1", "review"}, back}));
    EXPECT_EQ(list->rows(), QStringList({"t3", "t1", "t2"}));
    EXPECT_EQ(view->board()->card("t2")->title, longTitle);
    EXPECT_FALSE(view->board()->card("t2")->review);
    EXPECT_TRUE(view->board()->card("t1")->review);
    EXPECT_GT(list->rowRect("t2").height(), list->rowRect("t3").height()) << "the long title wraps";
    EXPECT_EQ(view->board()->filterChip(ParentTaskFilter::review)->title(), "Проверить 1");
    view->board()->setSelectedFilter(ParentTaskFilter::review);
    EXPECT_EQ(list->rows(), QStringList({"t1"}));
}
