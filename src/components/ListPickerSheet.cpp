#include "components/ListPickerSheet.h"

#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Overlays.h"
#include "components/Symbols.h"
#include "components/TextLabel.h"
#include "components/Theme.h"
#include "services/CurrencyCatalog.h"
#include "services/GlobalPreferences.h"
#include "services/LanguageCatalog.h"
#include "services/PickerTitles.h"

namespace {

constexpr int kRowMinHeight = 44;
constexpr int kRowVerticalPadding = 11;
constexpr int kRowPadding = Spacing::pagePadding;  // leading and trailing
constexpr int kCheckSize = 20;
constexpr int kCheckGap = 12;  // between the title and the checkmark

constexpr int kValueRole = Qt::UserRole + 1;
constexpr int kSearchRole = Qt::UserRole + 2;

// One row: the title, wrapped between words over as many lines as it needs,
// and a checkmark at the trailing edge of the current row.
class PickerRowDelegate : public QStyledItemDelegate {
public:
    PickerRowDelegate(QListView* view, const QString& current)
        : QStyledItemDelegate(view), view_(view), current_(current) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const int width = view_->viewport()->width();
        const QRect text = QFontMetrics(Theme::font(TextStyle::Body))
                               .boundingRect(QRect(0, 0, textWidth(width), 10000), Qt::TextWordWrap,
                                             index.data(Qt::DisplayRole).toString());
        return {width, qMax(kRowMinHeight, text.height() + 2 * kRowVerticalPadding)};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const Theme& theme = Theme::current();
        const QRect row = option.rect;
        p->save();
        p->fillRect(row, theme.color(ColorRole::SecondaryGroupedBackground));
        if (option.state & (QStyle::State_MouseOver | QStyle::State_Selected))
            p->fillRect(row, theme.color(ColorRole::TertiaryFill));
        p->fillRect(QRect(row.left() + kRowPadding, row.bottom(), row.width() - kRowPadding, 1),
                    theme.color(ColorRole::Separator));
        p->setFont(Theme::font(TextStyle::Body));
        p->setPen(theme.color(ColorRole::Label));
        const QRect text(row.left() + kRowPadding, row.top(), textWidth(row.width()), row.height());
        p->drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap,
                    index.data(Qt::DisplayRole).toString());
        if (index.data(kValueRole).toString() == current_) {
            const QPixmap check = Symbols::pixmap(QStringLiteral("checkmark"), kCheckSize, theme.accent(),
                                                  view_->devicePixelRatioF());
            p->drawPixmap(QRect(row.right() - kRowPadding - kCheckSize + 1, row.center().y() - kCheckSize / 2,
                                kCheckSize, kCheckSize),
                          check);
        }
        p->restore();
    }

private:
    static int textWidth(int rowWidth) {
        return qMax(1, rowWidth - 2 * kRowPadding - kCheckSize - kCheckGap);
    }

    QListView* view_;
    QString current_;
};

}  // namespace

ListPickerSheet::ListPickerSheet(const QString& title, const QList<ListPickerEntry>& entries,
                                 const QString& current, QWidget* parent)
    : NavigationPage(title, parent), current_(current) {
    setObjectName(QStringLiteral("listPickerSheet"));
    setTitleDisplay(TitleDisplay::Inline);
    auto* cancel = addToolbarButton(QStringLiteral("Отмена"), {}, ToolbarPlacement::Cancellation);
    cancel->setObjectName(QStringLiteral("listPickerCancelButton"));
    connect(cancel, &QAbstractButton::clicked, this, [this] {
        if (Sheet* sheet = Sheet::of(this)) sheet->dismiss();
    });

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    search_ = new QLineEdit;
    search_->setObjectName(QStringLiteral("listPickerSearch"));
    search_->setPlaceholderText(QStringLiteral("Поиск"));
    search_->setAccessibleName(QStringLiteral("Поиск"));
    search_->setClearButtonEnabled(true);
    search_->addAction(
        Symbols::icon(QStringLiteral("magnifyingglass"), ColorRole::SecondaryLabel),
        QLineEdit::LeadingPosition);
    auto* searchRow = new QVBoxLayout;
    searchRow->setContentsMargins(kRowPadding, 0, kRowPadding, 0);
    searchRow->addWidget(search_);
    column->addLayout(searchRow);

    model_ = new QStandardItemModel(this);
    for (const ListPickerEntry& entry : entries) {
        auto* item = new QStandardItem(entry.title);
        item->setData(entry.value, kValueRole);
        item->setData(entry.title + u' ' + entry.value, kSearchRole);
        item->setEditable(false);
        item->setAccessibleText(entry.value == current ? entry.title + QStringLiteral(", выбрано")
                                                       : entry.title);
        model_->appendRow(item);
    }
    rows_ = new QSortFilterProxyModel(this);
    rows_->setSourceModel(model_);
    rows_->setFilterRole(kSearchRole);
    rows_->setFilterCaseSensitivity(Qt::CaseInsensitive);

    list_ = new QListView;
    list_->setObjectName(QStringLiteral("listPickerList"));
    list_->setModel(rows_);
    list_->setItemDelegate(new PickerRowDelegate(list_, current));
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setUniformItemSizes(false);
    list_->setResizeMode(QListView::Adjust);  // heights follow the width
    list_->setMouseTracking(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    const auto paintList = [this] {
        QPalette p = list_->palette();
        p.setColor(QPalette::Base, Theme::current().color(ColorRole::GroupedBackground));
        list_->setPalette(p);
        list_->viewport()->update();
    };
    paintList();
    connect(&Theme::current(), &Theme::changed, list_, paintList);
    column->addWidget(list_, 1);

    empty_ = new TextLabel(QStringLiteral("Ничего не найдено"), TextStyle::Body, ColorRole::SecondaryLabel);
    empty_->setObjectName(QStringLiteral("listPickerEmpty"));
    empty_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    empty_->setWordWrap(true);
    empty_->hide();
    column->addWidget(empty_, 1);
    setContent(content);

    connect(search_, &QLineEdit::textChanged, this, &ListPickerSheet::filter);
    connect(list_, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { pick(index.data(kValueRole).toString()); });
}

ListPickerSheet* ListPickerSheet::present(QWidget* from, const QString& title,
                                          const QList<ListPickerEntry>& entries, const QString& current) {
    auto* picker = new ListPickerSheet(title, entries, current);
    Sheet::present(from, new NavigationStack(picker));
    return picker;
}

QStringList ListPickerSheet::visibleValues() const {
    QStringList values;
    for (int row = 0; row < rows_->rowCount(); ++row)
        values << rows_->index(row, 0).data(kValueRole).toString();
    return values;
}

void ListPickerSheet::pick(const QString& value) {
    emit picked(value);
    if (Sheet* sheet = Sheet::of(this)) sheet->dismiss();
}

void ListPickerSheet::showEvent(QShowEvent* event) {
    NavigationPage::showEvent(event);
    // After the first layout, when the rows know their heights.
    QTimer::singleShot(0, this, &ListPickerSheet::scrollToCurrent);
}

void ListPickerSheet::filter(const QString& text) {
    rows_->setFilterFixedString(text.trimmed());
    const bool none = rows_->rowCount() == 0;
    list_->setVisible(!none);
    empty_->setVisible(none);
    if (text.trimmed().isEmpty()) scrollToCurrent();
}

void ListPickerSheet::scrollToCurrent() {
    const QModelIndexList found =
        model_->match(model_->index(0, 0), kValueRole, current_, 1, Qt::MatchExactly);
    if (found.isEmpty()) return;
    const QModelIndex row = rows_->mapFromSource(found.first());
    if (row.isValid()) list_->scrollTo(row, QAbstractItemView::PositionAtCenter);
}

QList<ListPickerEntry> currencyPickerEntries() {
    QList<ListPickerEntry> rows;
    for (const QString& code : CurrencyCatalog::codes()) rows.append({code, PickerTitles::currency(code)});
    return rows;
}

QList<ListPickerEntry> languagePickerEntries() {
    QList<ListPickerEntry> rows;
    const QString automatic = QString::fromLatin1(GlobalPreferences::kAutoLanguage);
    rows.append({automatic, PickerTitles::language(automatic)});
    for (const QString& code : LanguageCatalog::codes()) rows.append({code, PickerTitles::language(code)});
    return rows;
}
