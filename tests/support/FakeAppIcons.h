#pragma once

#include <QStringList>
#include <QTimer>
#include <optional>

#include "platform/AppIcons.h"

// Records every icon asked for ("" for the primary) and answers on the next
// event-loop turn with `failure` (nullopt: success), as the phone answers later.
class FakeAppIcons : public AppIcons {
public:
    bool supportsAlternateIcons() const override { return supported; }
    void setAlternateIconName(const QString& name, Done done) override {
        requested.append(name);
        QTimer::singleShot(0, [done = std::move(done), answer = failure] { done(answer); });
    }

    bool supported = true;
    std::optional<QString> failure;
    QStringList requested;
};
