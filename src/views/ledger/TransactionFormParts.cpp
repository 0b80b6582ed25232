#include "views/ledger/TransactionFormParts.h"

#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QPointer>
#include <QStringList>

#include "components/DateField.h"
#include "components/DateText.h"
#include "components/SegmentedControl.h"
#include "components/TextLabel.h"
#include "platform/PhotoPicker.h"
#include "views/ledger/EditorForm.h"

namespace transaction_form {

QStringList splitTags(const QString& text) {
    QStringList tags;
    for (const QString& piece : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString tag = piece.trimmed();
        if (!tag.isEmpty()) tags.push_back(tag);
    }
    return tags;
}

QString joinTags(const std::optional<QStringList>& tags) {
    if (!tags) return {};
    return tags->join(QStringLiteral(", "));
}

QString kindTitle(TransactionKind kind) {
    return kind == TransactionKind::income ? QStringLiteral("Доход") : QStringLiteral("Расход");
}

QString defaultWallet() { return QStringLiteral("Основной"); }

SegmentedControl* kindPicker(TransactionKind selected) {
    auto* picker = new SegmentedControl;
    picker->setObjectName(QStringLiteral("kindPicker"));
    picker->setAccessibleName(QStringLiteral("Тип"));
    for (TransactionKind kind : allTransactionKinds()) picker->addSegment(kindTitle(kind), rawValue(kind));
    picker->setCurrentTag(rawValue(selected));
    return picker;
}

QWidget* pickerRow(const QString& title, QWidget* picker) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(12);
    auto* label = new TextLabel(title, TextStyle::Body);
    label->setObjectName(QStringLiteral("formRowTitle"));
    line->addWidget(label, 0, Qt::AlignVCenter);
    line->addStretch(1);
    picker->setAccessibleName(title);
    picker->setMinimumWidth(96);
    picker->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    line->addWidget(picker, 0, Qt::AlignVCenter);
    return row;
}

QDateTimeEdit* dateTimePicker(const QDateTime& moment, const QTimeZone& zone) {
    auto* picker = new QDateTimeEdit;
    picker->setObjectName(QStringLiteral("datePicker"));
    picker->setAccessibleName(QStringLiteral("Дата"));
    picker->setDisplayFormat(QString::fromLatin1(DateText::kNumericDateTimeFormat));
    picker->setCalendarPopup(true);
    picker->setDateTime(wallClock(moment, zone));
    // The whole date and time beside the field's drop-down chevron.
    DateField::showWholeValue(picker);
    return picker;
}

QDateTime pickedMoment(const QDateTimeEdit& picker, const QTimeZone& zone) {
    return fromWallClock(picker.dateTime(), zone);
}

QWidget* dateRow(QDateTime& moment, const QTimeZone& zone, QDateTimeEdit*& picker) {
    picker = dateTimePicker(moment, zone);
    QDateTimeEdit* edit = picker;
    QObject::connect(edit, &QDateTimeEdit::dateTimeChanged, edit,
                     [&moment, edit, zone] { moment = pickedMoment(*edit, zone); });
    return pickerRow(QStringLiteral("Дата"), edit);
}

void ReceiptPhotoRequest::start(QObject* form, std::function<void(std::optional<QByteArray>)> deliver) {
    const quint64 generation = ++generation_;
    // This request lives inside the form: while the form is there, so is it.
    photos_.pickImage([alive = QPointer<QObject>(form), this, generation,
                       deliver = std::move(deliver)](std::optional<QByteArray> bytes) {
        if (!alive || generation != generation_) return;
        if (bytes && bytes->isEmpty()) bytes.reset();
        deliver(std::move(bytes));
    });
}

}  // namespace transaction_form
