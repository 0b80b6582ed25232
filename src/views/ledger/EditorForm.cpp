#include "views/ledger/EditorForm.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Card.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "components/SymbolView.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/Theme.h"
#include "components/Toggle.h"
#include "services/AmountInput.h"
#include "services/GlobalPreferences.h"
#include "store/LedgerCalendar.h"

namespace {
constexpr int kFieldHeight = 28;
constexpr int kRowInset = 16;
constexpr int kRowPadding = 8;
constexpr int kRowMinHeight = 44;
}  // namespace

EditorPage makeEditorPage(const QString& title, const QString& confirmTitle, const QString& confirmName) {
    auto* page = new NavigationPage(title);
    page->setTitleDisplay(NavigationPage::TitleDisplay::Inline);
    Button* cancel = page->addToolbarButton(QStringLiteral("Отмена"), {}, ToolbarPlacement::Cancellation);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    Button* confirm = page->addToolbarButton(confirmTitle, {}, ToolbarPlacement::Confirmation);
    confirm->setObjectName(confirmName);
    return {page, cancel, confirm};
}

void hostEditorPage(QWidget* sheetContent, NavigationPage* page) {
    auto* column = new QVBoxLayout(sheetContent);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new NavigationStack(page, sheetContent));
}

void dismissSheetOf(QWidget* sheetContent) {
    if (Sheet* sheet = Sheet::of(sheetContent)) sheet->dismiss();
}

EditorSection::EditorSection(const QString& header, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    if (!header.isEmpty()) {
        header_ = new TextLabel(header.toUpper(), TextStyle::Footnote, ColorRole::SecondaryLabel);
        header_->setObjectName(QStringLiteral("formSectionHeader"));
        header_->setContentsMargins(kRowInset, 0, kRowInset, 0);
        column->addWidget(header_);
    }
    auto* panel = new Card;
    panel->setPadding(kRowInset, 0);
    panel->setSpacing(0);
    panel->setRadius(12);
    rows_ = panel->stack();
    column->addWidget(panel);
}

void EditorSection::addRow(QWidget* row) { rows_->addWidget(rowSlot(row, rows_->count() > 0)); }

void EditorSection::insertRow(int index, QWidget* row) {
    if (index > 0) {
        rows_->insertWidget(index, rowSlot(row, true));
        return;
    }
    // The former first row gets the hairline above it.
    if (QLayoutItem* first = rows_->itemAt(0); first && first->widget())
        static_cast<QVBoxLayout*>(first->widget()->layout())->insertWidget(0, new Divider);
    rows_->insertWidget(0, rowSlot(row, false));
}

QWidget* EditorSection::rowSlot(QWidget* row, bool hairline) {
    // A slot holds the row with the hairline above it (none above the first).
    auto* slot = new QWidget;
    slot->setObjectName(QStringLiteral("formRowSlot"));
    auto* stack = new QVBoxLayout(slot);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    if (hairline) stack->addWidget(new Divider);
    auto* inner = new QVBoxLayout;
    inner->setContentsMargins(0, kRowPadding, 0, kRowPadding);
    row->setMinimumHeight(qMax(row->minimumHeight(), kRowMinHeight - 2 * kRowPadding));
    inner->addWidget(row);
    stack->addLayout(inner);
    return slot;
}

void EditorSection::setRowVisible(QWidget* row, bool visible) {
    if (row && row->parentWidget()) row->parentWidget()->setVisible(visible);
}

bool EditorSection::isRowVisible(QWidget* row) const {
    return row && row->parentWidget() && !row->parentWidget()->isHidden();
}

QWidget* formFieldRow(const QString& title, QWidget* field, const QString& trailing) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    if (!title.isEmpty()) line->addWidget(new TextLabel(title, TextStyle::Body));
    line->addWidget(field, 1);
    if (!trailing.isEmpty()) {
        auto* suffix = new TextLabel(trailing, TextStyle::Body, ColorRole::SecondaryLabel);
        suffix->setObjectName(QStringLiteral("formTrailingText"));
        line->addWidget(suffix);
    }
    return row;
}

QWidget* formControlRow(const QString& title, QWidget* control) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    // The title shrinks to fit its line rather than push the row (and the
    // sheet) wider than a phone when the control is wide ("Выполнить до"
    // beside a date and time), or break onto a second line.
    auto* label = new TextLabel(title, TextStyle::Body);
    label->setMinimumScaleFactor(TextFit::kMinimumScale);
    line->addWidget(label, 1);
    control->setAccessibleName(title);
    line->addWidget(control);
    return row;
}

QLineEdit* formTextField(const QString& placeholder, const QString& objectName) {
    auto* field = new QLineEdit;
    field->setObjectName(objectName);
    field->setPlaceholderText(placeholder);
    field->setFont(Theme::font(TextStyle::Body));
    field->setFrame(false);
    // The section panel is the frame; the field itself draws no box.
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }"));
    field->setMinimumHeight(kFieldHeight);
    return field;
}

QWidget* formHelpRow(const QString& text, const QString& symbol) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 2, 0, 2);
    line->setSpacing(8);
    auto* icon = new SymbolView(symbol, 15);
    icon->setTint(ColorRole::SecondaryLabel);
    line->addWidget(icon, 0, Qt::AlignTop);
    auto* label = new TextLabel(text, TextStyle::Footnote, ColorRole::SecondaryLabel);
    label->setObjectName(QStringLiteral("formHelpText"));
    label->setWordWrap(true);
    line->addWidget(label, 1);
    return row;
}

Stepper::Stepper(int minimum, int maximum, int value, std::function<QString(int)> title, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      value_(qBound(minimum, value, maximum)),
      titleFor_(std::move(title)) {
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(0);
    title_ = new TextLabel({}, TextStyle::Body);
    title_->setObjectName(QStringLiteral("stepperTitle"));
    line->addWidget(title_, 1);
    minus_ = new Button(QStringLiteral("Меньше"), Button::Style::Bordered, QStringLiteral("minus"));
    minus_->setObjectName(QStringLiteral("stepperDecrement"));
    minus_->setIconOnly(true);
    minus_->setTint(ColorRole::Label);
    plus_ = new Button(QStringLiteral("Больше"), Button::Style::Bordered, QStringLiteral("plus"));
    plus_->setObjectName(QStringLiteral("stepperIncrement"));
    plus_->setIconOnly(true);
    plus_->setTint(ColorRole::Label);
    for (Button* b : {minus_, plus_}) b->setFixedWidth(47);
    line->addWidget(minus_);
    line->addSpacing(1);
    line->addWidget(plus_);
    connect(minus_, &QAbstractButton::clicked, this, [this] { setValue(value_ - 1); });
    connect(plus_, &QAbstractButton::clicked, this, [this] { setValue(value_ + 1); });
    refresh();
}

void Stepper::setValue(int value) {
    const int bounded = qBound(minimum_, value, maximum_);
    if (bounded == value_) return;
    value_ = bounded;
    refresh();
    emit valueChanged(value_);
}

void Stepper::refresh() {
    title_->setText(titleFor_ ? titleFor_(value_) : QString::number(value_));
    minus_->setEnabled(value_ > minimum_);
    plus_->setEnabled(value_ < maximum_);
}

QDateTime wallClock(const QDateTime& moment, const QTimeZone& zone) {
    const QDateTime local = moment.toTimeZone(zone);
    return QDateTime(local.date(), local.time());
}

QDateTime fromWallClock(const QDateTime& wall, const QTimeZone& zone) {
    return LedgerCalendar(zone).atLocalTime(wall.date(), wall.time()).toUTC();
}

NamedAmountEditor::NamedAmountEditor(MoneyStore& store, const Texts& texts, QWidget* parent)
    : QWidget(parent), store_(store) {
    const EditorPage frame =
        makeEditorPage(texts.pageTitle, QStringLiteral("Добавить"), QStringLiteral("addButton"));
    page_ = frame.page;
    cancel_ = frame.cancel;
    add_ = frame.confirm;

    firstSection_ = new EditorSection(texts.sectionHeader);
    name_ = formTextField(texts.namePlaceholder, texts.nameObjectName);
    firstSection_->addRow(formFieldRow({}, name_));
    amount_ = formTextField(texts.amountPlaceholder.isEmpty() ? QStringLiteral("0") : texts.amountPlaceholder,
                            texts.amountObjectName);
    amount_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    if (texts.amountPlaceholder.isEmpty()) {
        amount_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        firstSection_->addRow(formFieldRow(texts.amountTitle, amount_, GlobalPreferences::currencyCode()));
    } else {
        firstSection_->addRow(formFieldRow({}, amount_));
    }
    page_->body()->addWidget(firstSection_);
    hostEditorPage(this, page_);

    connect(name_, &QLineEdit::textChanged, this, &NamedAmountEditor::refresh);
    connect(amount_, &QLineEdit::textChanged, this, &NamedAmountEditor::refresh);
    connect(name_, &QLineEdit::returnPressed, amount_, qOverload<>(&QWidget::setFocus));
    connect(amount_, &QLineEdit::returnPressed, this, &NamedAmountEditor::save);
    connect(cancel_, &QAbstractButton::clicked, this, &NamedAmountEditor::dismiss);
    connect(add_, &QAbstractButton::clicked, this, &NamedAmountEditor::save);
    refresh();
}

void NamedAmountEditor::addDeadline(EditorSection* section, const QString& switchTitle, QWidget* pickerRow) {
    hasDeadline_ = new ToggleRow(switchTitle);
    hasDeadline_->setObjectName(QStringLiteral("deadlineSwitch"));
    hasDeadline_->setContentsMargins(0, 0, 0, 0);
    section->addRow(hasDeadline_);
    section->addRow(pickerRow);
    section->setRowVisible(pickerRow, false);
    deadlineSection_ = section;
    pickerRow_ = pickerRow;
    // Turning the switch off hides the picker but keeps the chosen value.
    connect(hasDeadline_, &ToggleRow::toggled, this,
            [this](bool on) { deadlineSection_->setRowVisible(pickerRow_, on); });
}

bool NamedAmountEditor::hasDeadline() const { return hasDeadline_ && hasDeadline_->isChecked(); }

bool NamedAmountEditor::isPickerShown() const {
    return deadlineSection_ && deadlineSection_->isRowVisible(pickerRow_);
}

bool NamedAmountEditor::isValid() const {
    return !name_->text().trimmed().isEmpty() && parsePositiveAmountInput(amount_->text()).has_value();
}

void NamedAmountEditor::refresh() { add_->setEnabled(isValid() && !done_); }

void NamedAmountEditor::save() {
    if (done_ || !isValid()) return;
    const std::optional<Decimal> amount = parsePositiveAmountInput(amount_->text());
    if (!amount) return;
    // A second tap while the sheet closes must not add the item twice.
    done_ = true;
    refresh();
    commit(name_->text(), *amount);
    dismiss();
}

void NamedAmountEditor::dismiss() {
    emit dismissRequested();
    dismissSheetOf(this);
}

void NamedAmountEditor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The keyboard opens on the name field when the sheet comes up.
    if (!focused_) {
        focused_ = true;
        name_->setFocus(Qt::OtherFocusReason);
    }
}
