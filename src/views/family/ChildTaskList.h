#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QWidget>
#include <optional>

#include "account/FamilyRecords.h"
#include "components/PaintedList.h"

// What one row of the child's task list shows.
struct ChildTaskContent {
    QString title;
    QString reward;  // "+12 CNY"
    QString status;  // statusText()
    bool done = false;  // "Готово" is offered (the task is active)

    static ChildTaskContent of(const FamilyTask& task, const QString& currencyCode);
    // "В работе" for "active", "Ждёт проверки" for "review", "Выполнено" for anything else.
    static QString statusText(const QString& status);
};

// Paints a money task of the child's screen: the title in bold with the
// reward in green at the trailing end, the status below it and, while the task
// is active, "Готово" (key "done"); a hairline above every row but the first.
class ChildTaskDelegate : public PaintedRowDelegate {
public:
    static inline const QString kDone = QStringLiteral("done");

    explicit ChildTaskDelegate(const QHash<QString, FamilyTask>& tasks) : tasks_(tasks) {}
    void setCurrencyCode(const QString& code) { currency_ = code; }
    const QString& currencyCode() const { return currency_; }

    int rowHeight(const QString& id, int width, bool busy) const override;
    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    // "<title>, <reward>, <status>", whatever the task's status.
    QString accessibleName(const QString& id) const override;

private:
    struct Layout {
        int rewardWidth = 0, titleWidth = 0, titleHeight = 0, statusTop = 0, buttonTop = 0, height = 0;
    };
    Layout layout(const ChildTaskContent& content, int width) const;

    const QHash<QString, FamilyTask>& tasks_;
    QString currency_;
};

// The task rows in the server's order, painted in one list. A redraw repaints
// only the rows whose task changed, so the page's scroll position survives
// every refresh; a row's "Готово" is held while its "complete" is sent.
class ChildTaskList : public QWidget {
    Q_OBJECT
public:
    explicit ChildTaskList(QWidget* parent = nullptr);

    // `acting`: ids of the tasks whose "complete" is being sent.
    void setTasks(const QList<FamilyTask>& tasks, const QString& currencyCode, const QSet<QString>& acting);

    // For tests: the list (rows are the row keys, the button key is "done"),
    // the keys in order, and what a row shows.
    PaintedList* list() const { return list_; }
    QStringList rowKeys() const { return list_->rows(); }
    std::optional<ChildTaskContent> row(const QString& key) const;

signals:
    void completeRequested(const QString& taskId);

private:
    QHash<QString, FamilyTask> tasks_;  // by row key
    ChildTaskDelegate delegate_{tasks_};
    PaintedList* list_;
};
