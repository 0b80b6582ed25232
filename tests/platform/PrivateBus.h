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

// For tests that bring their own stand-in services and need only some private bus.
#define REQUIRE_ANY_PRIVATE_BUS()                                                                     \
    do {                                                                                              \
        if (qgetenv("ZANBECK_PRIVATE_BUS").isEmpty())                                                 \
            GTEST_SKIP() << "needs a private D-Bus session; run by run-in-private-session.sh";        \
    } while (0)
