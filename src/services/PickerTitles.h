#pragma once

#include <QString>

// The row titles of the currency and language pickers (the family tab's and
// the settings screen's), in the device's own locale whatever the app's
// language is, so that a user can always find their language again.
namespace PickerTitles {

// CurrencyCatalog::title for the device's locale: "₽ · RUB — российский рубль".
QString currency(const QString& code);
// "Как на устройстве" for "auto"; otherwise the language's name in the
// device's locale, every word capitalised ("Английский"); the bare code when
// the locale has no name for it.
QString language(const QString& code);

}  // namespace PickerTitles
