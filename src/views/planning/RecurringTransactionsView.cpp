#include "views/planning/RecurringTransactionsView.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPainter>
#include <algorithm>

#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/DateText.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/Theme.h"
#include "services/AmountInput.h"
#include "services/GlobalPreferences.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "views/ledger/TransactionFormParts.h"
#include "views/planning/ToolsStyle.h"

QString recurringFrequencyTitle(RecurringFrequency frequency) {
    return frequency == RecurringFrequency::weekly ? QStringLiteral("Каждую неделю")
                                                   : QStringLiteral("Каждый месяц");
}

namespace {

constexpr qsizetype kKeptLayouts = 10'000;  // bounded: a few hundred rows at three widths

QFont titleFont() { return Theme::font(TextStyle::Body, QFont::DemiBold); }
QFont captionFont() { return Theme::font(TextStyle::Caption); }
QFont amountFont() {
    QFont font = Theme::font(TextStyle::Body);
    font.setFamily(Theme::monospacedFontFamily());
    return font;
}

Button::Face toggleFace(const RecurringRowContent& row) {
    Button::Face face;
    face.text = QStringLiteral("");  // icon only; not null, or the list writes the name
    face.symbol = row.active ? QStringLiteral("pause.circle") : QStringLiteral("play.circle");
    face.style = Button::Style::Plain;
    face.tint = Theme::current().color(ColorRole::Accent);
    return face;
}

}  // namespace

RecurringRowContent RecurringRowContent::of(const RecurringTransaction& item, const QString& nextDay) {
    const QString lead = recurringFrequencyTitle(item.frequency) + QStringLiteral(" · следующая");
    // A date is read as one piece: the caption wraps before it, never inside it.
    QString day = nextDay;
    day.replace(QLatin1Char(' '), QChar::Nbsp);
    return {item.id, item.title, lead + QLatin1Char(' ') + day, cnyText(item.amount), item.isActive, lead, day};
}

QString RecurringRowContent::toggleName() const {
    return active ? QStringLiteral("Выключить") : QStringLiteral("Включить");
}

void RecurringRowDelegate::forgetMeasurements() const {
    ToolRowDelegate::forgetMeasurements();
    layouts_.clear();
    titleWidths_.clear();
    captionWidths_.clear();
    amountWidths_.clear();
}

int RecurringRowDelegate::lineWidth(const QString& text, const QFont& font, QHash<QString, int>& kept) const {
    if (const auto it = kept.constFind(text); it != kept.cend()) return *it;
    if (kept.size() > kKeptLayouts) kept.clear();
    return *kept.insert(text, QFontMetrics(font).horizontalAdvance(text));
}

RecurringRowDelegate::Layout RecurringRowDelegate::layout(const RecurringRowContent& row, int width) const {
    const QString key = QString::number(width) + QChar(row.active ? u'1' : u'0') + row.amount + QChar(0) +
                        row.title + QChar(0) + row.caption;
    if (const auto it = layouts_.constFind(key); it != layouts_.cend()) return *it;
    if (layouts_.size() > kKeptLayouts) layouts_.clear();
    return *layouts_.insert(key, measure(row, width));
}

RecurringRowDelegate::Layout RecurringRowDelegate::measure(const RecurringRowContent& row, int width) const {
    Layout l;
    l.button = Button::faceSize(toggleFace(row));
    const int gap = tools_style::buttonGap;
    const int room = std::max(width - l.button.width() - 2 * gap, 1);
    const int natural = lineWidth(row.amount, amountFont(), amountWidths_) + 1;
    const QFontMetrics title(titleFont()), caption(captionFont());
    const int titleLine = lineWidth(row.title, titleFont(), titleWidths_),
              captionLine = lineWidth(row.caption, captionFont(), captionWidths_);
    l.titleFont = titleFont();
    // Most rows fit on one line each beside the whole amount: nothing is laid out.
    if (std::max(titleLine, captionLine) <= room - natural) {
        l.amountWidth = natural;
    } else {
        // The title beside the amount by the kit's rule: it keeps its size and
        // the amount gives way as far as the title gains a line by it.
        const TextFit::TitleBesideAmount fit(row.title, titleFont(), row.amount, amountFont(), room);
        l.titleFont = fit.titleFont;
        // The caption's words keep their width too (its date is one word),
        // while the amount stays whole at its smallest size.
        const int least = std::min(
            natural, QFontMetrics(TextFit::shrunkToFit(row.amount, amountFont(), 0)).horizontalAdvance(row.amount) + 1);
        const int captionWord =
            std::max(widestWord(row.captionLead, captionFont()), widestWord(row.nextDay, captionFont()));
        l.amountWidth = fit.amountBelow ? fit.amountWidth : std::max(std::min(fit.amountWidth, room - captionWord), least);
        l.amountBelow = fit.amountBelow;
    }
    l.textWidth = std::max(l.amountBelow ? room : room - l.amountWidth, 1);
    l.titleHeight = titleLine <= l.textWidth && l.titleFont == titleFont()
                        ? title.height()
                        : wrappedHeight(row.title, l.titleFont, l.textWidth);
    l.captionTop = l.titleHeight + tools_style::recurringLineSpacing;
    const int texts =
        l.captionTop + (captionLine <= l.textWidth ? caption.height()
                                                   : wrappedHeight(row.caption, captionFont(), l.textWidth));
    // An amount under a long title and its caption has a line of its own.
    l.amountTop = l.amountBelow ? texts + tools_style::recurringLineSpacing : 0;
    const int amountLine = QFontMetrics(amountFont()).height();
    l.height = l.amountBelow ? std::max(l.amountTop + amountLine, l.button.height())
                             : std::max({texts, l.button.height(), amountLine});
    return l;
}

int RecurringRowDelegate::contentHeight(const QString& id, int width) const {
    const RecurringRowContent* it = row_(id);
    return it ? layout(*it, width).height : 0;
}

QList<PaintedButton> RecurringRowDelegate::contentButtons(const QString& id, int width) const {
    const RecurringRowContent* it = row_(id);
    if (!it) return {};
    const Layout l = layout(*it, width);
    const QRect rect(width - l.button.width(), (l.height - l.button.height()) / 2, l.button.width(),
                     l.button.height());
    return {{kToggle, rect, it->toggleName()}};
}

void RecurringRowDelegate::paintContent(QPainter* p, const QString& id, const QRect& content,
                                        const PaintedRowState& state) const {
    const RecurringRowContent* it = row_(id);
    if (!it) return;
    const Layout l = layout(*it, content.width());
    const Theme& theme = Theme::current();
    p->setPen(theme.color(ColorRole::Label));
    TextFit::WrappedText(it->title, l.titleFont, l.textWidth).draw(p, content.topLeft());
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    TextFit::WrappedText(it->caption, captionFont(), l.textWidth)
        .draw(p, QPointF(content.left(), content.top() + l.captionTop));
    const int amountRight = content.right() + 1 - l.button.width() - tools_style::buttonGap;
    p->setPen(theme.color(ColorRole::Label));
    const QRect amountBox = l.amountBelow ? QRect(amountRight - l.amountWidth, content.top() + l.amountTop, l.amountWidth,
                                                  l.height - l.amountTop)
                                          : QRect(amountRight - l.amountWidth, content.top(), l.amountWidth, l.height);
    TextFit::drawOneLine(p, amountBox,
                         it->amount, amountFont(), Qt::AlignRight | Qt::AlignVCenter);
    // Content buttons are placed from the content's top left.
    for (const PaintedButton& button : contentButtons(id, content.width()))
        PaintedList::paintButton(p, content, button, toggleFace(*it), state);
}

RecurringTransactionsView::RecurringTransactionsView(MoneyStore& store, QWidget* parent)
    : ToolScreen(store, QStringLiteral("Регулярные"), QStringLiteral("recurring"), parent) {
    placeholder_ = new ContentUnavailableView(
        QStringLiteral("Регулярных операций нет"), QStringLiteral("repeat.circle"),
        QStringLiteral("Добавь зарплату, подписку или другой повторяющийся платёж"));
    placeholder_->setObjectName(QStringLiteral("recurringPlaceholder"));
    rows_ = new ToolRows(delegate_);
    rows_->setObjectName(QStringLiteral("recurringList"));
    rows_->list()->setObjectName(QStringLiteral("recurringRows"));
    // A long list measures the operations the user scrolls near, not all of them.
    rows_->list()->setMeasuredAhead(tools_style::estimatedRowHeight);
    body()->addWidget(placeholder_);
    body()->addWidget(rows_);
    addEditorButton([this] { return new RecurringEditorView(store_); });
    connect(rows_->list(), &PaintedList::buttonClicked, this, [this](const QString& key, const QString&) {
        const auto it = items_.constFind(key);
        if (it != items_.constEnd()) store_.toggleRecurring(it->id);
    });
    redraw();
}

PaintedList* RecurringTransactionsView::list() const { return rows_->list(); }

std::optional<RecurringRowContent> RecurringTransactionsView::row(int index) const {
    const RecurringRowContent* content = shown(rows_->keyAt(index));
    if (!content) return std::nullopt;
    return *content;
}

void RecurringTransactionsView::redraw() {
    static const std::vector<RecurringTransaction> none;
    const auto& items = store_.data().recurringTransactions ? *store_.data().recurringTransactions : none;
    placeholder_->setVisible(items.empty());
    auto [keys, next] = rowsOf<RecurringTransaction>(
        items, [](const RecurringTransaction& item) { return item.id; },
        [](const RecurringTransaction& item) { return item; });
    // Another currency, language or time zone writes every row anew;
    // otherwise only the rows whose operation changed are written again.
    const QString now = formatting();
    const bool rewritten = now != formatting_;
    QStringList changed;
    if (rewritten) {
        items_ = std::move(next);
        shown_.clear();
        dayTexts_.clear();
    } else {
        changed = replaceRows(items_, std::move(next));
        for (const QString& key : changed) shown_.remove(key);
        for (auto it = shown_.begin(); it != shown_.end();)
            it = items_.contains(it.key()) ? std::next(it) : shown_.erase(it);
    }
    rows_->setRows(keys, changed);
    if (rewritten && !formatting_.isEmpty()) rows_->list()->updateAllRows();
    formatting_ = now;
}

const RecurringRowContent* RecurringTransactionsView::shown(const QString& key) const {
    if (const auto it = shown_.constFind(key); it != shown_.cend()) return &*it;
    const auto item = items_.constFind(key);
    if (item == items_.cend()) return nullptr;
    const QString day = dayText(store_.calendar().localDate(item->nextDate));
    return &*shown_.insert(key, RecurringRowContent::of(*item, day));
}

QString RecurringTransactionsView::formatting() const {
    return GlobalPreferences::currencyCode() + QChar(0) + GlobalPreferences::localeIdentifier() + QChar(0) +
           DateText::deviceLocaleName() + QChar(0) + QString::fromUtf8(store_.timeZone().id());
}

QString RecurringTransactionsView::dayText(QDate day) const {
    if (const auto it = dayTexts_.constFind(day); it != dayTexts_.cend()) return *it;
    if (dayTexts_.size() > kKeptLayouts) dayTexts_.clear();
    return *dayTexts_.insert(day, DateText::abbreviatedDate(day, DateText::deviceLocaleName()));
}

RecurringEditorView::RecurringEditorView(MoneyStore& store, QWidget* parent)
    : NamedAmountEditor(store,
                        {QStringLiteral("Регулярная операция"),
                         {},
                         QStringLiteral("Название"),
                         QStringLiteral("recurringTitleField"),
                         {},
                         QStringLiteral("recurringAmountField"),
                         QStringLiteral("Сумма")},
                        parent) {
    setObjectName(QStringLiteral("recurringEditor"));
    page()->setTitleDisplay(NavigationPage::TitleDisplay::Large);
    kind_ = transaction_form::kindPicker(TransactionKind::expense);
    firstSection_->insertRow(1, kind_);
    category_ = formTextField(QStringLiteral("Категория"), QStringLiteral("recurringCategoryField"));
    firstSection_->addRow(formFieldRow({}, category_));
    frequency_ = new QComboBox;
    frequency_->setObjectName(QStringLiteral("frequencyPicker"));
    for (RecurringFrequency f : {RecurringFrequency::weekly, RecurringFrequency::monthly})
        frequency_->addItem(recurringFrequencyTitle(f), rawValue(f));
    frequency_->setCurrentIndex(1);
    frequency_->setAccessibleName(QStringLiteral("Повтор"));
    firstSection_->addRow(formControlRow(QStringLiteral("Повтор"), frequency_));

    opened_ = store.now();
    openedDay_ = store.calendar().localDate(opened_);
    picker_ = tool_form::dayPicker(QStringLiteral("firstDatePicker"), openedDay_);
    firstSection_->addRow(formControlRow(QStringLiteral("Первая дата"), picker_));
    connect(category_, &QLineEdit::textChanged, this, &RecurringEditorView::refresh);
    refresh();
}

bool RecurringEditorView::isValid() const {
    return !name_->text().isEmpty() && !category_->text().isEmpty() &&
           parsePositiveAmountInput(amount_->text()).has_value();
}

QDateTime RecurringEditorView::nextDate() const {
    if (picker_->date() == openedDay_) return opened_;
    return fromWallClock(QDateTime(picker_->date(), wallClock(opened_, store_.timeZone()).time()),
                         store_.timeZone());
}

void RecurringEditorView::commit(const QString& name, const Decimal& amount) {
    const TransactionKind kind =
        transactionKindFromRaw(kind_->currentTag()).value_or(TransactionKind::expense);
    const RecurringFrequency frequency =
        recurringFrequencyFromRaw(frequency_->currentData().toString()).value_or(RecurringFrequency::monthly);
    store_.addRecurring(name, kind, amount, category_->text(), frequency, nextDate());
}

QString RecurringRowDelegate::accessibleName(const QString& id) const {
    const RecurringRowContent* row = row_(id);
    if (!row) return {};
    return row->title + QStringLiteral(", ") + row->amount + QStringLiteral(", ") + row->caption;
}
