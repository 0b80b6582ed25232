#pragma once

// Scrolling a page as a user does, for the screens whose cards are built as
// they come near the viewport.

#include <QCoreApplication>
#include <QScrollBar>
#include <algorithm>

#include "components/PageBody.h"

namespace viewtest {

// Scrolls a page to its end a screen at a time and back to the top, as a user
// looking at all of it: every card of a lazy column is built after.
inline void scrollThrough(PageBody* body) {
    const auto settle = [] {
        for (int i = 0; i < 4; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    };
    QScrollBar* bar = body->verticalScrollBar();
    for (int guard = 0; guard < 1000 && bar->value() < bar->maximum(); ++guard) {
        bar->setValue(bar->value() + std::max(1, body->viewport()->height()));
        settle();
    }
    bar->setValue(0);
    settle();
}

}  // namespace viewtest
