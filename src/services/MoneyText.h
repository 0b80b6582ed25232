#pragma once

#include "models/Decimal.h"

#include <QString>

// The one text form of money everywhere: currency style in the selected
// currency ("currencyCode") and locale ("appLanguage"), exactly two fraction
// digits rounded half-even, formatted by ICU from the exact decimal digits.
// Both preferences are read again on every call.
QString cnyText(const Decimal& amount);
