#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "services/MoneyDestination.h"

// What one launch of the app was asked to do.
//
//   zanbeck                         start, or bring the running window forward
//   zanbeck --open expense          the open-app intent: leave the section for the tabs
//   zanbeck zanbeck://add-expense   open a link (the desktop's URL handler)
//   zanbeck --print-role            print the build's role and exit
struct LaunchRequest {
    std::optional<MoneyDestination> section;
    std::optional<QString> url;
    bool printRole = false;
    bool showHelp = false;
    bool showVersion = false;
    QString error;  // non-empty: the arguments were not understood

    bool operator==(const LaunchRequest&) const = default;
};

// arguments[0] is the program. Never fails hard: bad input gives `error`.
LaunchRequest parseCommandLine(const QStringList& arguments);

// The text of --help (needs the application object for the program's name).
QString commandLineHelp();
