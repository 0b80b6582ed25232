#pragma once

// What the screen tests stand on: the store fixture (a temporary data folder,
// a fixed clock, the Berlin zone, isolated preferences, fake platform
// services), the light theme installed as the app does it, and a phone-sized
// window that always goes before the store it shows.

#include "components/PageBody.h"
#include "components/Theme.h"
#include "store/StoreFixture.h"
#include "support/Gallery.h"
#include "support/Settle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

namespace viewtest {

// Lets deferred deletes, queued redraws and layouts run to their end.
inline void settle() {
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    settleUntilStill();
}

// The light scheme, whatever the machine's own, installed on the application.
inline void installLightTheme() {
    Theme::current().setSystemScheme(ColorScheme::Light);
    Theme::current().refresh();
    Theme::current().install(*qApp);
}

// A shown phone-sized window holding `content` edge to edge (or nothing).
inline std::unique_ptr<QWidget> showPhoneWindow(QWidget* content = nullptr) {
    auto window = std::make_unique<QWidget>();
    if (content) {
        auto* column = new QVBoxLayout(window.get());
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(content);
    }
    window->resize(Gallery::kPhoneSize);
    window->show();
    settle();
    return window;
}

// Types text as key presses, as a keyboard with that layout sends them
// (QTest's own typing takes ASCII only).
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        const int key = ch == QLatin1Char(' ') ? Qt::Key_Space : 0;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

}  // namespace viewtest

class ViewFixture : public StoreFixture {
protected:
    ViewFixture() { viewtest::installLightTheme(); }
    ~ViewFixture() override {
        closeWindow();
        store.reset();
        Preferences::resetStandard();
        Theme::current().refresh();  // back to the default look for the next test
    }
    // The screens go before the fakes and the store they use.
    void TearDown() override {
        closeWindow();
        store.reset();
    }

    // Writes the ledger as the anonymous profile's file and opens a store on it;
    // a screen never outlives the store it shows.
    MoneyStore& open(const MoneyData& data) {
        closeWindow();
        return StoreFixture::open(data);
    }
    MoneyStore& openEmpty() { return open(MoneyData::emptyLedger()); }

    QWidget& showWindow(QWidget* content = nullptr) {
        window = viewtest::showPhoneWindow(content);
        return *window;
    }
    void closeWindow() {
        window.reset();
        settle();
    }

    static void settle() { viewtest::settle(); }
    // A page's content is never wider than its window (it would be cut off at
    // the right edge: the pages scroll vertically only).
    static void expectFitsWidth(PageBody* body) {
        settle();
        EXPECT_LE(body->content()->width(), body->viewport()->width());
        EXPECT_LE(body->content()->minimumSizeHint().width(), body->viewport()->width());
    }
    static void typeText(QWidget* widget, const QString& text) { viewtest::typeText(widget, text); }

    std::unique_ptr<QWidget> window;
};
