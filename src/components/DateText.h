#pragma once

#include <QDateTime>
#include <QString>

// Date texts in the device's own locale and time zone, formatted by ICU as the
// phone formats them.
namespace DateText {

// The device locale as an ICU locale name ("ru_RU"), the same one money text
// uses for "auto": an unset or C locale gives the app's language, "ru_RU".
QString deviceLocaleName();

// Abbreviated date and shortened time: "5 янв. 2024 г., 15:30", "Jan 5, 2024, 3:30 PM".
// Empty for an invalid date.
QString abbreviatedDateTime(const QDateTime& when, const QString& localeName = deviceLocaleName());

// The date and time in digits, as the editors' date-and-time fields show
// them ("05.01.2024 15:30", kNumericDateTimeFormat), on the device's clock:
// the shorter form for where the abbreviated one does not fit. Empty for an
// invalid date.
inline constexpr const char* kNumericDateTimeFormat = "dd.MM.yyyy HH:mm";
QString numericDateTime(const QDateTime& when);

// A calendar day without time, abbreviated ("5 янв. 2024 г.", "Jan 5, 2024")
// or long ("5 января 2024 г.", "January 5, 2024"). Empty for an invalid day.
QString abbreviatedDate(QDate day, const QString& localeName = deviceLocaleName());
QString longDate(QDate day, const QString& localeName = deviceLocaleName());

}  // namespace DateText
