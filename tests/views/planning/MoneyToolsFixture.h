#pragma once

// A money tool on the real store (see ViewFixture) as the root of its stack in
// a phone-sized window, with its editor sheet one tap away.

#include <QLineEdit>

#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/ProgressBar.h"
#include "components/TextLabel.h"
#include "support/Gallery.h"
#include "views/ledger/DashboardFixture.h"
#include "views/planning/ToolScreen.h"

class MoneyToolsFixture : public DashboardFixture {
protected:
    template <class Screen, class... Args>
    Screen& show(const MoneyData& data, Args&&... args) {
        open(data);
        auto* screen = new Screen(*store, std::forward<Args>(args)...);
        stack = &showInWindow(screen);
        return *screen;
    }
    // Opens the screen's editor sheet by its toolbar button.
    template <class Editor>
    Editor& openEditor(ToolScreen& screen) {
        click(screen.addButton());
        EXPECT_NE(screen.editorSheet(), nullptr);
        return *qobject_cast<Editor*>(screen.editorSheet()->content());
    }
    QLineEdit* field(QWidget& editor, const char* name) const {
        return editor.findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    // The empty, the demo and the dark look of a screen.
    template <class Screen, class... Args>
    void galleryOf(const char* name, const MoneyData& filled, const Args&... args) {
        show<Screen>(MoneyData::emptyLedger(), args...);
        EXPECT_FALSE(Gallery::save(*window, QStringLiteral("%1-empty").arg(name)).isEmpty());
        show<Screen>(filled, args...);
        EXPECT_FALSE(Gallery::save(*window, QStringLiteral("%1-demo").arg(name)).isEmpty());
        setPreference("appTheme", "dark");
        settle();
        EXPECT_FALSE(Gallery::save(*window, QStringLiteral("%1-dark").arg(name)).isEmpty());
    }

    NavigationStack* stack = nullptr;
};
