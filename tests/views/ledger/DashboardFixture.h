#pragma once

// The dashboard and the goal and task editors on the real store (see
// ViewFixture), with the clock at 10:00 UTC on 15 June 2026.

#include <QAbstractButton>
#include <QPointer>
#include <QTest>

#include "views/ViewFixture.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "services/MoneyText.h"
#include "support/FakeHaptics.h"

class DashboardFixture : public ViewFixture {
protected:
    DashboardFixture() { clock.set(QDateTime(QDate(2026, 6, 15), QTime(10, 0), QTimeZone::utc())); }

    static void setPreference(const QString& key, const QVariant& value) {
        Preferences::standard().setValue(key, value);
    }

    QString ledgerFile() const { return anonymousFile(); }

    // From now on every write of the ledger fails (a folder stands where the file goes).
    void breakWrites() {
        QFile::remove(ledgerFile());
        ASSERT_TRUE(QDir().mkpath(ledgerFile()));
    }
    void repairWrites() { ASSERT_TRUE(QDir().rmdir(ledgerFile())); }

    // A phone-sized window showing `page` as the root of a navigation stack.
    NavigationStack& showInWindow(NavigationPage* page) {
        auto* stack = new NavigationStack(page);
        showWindow(stack);
        return *stack;
    }
    // A window with `content` presented as a sheet.
    Sheet* presentSheet(QWidget* content) {
        Sheet* sheet = Sheet::present(&showWindow(), content);
        settle();
        return sheet;
    }
    Alert* currentAlert() const {
        OverlayHost* host = window ? OverlayHost::forWindow(window.get()) : nullptr;
        return host ? host->currentAlert() : nullptr;
    }

    static void click(QAbstractButton* button) {
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        settle();
    }

    // Replaces a field's text by typing: select all, erase, then the keys.
    static void type(QWidget* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        typeText(field, text);
    }

    FakeHaptics haptics;
};

// An editor sheet (the goal or the money-task editor) made on the store and
// presented in a window.
template <class Editor>
class EditorSheetFixture : public DashboardFixture {
protected:
    Editor& present() {
        editor = new Editor(*store);
        sheet = presentSheet(editor);
        return *editor;
    }
    // Ledger writes since the store was made (its own start-up write included).
    int saves() const { return disk.ledgerWrites; }

    Editor* editor = nullptr;
    QPointer<Sheet> sheet;
};
