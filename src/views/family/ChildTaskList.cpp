#include "views/family/ChildTaskList.h"

#include <QPainter>
#include <QVBoxLayout>

#include "components/TextFit.h"
#include "components/Theme.h"
#include "views/family/FamilyStyle.h"
#include "views/family/TaskTexts.h"

namespace {

constexpr int kRewardGap = 8;

QFont titleFont() { return Theme::font(TextStyle::Body, QFont::Bold); }
QFont rewardFont() { return Theme::font(TextStyle::Body); }
QFont statusFont() { return Theme::font(TextStyle::Caption); }

Button::Face doneFace() {
    Button::Face face;
    face.text = QStringLiteral("Готово");
    face.style = Button::Style::BorderedProminent;
    face.tint = QColor(Qt::black);
    face.labelColor = QColor(Qt::white);
    return face;
}

}  // namespace

QString ChildTaskContent::statusText(const QString& status) {
    if (status == QLatin1String("active")) return QStringLiteral("В работе");
    if (status == QLatin1String("review")) return QStringLiteral("Ждёт проверки");
    return QStringLiteral("Выполнено");
}

ChildTaskContent ChildTaskContent::of(const FamilyTask& task, const QString& currencyCode) {
    return {task.title, taskRewardText(task.reward_cents, currencyCode), statusText(task.status),
            task.status == QLatin1String("active")};
}

ChildTaskDelegate::Layout ChildTaskDelegate::layout(const ChildTaskContent& c, int width) const {
    Layout l;
    const int padding = FamilyStyle::taskRowPadding + FamilyStyle::taskRowInset;
    l.rewardWidth = std::min(QFontMetrics(rewardFont()).horizontalAdvance(c.reward) + 1, width / 2);
    l.titleWidth = std::max(width - l.rewardWidth - kRewardGap, 1);
    const QFontMetrics title(titleFont());
    l.titleHeight = title.horizontalAdvance(c.title) <= l.titleWidth
                        ? title.height()
                        : TextFit::wrappedHeight(c.title, titleFont(), l.titleWidth);
    l.titleHeight = std::max(l.titleHeight, QFontMetrics(rewardFont()).height());
    l.statusTop = padding + l.titleHeight + FamilyStyle::taskLineSpacing;
    int y = l.statusTop + QFontMetrics(statusFont()).height();
    if (c.done) {
        l.buttonTop = y + FamilyStyle::taskLineSpacing;
        y = l.buttonTop + Button::faceSize(doneFace()).height();
    }
    l.height = y + padding;
    return l;
}

int ChildTaskDelegate::rowHeight(const QString& id, int width, bool) const {
    const auto it = tasks_.constFind(id);
    return it == tasks_.constEnd() ? 0 : layout(ChildTaskContent::of(*it, currency_), width).height;
}

QList<PaintedButton> ChildTaskDelegate::buttons(const QString& id, int width, bool) const {
    const auto it = tasks_.constFind(id);
    if (it == tasks_.constEnd()) return {};
    const ChildTaskContent c = ChildTaskContent::of(*it, currency_);
    if (!c.done) return {};
    const Layout l = layout(c, width);
    const QSize size = Button::faceSize(doneFace());
    return {{kDone, QRect(QPoint(0, l.buttonTop), QSize(std::min(size.width(), width), size.height())),
             QStringLiteral("Готово")}};
}

void ChildTaskDelegate::paintRow(QPainter* p, const QString& id, const QRect& rect,
                                 const PaintedRowState& state) const {
    const auto it = tasks_.constFind(id);
    if (it == tasks_.constEnd()) return;
    const ChildTaskContent c = ChildTaskContent::of(*it, currency_);
    const Layout l = layout(c, rect.width());
    const Theme& theme = Theme::current();
    if (!state.first) p->fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), theme.color(ColorRole::Separator));
    const int top = rect.top() + FamilyStyle::taskRowPadding + FamilyStyle::taskRowInset;
    p->setPen(theme.color(ColorRole::Label));
    TextFit::WrappedText(c.title, titleFont(), l.titleWidth).draw(p, QPointF(rect.left(), top));
    p->setPen(theme.color(ColorRole::Green));
    TextFit::drawOneLine(p, QRect(rect.right() + 1 - l.rewardWidth, top, l.rewardWidth,
                                  QFontMetrics(rewardFont()).height()),
                         c.reward, rewardFont(), Qt::AlignRight | Qt::AlignTop);
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    p->setFont(statusFont());
    p->drawText(QRect(rect.left(), rect.top() + l.statusTop, rect.width(), QFontMetrics(statusFont()).height()),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, c.status);
    for (const PaintedButton& button : buttons(id, rect.width(), state.busy))
        PaintedList::paintButton(p, rect, button, doneFace(), state);
}

ChildTaskList::ChildTaskList(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("childTaskList"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    list_ = new PaintedList(delegate_);
    list_->setObjectName(QStringLiteral("childTaskRows"));
    column->addWidget(list_);
    connect(list_, &PaintedList::buttonClicked, this, [this](const QString& key, const QString&) {
        const auto it = tasks_.constFind(key);
        if (it != tasks_.constEnd()) emit completeRequested(it->id);
    });
}

std::optional<ChildTaskContent> ChildTaskList::row(const QString& key) const {
    const auto it = tasks_.constFind(key);
    if (it == tasks_.constEnd()) return std::nullopt;
    return ChildTaskContent::of(*it, delegate_.currencyCode());
}

void ChildTaskList::setTasks(const QList<FamilyTask>& tasks, const QString& currencyCode,
                             const QSet<QString>& acting) {
    const bool currencyChanged = currencyCode != delegate_.currencyCode();
    delegate_.setCurrencyCode(currencyCode);
    QHash<QString, FamilyTask> next;
    next.reserve(tasks.size());
    QStringList keys, changed;
    QSet<QString> busy;
    for (const FamilyTask& task : tasks) {
        // A repeated id (which the server never sends) gets a row of its own.
        QString key = task.id;
        for (int n = 1; next.contains(key); ++n) key = task.id + QChar(0) + QString::number(n);
        const auto old = tasks_.constFind(key);
        if (old == tasks_.constEnd() || !(*old == task)) changed << key;
        if (acting.contains(task.id)) busy.insert(key);
        next.insert(key, task);
        keys << key;
    }
    tasks_ = std::move(next);
    if (keys != list_->rows()) list_->setRows(keys);
    list_->setBusyRows(busy);
    if (currencyChanged) {
        list_->updateAllRows();
        return;
    }
    for (const QString& key : std::as_const(changed)) list_->updateRow(key);
}

QString ChildTaskDelegate::accessibleName(const QString& id) const {
    const auto it = tasks_.constFind(id);
    if (it == tasks_.constEnd()) return {};
    const ChildTaskContent c = ChildTaskContent::of(*it, currency_);
    return c.title + QStringLiteral(", ") + c.reward + QStringLiteral(", ") + c.status;
}
