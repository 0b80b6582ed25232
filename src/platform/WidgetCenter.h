#pragma once

// Asks the home-screen widgets to redraw from the shared snapshot. Called after
// every snapshot write; the system decides when a widget actually redraws.
class WidgetCenter {
public:
    virtual ~WidgetCenter() = default;
    virtual void reloadAllTimelines() = 0;
};

// Linux has no home-screen widget of ours; the request is only counted so
// that it can be seen (and tested) that a reload was asked for.
class LinuxWidgetCenter : public WidgetCenter {
public:
    void reloadAllTimelines() override { ++reloadCount_; }
    int reloadCount() const { return reloadCount_; }

private:
    int reloadCount_ = 0;
};
