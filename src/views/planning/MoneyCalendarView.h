#pragma once

#include <QDate>

#include "views/planning/ToolScreen.h"

class QCalendarWidget;
class TextLabel;

// "Календарь": a month calendar in the device's locale and, under it, the
// operations of the picked day, newest first, as display-only rows.
class MoneyCalendarView : public ToolScreen {
    Q_OBJECT
public:
    // The picked day starts on the local day of `selected`.
    MoneyCalendarView(MoneyStore& store, const QDateTime& selected, QWidget* parent = nullptr);
    void redraw() override;

    QDate selectedDay() const;
    void selectDay(QDate day);

    QCalendarWidget* calendar() const { return calendar_; }
    TextLabel* headerLabel() const { return header_; }
    TextLabel* emptyLabel() const { return empty_; }
    ToolList* list() const { return list_; }

private:
    QCalendarWidget* calendar_;
    TextLabel* header_;
    TextLabel* empty_;
    ToolList* list_;
};
