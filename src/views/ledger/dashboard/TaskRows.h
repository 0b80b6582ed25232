#pragma once

#include <QHash>
#include <memory>

#include "components/PaintedList.h"
#include "components/TextFit.h"
#include "models/MoneyModels.h"
#include "views/planning/ToolRows.h"

// What one money task's row of the dashboard shows.
struct TaskRowContent {
    QString taskId;
    QString title;
    QString reward;  // "Награда <money> · выполнено <count>"
    QString due;     // "До <date> · сложность <n>/3"; empty without a due date

    static TaskRowContent of(const RewardTask& task);
    bool operator==(const TaskRowContent&) const = default;
};

// A row's texts are laid out once per content and width and kept with the
// row's measurements, so painting the row again (a scroll) shapes nothing.
struct TaskRowLayout {
    std::shared_ptr<const TextFit::WrappedText> title, reward, due;  // due: none without a due date
    int textWidth = 0, rewardTop = 0, dueTop = 0, textHeight = 0, height = 0;
};

// Paints a money task: its title (semibold), reward and due lines, each
// wrapped between words, then "Готово" (key "done") and the actions button
// ("Действия", key "more") at the trailing end.
class TaskRowDelegate : public ContentRowDelegate<TaskRowContent, TaskRowLayout> {
public:
    static inline const QString kDone = QStringLiteral("done");
    static inline const QString kMore = QStringLiteral("more");

    using ContentRowDelegate::ContentRowDelegate;

    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    // "<title>, <reward line>, <due line>" as the row reads.
    QString accessibleName(const QString& id) const override;

protected:
    TaskRowLayout measure(const TaskRowContent& row, int width) const override;
};
