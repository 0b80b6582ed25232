#include "views/planning/ChallengesView.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/DateText.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "services/GlobalPreferences.h"
#include "store/MoneyStore.h"
#include "views/planning/ToolRows.h"
#include "views/planning/ToolsStyle.h"

namespace {

QString kindTitle(ChallengeKind kind) {
    return kind == ChallengeKind::saving ? QStringLiteral("Накопление") : QStringLiteral("Привычка");
}

}  // namespace

ChallengesView::ChallengesView(MoneyStore& store, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Челленджи"), QStringLiteral("challenges"), parent) {
    list_ = new ToolRows(delegate_);
    list_->setObjectName(QStringLiteral("challengeList"));
    list_->list()->setObjectName(QStringLiteral("challengeRows"));
    // A long list measures the challenges the user scrolls near, not all of them.
    list_->list()->setMeasuredAhead(tools_style::estimatedRowHeight);
    body()->addWidget(list_);
    connect(list_->list(), &PaintedList::buttonClicked, this, [this](const QString& key, const QString&) {
        const auto it = rows_.rows().constFind(key);
        if (it != rows_.rows().constEnd()) store_.advanceChallenge(it->challengeId, Decimal(it->stepAmount));
    });
    addEditorButton([this] { return new ChallengeEditorView(store_); });
    redraw();
}

PaintedList* ChallengesView::rows() const { return list_->list(); }

QStringList ChallengesView::rowKeys() const { return list_->list()->rows(); }

std::optional<ChallengeRowContent> ChallengesView::row(int index) const {
    const auto it = rows_.rows().constFind(rowKeys().value(index));
    if (it == rows_.rows().constEnd()) return std::nullopt;
    return *it;
}

void ChallengesView::redraw() {
    // The defaults are built afresh at every read while no list is stored.
    const std::vector<SavingsChallenge> challenges = store_.challengesInUse();
    const LedgerCalendar calendar = store_.calendar();
    const QString currency = GlobalPreferences::currencyCode();
    // Each row is written with the time zone (the end day), the currency and the language.
    const QString context =
        QString::fromUtf8(store_.timeZone().id()) + QChar(0) + currency + QChar(0) + DateText::deviceLocaleName();
    const QStringList changed = rows_.update(challenges, context, [&](const SavingsChallenge& c) {
        return ChallengeRowContent::of(c, calendar.localDate(c.endDate), currency);
    });
    list_->setRows(rows_.keys(), changed);
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
