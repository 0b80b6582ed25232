#include "views/planning/ToolScreen.h"

#include <QDateEdit>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Card.h"
#include "components/DateField.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "components/TextLabel.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/KeyedRowList.h"
#include "views/planning/ToolsStyle.h"

ToolScreen::ToolScreen(MoneyStore& store, const QString& title, const QString& objectName, QWidget* parent)
    : NavigationPage(title, parent), store_(store) {
    setObjectName(objectName);
    body()->setSpacing(Spacing::pageStack);
    connect(&store_, &MoneyStore::dataChanged, this, [this] { redraw(); });
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key == QLatin1String("currencyCode") || key == QLatin1String("appLanguage")) redraw();
    });
    connect(&Theme::current(), &Theme::changed, this, [this] { redraw(); });
}

void ToolScreen::addEditorButton(std::function<QWidget*()> makeEditor) {
    makeEditor_ = std::move(makeEditor);
    add_ = addToolbarButton(QStringLiteral("Добавить"), QStringLiteral("plus"), ToolbarPlacement::Trailing);
    add_->setObjectName(QStringLiteral("toolAddButton"));
    connect(add_, &QAbstractButton::clicked, this, &ToolScreen::presentEditor);
}

void ToolScreen::presentEditor() {
    if (sheet_ || !makeEditor_) return;
    sheet_ = Sheet::present(this, makeEditor_());
}

QWidget* toolListHeader(const QString& header) {
    auto* title = new TextLabel(header.toUpper(), TextStyle::Footnote, ColorRole::SecondaryLabel);
    title->setContentsMargins(Spacing::pagePadding, 0, Spacing::pagePadding, 0);
    return title;
}

ToolList::ToolList(const QString& header, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(tools_style::listSectionGap);
    if (!header.isEmpty()) column->addWidget(toolListHeader(header));
    auto* card = new Card;
    card->setPadding(Spacing::pagePadding, tools_style::listRowPadding);
    rows_ = new KeyedRowList(tools_style::listRowPadding);
    card->addWidget(rows_);
    panel_ = card;
    column->addWidget(card);
}

void ToolList::setIds(const QStringList& ids, const std::function<QWidget*(const QString& key)>& make,
                      const std::function<void(int, QWidget*)>& draw) {
    panel_->setVisible(!ids.isEmpty());
    rows_->setKeys(KeyedRowList::uniqueKeys(ids), make, draw);
}

int ToolList::count() const { return int(rows_->keys().size()); }

QWidget* ToolList::rowAt(int index) const { return rows_->row(rows_->keys().value(index)); }

namespace tool_form {

QDateEdit* dayPicker(const QString& objectName, QDate day, QDate minimum) {
    auto* picker = new QDateEdit;
    picker->setObjectName(objectName);
    picker->setCalendarPopup(true);
    // Digits, as the other forms' date pickers show them.
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    if (minimum.isValid()) picker->setMinimumDate(minimum);
    picker->setDate(day);
    DateField::showWholeValue(picker);
    return picker;
}

QDateTime weekAhead(const MoneyStore& store) {
    return wallClock(store.calendar().addingDays(store.now(), 7), store.timeZone());
}

SegmentedControl* segments(const QString& objectName, const QString& accessibleName,
                           const QList<QPair<QString, QString>>& items, const QString& current) {
    auto* picker = new SegmentedControl;
    picker->setObjectName(objectName);
    picker->setAccessibleName(accessibleName);
    for (const auto& [title, tag] : items) picker->addSegment(title, tag);
    picker->setCurrentTag(current);
    return picker;
}

}  // namespace tool_form
