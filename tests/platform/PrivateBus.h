#pragma once

#include <QByteArray>
#include <gtest/gtest.h>

// Tests that need a private D-Bus session run under run-in-private-session.sh,
// which says through ZANBECK_PRIVATE_BUS what it set up ("keyring" or "empty").
// Outside that script they are skipped; CTest runs them through the script.
inline bool privateBusIs(const char* mode) { return qgetenv("ZANBECK_PRIVATE_BUS") == mode; }

#define REQUIRE_PRIVATE_BUS(mode)                                                                      \
    do {                                                                                                \
        if (!privateBusIs(mode))                                                                        \
            GTEST_SKIP() << "needs the private D-Bus session (" mode "); run by run-in-private-session.sh"; \
    } while (0)
