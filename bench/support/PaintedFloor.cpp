#include "PaintedFloor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "BenchHarness.h"
#include "components/Theme.h"

namespace {

constexpr int kPadding = 16;
constexpr int kLineGap = 3;
// The first runs of a process warm the font, glyph and allocator caches; the
// screen programs measure the floor after building large ledgers, so without
// them the floor came out above bench_floor's and flattered every ratio.
constexpr int kWarmUpRuns = 3;
constexpr int kMeasuredRuns = 31;

const QStringList& categories() {
    static const QStringList names{
        QStringLiteral("Еда"),  QStringLiteral("Транспорт"), QStringLiteral("Карманные деньги"),
        QStringLiteral("Игры"), QStringLiteral("Подарки"),   QStringLiteral("Кружки и секции")};
    return names;
}

FloorTime spreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto at = [&values](double share) { return values[std::size_t(share * double(values.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.1), at(0.9)};
}

}  // namespace

FloorModel::FloorModel(int rows, QObject* parent) : QAbstractListModel(parent), rows_(rows) {}

void FloorModel::reset() {
    beginResetModel();
    ++generation_;
    endResetModel();
}

int FloorModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QString FloorModel::title(int row) { return categories().at(row % categories().size()); }

QString FloorModel::detail(int row) {
    return QStringLiteral("Запись %1 · %2 окт.").arg(row + 1).arg(row % 28 + 1);
}

QString FloorModel::amount(int row, int generation) {
    const int cents = (row * 7919 + generation * 131) % 250'000 + 100;
    return QStringLiteral("−%1.%2 ¥").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QVariant FloorModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    switch (role) {
        case Qt::DisplayRole:
            return title(index.row());
        case DetailRole:
            return detail(index.row());
        case AmountRole:
            return amount(index.row(), generation_);
        default:
            return {};
    }
}

void FloorDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const Theme& theme = Theme::current();
    const QRect row = option.rect.adjusted(kPadding, 0, -kPadding, 0);
    p->fillRect(row, theme.color(ColorRole::SecondaryGroupedBackground));
    const QFont titleFont = Theme::font(TextStyle::Body, QFont::Medium);
    const QFont detailFont = Theme::font(TextStyle::Caption);
    const QFont amountFont = Theme::font(TextStyle::Body, QFont::DemiBold);
    const QString amount = index.data(FloorModel::AmountRole).toString();
    const int amountWidth = QFontMetrics(amountFont).horizontalAdvance(amount);
    const QRect text = row.adjusted(kPadding, 0, -kPadding - amountWidth - kPadding, 0);
    const int titleHeight = QFontMetrics(titleFont).height();
    const int detailHeight = QFontMetrics(detailFont).height();
    const int top = row.center().y() - (titleHeight + kLineGap + detailHeight) / 2;
    p->setFont(titleFont);
    p->setPen(theme.color(ColorRole::Label));
    p->drawText(QRect(text.left(), top, text.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                index.data(Qt::DisplayRole).toString());
    p->setFont(detailFont);
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    p->drawText(QRect(text.left(), top + titleHeight + kLineGap, text.width(), detailHeight),
                Qt::AlignLeft | Qt::AlignVCenter, index.data(FloorModel::DetailRole).toString());
    p->setFont(amountFont);
    p->setPen(theme.color(ColorRole::Label));
    p->drawText(row.adjusted(0, 0, -kPadding, 0), Qt::AlignRight | Qt::AlignVCenter, amount);
    p->setPen(theme.color(ColorRole::Separator));
    p->drawLine(text.left(), row.bottom(), row.right(), row.bottom());
}

QSize FloorDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), kRowHeight};
}

PaintedFloorList::PaintedFloorList(int rows, QWidget* parent)
    : QListView(parent), model_(new FloorModel(rows, this)) {
    setObjectName(QStringLiteral("paintedFloor"));
    setModel(model_);
    setItemDelegate(new FloorDelegate(this));
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFrameShape(QFrame::NoFrame);
}

WidgetFloorColumn::WidgetFloorColumn(int rows, QWidget* parent) : QScrollArea(parent), rows_(rows) {
    setObjectName(QStringLiteral("widgetFloor"));
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    fill(0);
}

void WidgetFloorColumn::replaceRows() { fill(++generation_); }

void WidgetFloorColumn::fill(int generation) {
    auto* column = new QWidget;
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(kPadding, 0, kPadding, 0);
    stack->setSpacing(0);
    for (int row = 0; row < rows_; ++row) {
        auto* record = new QWidget;
        auto* line = new QHBoxLayout(record);
        line->setContentsMargins(kPadding, 10, kPadding, 10);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(kLineGap);
        auto* title = new QLabel(FloorModel::title(row));
        title->setFont(Theme::font(TextStyle::Body, QFont::Medium));
        auto* detail = new QLabel(FloorModel::detail(row));
        detail->setFont(Theme::font(TextStyle::Caption));
        texts->addWidget(title);
        texts->addWidget(detail);
        line->addLayout(texts, 1);
        auto* amount = new QLabel(FloorModel::amount(row, generation));
        amount->setFont(Theme::font(TextStyle::Body, QFont::DemiBold));
        line->addWidget(amount);
        stack->addWidget(record);
    }
    stack->addStretch(1);
    setWidget(column);  // deletes the previous column
}

const FloorFigures& paintedFloor(int rows) {
    static std::map<int, FloorFigures> measured;
    if (const auto it = measured.find(rows); it != measured.end()) return it->second;
    std::vector<double> opens;
    std::vector<double> resets;
    std::vector<double> held;
    QElapsedTimer timer;
    for (int run = 0; run < kWarmUpRuns + kMeasuredRuns; ++run) {
        const qint64 heapBefore = heapBytesInUse();
        timer.start();
        auto phone = std::make_unique<PhoneWindow>(new PaintedFloorList(rows));
        const double openMs = double(timer.nsecsElapsed()) / 1e6;
        if (run >= kWarmUpRuns) {
            opens.push_back(openMs);
            held.push_back(double(heapBytesInUse() - heapBefore));
        }
        phone.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    auto* list = new PaintedFloorList(rows);
    PhoneWindow phone(list);
    for (int run = 0; run < kWarmUpRuns + kMeasuredRuns; ++run) {
        timer.start();
        list->floorModel()->reset();
        phone.redraw();
        const double resetMs = double(timer.nsecsElapsed()) / 1e6;
        if (run >= kWarmUpRuns) resets.push_back(resetMs);
    }
    FloorFigures figures;
    figures.open = spreadOf(opens);
    figures.reset = spreadOf(resets);
    figures.openMs = figures.open.medianMs;
    figures.resetMs = figures.reset.medianMs;
    figures.heldBytes = qint64(spreadOf(held).medianMs);
    return measured[rows] = figures;
}
