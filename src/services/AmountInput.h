#pragma once

#include "models/Decimal.h"

#include <QString>
#include <optional>

// The one reader of amounts typed into forms. "," becomes ".", white space
// around the text is ignored, and the rest must be plain decimal text: an
// optional sign, digits and at most one point. Anything else ("12abc", "1e3",
// "1 000", "") gives nothing, so a half-typed amount is never stored.
std::optional<Decimal> parseAmountInput(const QString& text);

// parseAmountInput and greater than zero: what every save button waits for.
std::optional<Decimal> parsePositiveAmountInput(const QString& text);
