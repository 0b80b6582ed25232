#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <map>
#include <optional>
#include <string>

#include "services/Preferences.h"
#include "support/TempDir.h"

// Points the process-wide preferences at a fresh file for one test and back
// at the default file afterwards.
class StandardPreferencesTest : public ::testing::Test {
protected:
    void SetUp() override { Preferences::resetStandard(dir_.filePath("preferences.ini")); }
    void TearDown() override { Preferences::resetStandard(); }

    Preferences& prefs() { return Preferences::standard(); }
    TempDir dir_;
};

// Sets locale variables for one scope and restores what was there before.
class ScopedLocaleEnvironment {
public:
    ScopedLocaleEnvironment() {
        for (const char* name : kNames)
            saved_[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        for (const char* name : kNames) qunsetenv(name);
    }
    ~ScopedLocaleEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value)
                qputenv(name.c_str(), *value);
            else
                qunsetenv(name.c_str());
        }
    }
    void set(const char* name, const char* value) { qputenv(name, value); }
    void unset(const char* name) { qunsetenv(name); }

private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MONETARY", "LANG"};
    std::map<std::string, std::optional<QByteArray>> saved_;
};
