#include "views/planning/TemplateEditorView.h"

#include <QLineEdit>

#include "components/Button.h"
#include "components/NavigationStack.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "services/AmountInput.h"
#include "store/MoneyStore.h"
#include "views/ledger/EditorForm.h"
#include "views/ledger/TransactionFormParts.h"

namespace {

// Blank means white space that is not a line break: the tab and every space
// separator (U+0020, U+00A0, U+2007, U+3000 …); a line break is not blank here.
bool isBlank(const QString& text) {
    for (const QChar ch : text)
        if (ch != QLatin1Char('\t') && ch.category() != QChar::Separator_Space) return false;
    return true;
}

}  // namespace

TemplateEditorView::TemplateEditorView(MoneyStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("templateEditor"));
    const EditorPage frame = makeEditorPage(QStringLiteral("Новый шаблон"), QStringLiteral("Добавить"),
                                            QStringLiteral("addButton"));
    page_ = frame.page;
    cancel_ = frame.cancel;
    add_ = frame.confirm;

    auto* section = new EditorSection;
    title_ = formTextField(QStringLiteral("Название шаблона"), QStringLiteral("templateTitleField"));
    section->addRow(formFieldRow({}, title_));
    kindPicker_ = transaction_form::kindPicker(kind_);
    kindPicker_->setAccessibleName(QStringLiteral("Тип"));
    section->addRow(kindPicker_);
    amount_ = formTextField(QStringLiteral("Сумма"), QStringLiteral("templateAmountField"));
    amount_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    section->addRow(formFieldRow({}, amount_));
    category_ = formTextField(QStringLiteral("Категория"), QStringLiteral("templateCategoryField"));
    section->addRow(formFieldRow({}, category_));
    page_->body()->addWidget(section);
    hostEditorPage(this, page_);

    connect(kindPicker_, &SegmentedControl::currentTagChanged, this, [this](const QString& tag) {
        if (const auto kind = transactionKindFromRaw(tag)) kind_ = *kind;
    });
    for (QLineEdit* field : {title_, amount_, category_})
        connect(field, &QLineEdit::textChanged, this, &TemplateEditorView::refresh);
    connect(title_, &QLineEdit::returnPressed, amount_, qOverload<>(&QWidget::setFocus));
    connect(amount_, &QLineEdit::returnPressed, category_, qOverload<>(&QWidget::setFocus));
    connect(category_, &QLineEdit::returnPressed, this, &TemplateEditorView::save);
    connect(cancel_, &QAbstractButton::clicked, this, &TemplateEditorView::dismiss);
    connect(add_, &QAbstractButton::clicked, this, &TemplateEditorView::save);
    refresh();
}

bool TemplateEditorView::canSave(const QString& title, const QString& amountText, const QString& category) {
    return !isBlank(title) && !isBlank(category) && parsePositiveAmountInput(amountText).has_value();
}

bool TemplateEditorView::canSave() const {
    return canSave(title_->text(), amount_->text(), category_->text());
}

void TemplateEditorView::refresh() { add_->setEnabled(canSave() && !done_); }

void TemplateEditorView::save() {
    if (done_ || !canSave()) return;
    const std::optional<Decimal> amount = parsePositiveAmountInput(amount_->text());
    // A second tap while the sheet closes must not add the template twice.
    done_ = true;
    refresh();
    store_.addTemplate(title_->text(), kind_, *amount, category_->text());
    dismiss();
}

void TemplateEditorView::dismiss() { dismissSheetOf(this); }

void TemplateEditorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!focused_) {
        focused_ = true;
        title_->setFocus(Qt::OtherFocusReason);
    }
}
