#pragma once

#include <QString>

// The family server origin fixed at build time (ZANBECK_FAMILY_SERVER_URL):
// the stand-in server on loopback for a local build, an https origin for a release.
QString defaultFamilyServerUrl();
