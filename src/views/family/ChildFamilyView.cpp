#include "views/family/ChildFamilyView.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>

#include "account/AccountSession.h"
#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/PageBody.h"
#include "components/PullToRefresh.h"
#include "components/QrImage.h"
#include "components/Spinner.h"
#include "components/TextLabel.h"
#include "services/GlobalPreferences.h"
#include "services/Preferences.h"
#include "views/family/ChildTaskList.h"
#include "views/family/FamilyStyle.h"
#include "views/ledger/EditorForm.h"

namespace {

QVBoxLayout* bareColumn(QWidget* widget) {
    auto* column = new QVBoxLayout(widget);
    column->setContentsMargins(0, 0, 0, 0);
    return column;
}

}  // namespace

ChildFamilyView::ChildFamilyView(AccountSession& account, QWidget* parent)
    : QWidget(parent), account_(account) {
    setObjectName(QStringLiteral("childFamilyView"));
    body_ = new PageBody(this);
    bareColumn(this)->addWidget(body_);

    // "Подключение к семье": the code, the spinner or the placeholder; the
    // message; the button.
    pairingSection_ = new EditorSection(QStringLiteral("Подключение к семье"));
    auto* pairing = new QWidget;
    pairing->setObjectName(QStringLiteral("pairingContent"));
    QVBoxLayout* pairingColumn = bareColumn(pairing);

    qrBlock_ = new QWidget(pairing);
    qrBlock_->setObjectName(QStringLiteral("pairingQrBlock"));
    QVBoxLayout* qrColumn = bareColumn(qrBlock_);
    qrColumn->setSpacing(10);
    qrView_ = new QrImageView(FamilyStyle::pairingQrMaxWidth, qrBlock_);
    qrView_->setAccessibleName(QStringLiteral("Семейный QR-код"));
    qrColumn->addWidget(qrView_);
    auto* qrHint = new TextLabel(QStringLiteral("Покажите этот код родителю. Он действует 10 минут."),
                                 TextStyle::Footnote, ColorRole::SecondaryLabel, qrBlock_);
    qrHint->setObjectName(QStringLiteral("pairingHint"));
    qrHint->setWordWrap(true);
    qrColumn->addWidget(qrHint);
    pairingColumn->addWidget(qrBlock_);

    creatingRow_ = new QWidget(pairing);
    creatingRow_->setObjectName(QStringLiteral("pairingCreatingRow"));
    auto* creatingLine = new QHBoxLayout(creatingRow_);
    creatingLine->setContentsMargins(0, FamilyStyle::pairingSpinnerPadding, 0,
                                     FamilyStyle::pairingSpinnerPadding);
    creatingLine->addStretch(1);
    creatingLine->addWidget(new Spinner(Spinner::kDefaultSize, creatingRow_));
    creatingLine->addWidget(new TextLabel(QStringLiteral("Создаём QR-код…"), TextStyle::Body,
                                          ColorRole::SecondaryLabel, creatingRow_));
    creatingLine->addStretch(1);
    pairingColumn->addWidget(creatingRow_);

    pairingPlaceholder_ =
        new ContentUnavailableView(QStringLiteral("QR ещё не создан"), QStringLiteral("qrcode"),
                                   QStringLiteral("Нажмите кнопку ниже"), pairing);
    pairingPlaceholder_->setObjectName(QStringLiteral("pairingPlaceholder"));
    pairingColumn->addWidget(pairingPlaceholder_);
    pairingSection_->addRow(pairing);

    error_ = new TextLabel({}, TextStyle::Footnote, ColorRole::Red);
    error_->setObjectName(QStringLiteral("familyError"));
    error_->setWordWrap(true);
    pairingSection_->addRow(error_);

    create_ =
        new Button(QStringLiteral("Создать семейный QR"), Button::Style::Plain, QStringLiteral("qrcode"));
    create_->setObjectName(QStringLiteral("createPairingButton"));
    pairingSection_->addRow(create_);
    body_->addWidget(pairingSection_);

    // "Задания": the placeholder or the rows.
    auto* tasksSection = new EditorSection(QStringLiteral("Задания"));
    auto* tasksContent = new QWidget;
    QVBoxLayout* tasksColumn = bareColumn(tasksContent);
    tasksPlaceholder_ = new ContentUnavailableView(QStringLiteral("Пока нет заданий"),
                                                   QStringLiteral("checklist"), {}, tasksContent);
    tasksPlaceholder_->setObjectName(QStringLiteral("tasksPlaceholder"));
    tasksColumn->addWidget(tasksPlaceholder_);
    // Until the family has loaded once, no list is no evidence of no tasks.
    tasksNotLoaded_ = new ContentUnavailableView(QStringLiteral("Задания не загружены"),
                                                 QStringLiteral("wifi.slash"),
                                                 QStringLiteral("Они появятся, когда будет связь с сервером."),
                                                 tasksContent);
    tasksNotLoaded_->setObjectName(QStringLiteral("tasksNotLoaded"));
    tasksColumn->addWidget(tasksNotLoaded_);
    tasks_ = new ChildTaskList(tasksContent);
    tasksColumn->addWidget(tasks_);
    tasksSection->addRow(tasksContent);
    body_->addWidget(tasksSection);

    auto* signOutSection = new EditorSection;
    signOut_ = new Button(QStringLiteral("Выйти"), Button::Style::Plain);
    signOut_->setObjectName(QStringLiteral("signOutButton"));
    signOut_->setRole(Button::Role::Destructive);
    signOutSection->addRow(signOut_);
    body_->addWidget(signOutSection);

    pull_ = new PullToRefresh(
        body_, [account = &account_] { return account->refresh(); }, this);

    connect(create_, &QAbstractButton::clicked, this, [this] { account_.createPairingCode(); });
    // Signed out at once, without asking; the family tab then shows the sign-in form.
    connect(signOut_, &QAbstractButton::clicked, this, [this] { account_.logout(); });
    connect(tasks_, &ChildTaskList::completeRequested, this, [this](const QString& id) { complete(id); });

    connect(&account_, &AccountSession::pairingPayloadChanged, this, &ChildFamilyView::drawPairing);
    connect(&account_, &AccountSession::isCreatingPairingCodeChanged, this, &ChildFamilyView::drawPairing);
    connect(&account_, &AccountSession::errorMessageChanged, this, &ChildFamilyView::drawError);
    connect(&account_, &AccountSession::tasksChanged, this, &ChildFamilyView::drawTasks);
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key == QLatin1String(GlobalPreferences::kCurrencyCodeKey)) drawTasks();
    });
    drawPairing();
    drawError();
    drawTasks();
}

void ChildFamilyView::drawPairing() {
    const auto& payload = account_.pairingPayload();
    // A payload no QR code can hold is drawn as if there were none.
    const std::optional<QImage> image = payload ? qrImage(*payload) : std::nullopt;
    const bool creating = account_.isCreatingPairingCode();
    if (image) qrView_->setImage(*image);
    qrBlock_->setVisible(image.has_value());
    creatingRow_->setVisible(!image && creating);
    pairingPlaceholder_->setVisible(!image && !creating);
    // Disabling the focused button would hand its focus to the next one,
    // and the page would scroll away to show it.
    if (creating && create_->hasFocus()) create_->clearFocus();
    create_->setEnabled(!creating);
}

void ChildFamilyView::drawError() {
    const auto& message = account_.errorMessage();
    error_->setText(message.value_or(QString()));
    pairingSection_->setRowVisible(error_, message.has_value());
}

void ChildFamilyView::drawTasks() {
    const QList<FamilyTask>& tasks = account_.tasks();
    const bool loaded = account_.hasLoadedFamily();
    tasksPlaceholder_->setVisible(tasks.isEmpty() && loaded);
    tasksNotLoaded_->setVisible(tasks.isEmpty() && !loaded);
    tasks_->setVisible(!tasks.isEmpty());
    tasks_->setTasks(tasks, GlobalPreferences::currencyCode(), acting_);
}

QCoro::Task<> ChildFamilyView::complete(QString taskId) {
    if (acting_.contains(taskId)) co_return;
    acting_.insert(taskId);
    drawTasks();
    // "Выйти", or a restore that finds the sign-in expired, may delete this
    // screen while the request runs; the session outlives it.
    QPointer<ChildFamilyView> self(this);
    AccountSession* account = &account_;
    co_await account->act(taskId, QStringLiteral("complete"));
    if (!self) co_return;
    acting_.remove(taskId);
    drawTasks();
}
