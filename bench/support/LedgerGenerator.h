#pragma once

#include "models/MoneyModels.h"

#include <cstdint>

// A realistic ledger for benchmarks: `transactionCount` transactions over the
// three years before 2026-10-04 (mostly expenses, Russian categories and notes,
// some tags, favourites, wallets and receipts) plus goals, money tasks,
// templates, wishes, debts, challenges, recurring operations, custom categories
// and category budgets in proportion. The same arguments give the same ledger.
MoneyData generateLedger(int transactionCount, std::uint32_t seed = 20261004);
