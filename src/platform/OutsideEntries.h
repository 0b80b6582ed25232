#pragma once

#include <QObject>
#include <QString>

// Entries into the running app from outside its window: a link opened with
// the app (from the desktop's URL handler or the command line), and a request
// to come to the front (a second launch, the open-app intent). The texts are
// untrusted; size limits are applied before they get here.
//
// The app's instance forwarding emits these; tests emit them directly.
class OutsideEntries : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // The link's whole text as given (see services/DeepLink.h for its meaning).
    void urlOpened(const QString& url);
    // Another launch asked this instance to show its window.
    void activationRequested();
};
