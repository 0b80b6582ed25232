#pragma once

#include <QProcessEnvironment>
#include <QString>

#include "account/AppAccountRole.h"
#include "app/CommandLine.h"
#include "services/StorePaths.h"

class SingleInstance;

// Whether a window can be opened at all: a platform chosen through
// QT_QPA_PLATFORM, or an X11 or Wayland display in the environment. Without
// one, Qt would abort; the app says so and exits instead.
bool hasDisplay(const QProcessEnvironment& environment);
// The one line printed then.
QString noDisplayMessage(const QString& program);

// The open-app intent run from the command line: stores the section for the
// tabs and returns the intent's answer, "Открываю Zanbeck" (also when the app
// group could not be written: the intent never fails).
QString runOpenIntent(MoneyDestination destination);

enum class LaunchOutcome {
    becomeInstance,  // no instance of this build runs: this process is it now
    forwarded,       // the running instance got this launch's request: exit
    failed,          // the running instance could not be reached, or no lock
};

// Runs the intent (when a section was asked for), then either becomes the
// instance or hands the request (a link, else a plain activation) to the
// running one. *error says why on failure.
LaunchOutcome claimOrForward(const LaunchRequest& request, SingleInstance& instance,
                             QString* error = nullptr);

// Where this build keeps its ledgers. The child's app uses the user's data
// folder; the parent's app keeps its own, as two phone apps have separate
// containers, so the two builds never write the same ledger file.
StorePaths storePathsForRole(AppAccountRole role);

// The standard preferences file of this build ({} = the default one). The
// parent's app keeps its own, like its ledgers: its language, currency and
// cached family user are not the child's.
QString preferencesPathForRole(AppAccountRole role);

// The app group folder of this build ({} = the default one). Two phone apps of
// one maker could share a group; these two builds stand for apps on two
// phones, so the parent's keeps its own: its open-app intent must not steer
// the child's tabs, nor its balance replace the child's widget snapshot.
QString appGroupFolderForRole(AppAccountRole role);
