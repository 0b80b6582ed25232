#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <functional>
#include <optional>
#include <vector>

#include "models/MoneyModels.h"

class PhotoPicker;
class QDateTimeEdit;
class QObject;
class QWidget;
class SegmentedControl;

// What the add form and the transaction editor share.
namespace transaction_form {

// Tags typed as one text: split at every ",", each piece trimmed of white
// space and line breaks, empty pieces dropped; order and repeats stay.
QStringList splitTags(const QString& text);
// Stored tags as an editor shows them: joined with ", "; "" for none.
QString joinTags(const std::optional<QStringList>& tags);

// "Доход" / "Расход", the kind picker's segment titles.
QString kindTitle(TransactionKind kind);

// The wallet a transaction without one belongs to.
QString defaultWallet();

// The kind picker titled "Тип": "Доход" (tag "income") then "Расход" ("expense").
SegmentedControl* kindPicker(TransactionKind selected);

// A row with a title at the leading edge and a picker at the trailing edge,
// as forms show a menu picker. The picker may shrink (its text then elides)
// so that a long entry never widens the form.
QWidget* pickerRow(const QString& title, QWidget* picker);

// A date with hour and minute, shown as wall-clock time in the ledger's zone.
QDateTimeEdit* dateTimePicker(const QDateTime& moment, const QTimeZone& zone);
// The moment the picker shows, read back in that zone (UTC).
QDateTime pickedMoment(const QDateTimeEdit& picker, const QTimeZone& zone);
// The "Дата" row with `picker` made on `moment` (UTC): only an edit replaces
// `moment` (seconds included), so an untouched picker keeps it exactly.
// `moment` must outlive the picker.
QWidget* dateRow(QDateTime& moment, const QTimeZone& zone, QDateTimeEdit*& picker);

// Asks the photo picker for a receipt photo on behalf of the form that holds
// this as a member. Only the newest request's answer is delivered (empty bytes
// as none); an answer arriving after forget(), or after the form is gone, is
// dropped.
class ReceiptPhotoRequest {
public:
    explicit ReceiptPhotoRequest(PhotoPicker& photos) : photos_(photos) {}

    void start(QObject* form, std::function<void(std::optional<QByteArray>)> deliver);
    void forget() { ++generation_; }

private:
    PhotoPicker& photos_;
    quint64 generation_ = 0;
};

}  // namespace transaction_form
