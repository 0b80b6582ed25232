#pragma once

#include <QString>
#include <QUrl>

// The family server origin fixed at build time (ZANBECK_FAMILY_SERVER_URL):
// the stand-in server on loopback for a local build, an https origin for a release.
QString defaultFamilyServerUrl();

// The bearer token may travel only over https, or over plain http to this
// machine itself (127.0.0.0/8, ::1, localhost).
bool isAllowedFamilyServerOrigin(const QUrl& url);
