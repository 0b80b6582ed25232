#pragma once

#include "models/MoneyModels.h"

#include <QString>

// The demo ledger that the designated demo account starts from when it has
// neither its own file nor the legacy single ledger file.
MoneyData demoLedger();

// The designated demo account's e-mail address.
QString demoAccountEmail();

// The demo-account test: the nickname is "Coder" or the e-mail is the demo
// address, both compared ignoring case and without trimming.
bool isDemoAccount(const QString& nickname, const QString& email);
