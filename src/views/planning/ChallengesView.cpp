#include "views/planning/ChallengesView.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "components/MoneyFocus.h"
#include "components/Button.h"
#include "components/DateText.h"
#include "components/PageBody.h"
#include "components/ProgressBar.h"
#include "components/SegmentedControl.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "services/GlobalPreferences.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"
#include "views/planning/ToolsStyle.h"

namespace {

QString kindTitle(ChallengeKind kind) {
    return kind == ChallengeKind::saving ? QStringLiteral("Накопление") : QStringLiteral("Привычка");
}

}  // namespace

ChallengeRow::ChallengeRow(MoneyStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("challengeRow"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(tools_style::challengeRowSpacing);
    auto* header = new QHBoxLayout;
    header->setSpacing(tools_style::buttonGap);
    title_ = new SymbolLabel({}, QStringLiteral("flag.fill"), TextStyle::Headline);
    title_->setObjectName(QStringLiteral("challengeTitle"));
    title_->titleLabel()->setWordWrap(true);
    header->addWidget(title_, 1);
    percent_ = new TextLabel({}, TextStyle::Body);
    percent_->setObjectName(QStringLiteral("challengePercent"));
    percent_->setMinimumScaleFactor(TextFit::kMinimumScale);
    header->addWidget(percent_, 0, Qt::AlignTop);
    column->addLayout(header);
    bar_ = new ProgressBar;
    bar_->setObjectName(QStringLiteral("challengeBar"));
    bar_->setTint(ColorRole::Purple);
    column->addWidget(bar_);
    caption_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    caption_->setObjectName(QStringLiteral("challengeCaption"));
    caption_->setWordWrap(true);
    column->addWidget(caption_);
    step_ = new Button({}, Button::Style::BorderedProminent);
    step_->setObjectName(QStringLiteral("challengeStepButton"));
    MoneyFocus::mark(step_);
    step_->setTint(ColorRole::Purple);
    step_->setTextStyle(TextStyle::Subheadline);
    column->addWidget(step_, 0, Qt::AlignLeft);
    connect(step_, &QAbstractButton::clicked, this,
            [this] { store_.advanceChallenge(challengeId_, stepAmount_); });
}

void ChallengeRow::draw(const SavingsChallenge& challenge, QDate endDay) {
    challengeId_ = challenge.id;
    title_->setText(challenge.title);
    title_->setSymbol(challenge.isCompleted ? QStringLiteral("trophy.fill") : QStringLiteral("flag.fill"));
    title_->setColorRole(challenge.isCompleted ? ColorRole::Yellow : ColorRole::Label);
    // Exact decimal percent: 29 of 100 is 29, not 28.999…; a target at or
    // below zero (only from a file) gives 0 and an empty bar.
    percent_->setText(QString::number(money::truncatedPercent(challenge.progress, challenge.target)) +
                      QStringLiteral("%"));
    bar_->setValue(
        challenge.target.signum() > 0 ? qMin(money::ratio(challenge.progress, challenge.target), 1.0) : 0.0);
    caption_->setText(challenge.progress.toString() + QStringLiteral(" из ") + challenge.target.toString() +
                      QStringLiteral(" · до ") + DateText::abbreviatedDate(endDay));
    const bool habit = challenge.kind == ChallengeKind::habit;
    stepAmount_ = habit ? Decimal(1) : Decimal(50);
    step_->setText(habit ? QStringLiteral("Засчитать день")
                         : QStringLiteral("Добавить 50 ") + GlobalPreferences::currencyCode());
    step_->setVisible(!challenge.isCompleted);
}

ChallengesView::ChallengesView(MoneyStore& store, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Челленджи"), QStringLiteral("challenges"), parent) {
    list_ = new ToolList;
    list_->setObjectName(QStringLiteral("challengeList"));
    body()->addWidget(list_);
    addEditorButton([this] { return new ChallengeEditorView(store_); });
    redraw();
}

ChallengeRow* ChallengesView::rowAt(int index) const {
    return static_cast<ChallengeRow*>(list_->rowAt(index));
}

void ChallengesView::redraw() {
    // The defaults are built afresh at every read while no list is stored.
    const std::vector<SavingsChallenge> challenges = store_.challengesInUse();
    const LedgerCalendar calendar = store_.calendar();
    QStringList ids;
    ids.reserve(qsizetype(challenges.size()));
    for (const SavingsChallenge& c : challenges) ids.append(c.id);
    list_->setIds(
        ids, [this](const QString&) { return new ChallengeRow(store_); },
        [&](int i, QWidget* row) {
            const SavingsChallenge& c = challenges[std::size_t(i)];
            static_cast<ChallengeRow*>(row)->draw(c, calendar.localDate(c.endDate));
        });
}

ChallengeEditorView::ChallengeEditorView(MoneyStore& store, QWidget* parent)
    : NamedAmountEditor(store,
                        {QStringLiteral("Новый челлендж"),
                         {},
                         QStringLiteral("Название"),
                         QStringLiteral("challengeTitleField"),
                         {},
                         QStringLiteral("challengeTargetField"),
                         QStringLiteral("Цель")},
                        parent) {
    setObjectName(QStringLiteral("challengeEditor"));
    page()->setTitleDisplay(NavigationPage::TitleDisplay::Large);
    kind_ = tool_form::segments(QStringLiteral("challengeKindPicker"), QStringLiteral("Тип"),
                                {{kindTitle(ChallengeKind::saving), rawValue(ChallengeKind::saving)},
                                 {kindTitle(ChallengeKind::habit), rawValue(ChallengeKind::habit)}},
                                rawValue(ChallengeKind::saving));
    // Title, kind, target: the kind goes between the two fields.
    firstSection_->insertRow(1, kind_);
    connect(kind_, &SegmentedControl::currentTagChanged, this, &ChallengeEditorView::showKind);

    const QDateTime start = tool_form::weekAhead(store);
    endTime_ = start.time();
    picker_ = tool_form::dayPicker(QStringLiteral("endPicker"), start.date(),
                                   store.calendar().localDate(store.now()));
    firstSection_->addRow(formControlRow(QStringLiteral("Завершить до"), picker_));
    showKind();
}

void ChallengeEditorView::showKind() {
    const bool habit = kind_->currentTag() == rawValue(ChallengeKind::habit);
    amount_->setPlaceholderText(habit ? QStringLiteral("Количество дней")
                                      : QStringLiteral("Цель в ") + GlobalPreferences::currencyCode());
}

QDateTime ChallengeEditorView::endDate() const {
    return fromWallClock(QDateTime(picker_->date(), endTime_), store_.timeZone());
}

void ChallengeEditorView::commit(const QString& name, const Decimal& amount) {
    const ChallengeKind kind = challengeKindFromRaw(kind_->currentTag()).value_or(ChallengeKind::saving);
    store_.addChallenge(name, kind, amount, endDate());
}
