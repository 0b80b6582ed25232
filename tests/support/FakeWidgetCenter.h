#pragma once

#include "platform/WidgetCenter.h"

// Counts the reload requests.
class FakeWidgetCenter : public WidgetCenter {
public:
    void reloadAllTimelines() override { ++reloads; }

    int reloads = 0;
};
