#pragma once

#include <QtGlobal>

#include "models/Decimal.h"

// Arithmetic for derived figures that must never stop the program. Money sums
// are exact in every real ledger; only values near the limits of Decimal
// (a damaged or hand-edited file) fall back to the nearest double and, beyond
// Decimal's range, saturate at its largest value of the right sign.
namespace money {

Decimal largest();  // the greatest finite Decimal
Decimal add(const Decimal& a, const Decimal& b);
Decimal sub(const Decimal& a, const Decimal& b);
Decimal mul(const Decimal& a, const Decimal& b);
// b must not be zero.
Decimal div(const Decimal& a, const Decimal& b);
// a / b as a double; b must not be zero.
double ratio(const Decimal& a, const Decimal& b);
// part / whole × 100, truncated toward zero, exactly, saturated to 64 bits;
// whole must be greater than zero.
qint64 truncatedPercent(const Decimal& part, const Decimal& whole);

// Saturating 64-bit counters.
qint64 addSaturated(qint64 a, qint64 b);
qint64 mulSaturated(qint64 a, qint64 b);

}  // namespace money
