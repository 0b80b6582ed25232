#pragma once

#include <QFontMetrics>
#include <QHash>
#include <optional>
#include <QString>

#include "account/FamilyRecords.h"
#include "components/PaintedList.h"
#include "components/Theme.h"

// What one task's card shows, worked out from the task alone: the delegate
// paints it, and tests read it.
struct TaskCardContent {
    QString symbol;  // the status icon
    ColorRole symbolColor = ColorRole::SecondaryLabel;
    QString title;
    QString subtitle;  // "nickname · status word"
    QString reward;    // "+50 CNY"
    bool review = false;  // the approval row and the buttons are shown
    QString approvals;    // "Подтверждения: 1/2"
    bool ownVote = false;  // "Ваш голос учтён", and no "Подтвердить"

    static TaskCardContent of(const FamilyTask& task, const QString& currencyCode);
    // "в работе", "ждёт проверки", or "выполнено" for any other status.
    static QString statusWord(const QString& status);
};

// Paints the board's task cards: status tile, title, "nickname · status" and
// reward, and for a task awaiting review the approvals, "Вернуть" and
// "Подтвердить" (keys "return" and "approve") and, while its action runs, a
// spinner. Reads the board's tasks by id; never copies them.
class TaskCardDelegate : public PaintedRowDelegate {
public:
    static inline const QString kReturn = QStringLiteral("return");
    static inline const QString kApprove = QStringLiteral("approve");

    explicit TaskCardDelegate(const QHash<QString, FamilyTask>& tasks) : tasks_(tasks) {}
    void setCurrencyCode(const QString& code);
    const QString& currencyCode() const { return currency_; }

    int rowHeight(const QString& id, int width, bool busy) const override;
    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    void forgetMeasurements() const override;
    // The card as it reads: title, reward, child, status, and while it awaits
    // review the approvals and the own vote.
    QString accessibleName(const QString& id) const override;
    // The task a button acts on: its title and child.
    QString accessibleDescription(const QString& id, const QString& key) const override;
    // The task changed or went: its card is measured again when next asked.
    void forget(const QString& id) { cards_.remove(id); }

    // For tests: the width a card's title is laid out in at a card width, and
    // the height the card gives the title there.
    struct TitleBox {
        int width = 0;
        int height = 0;
    };
    std::optional<TitleBox> titleBox(const QString& id, int width) const;

private:
    // The fonts' metrics, made once: a thousand cards are measured with them.
    struct Metrics {
        QFontMetricsF title, subtitle;  // fractional widths, as lines are broken
        QFontMetrics reward;
        int titleHeight, subtitleHeight;  // of one line
        int approvalsHeight, buttonHeight;
    };
    const Metrics& metrics() const;
    mutable std::optional<Metrics> metrics_;
    struct Layout {
        int textLeft = 0, textWidth = 0, rewardWidth = 0;
        int titleHeight = 0, subtitleHeight = 0, topHeight = 0;
        int approvalsTop = 0, approvalsHeight = 0;
        int buttonsTop = 0, spinnerTop = 0;
        int height = 0;
    };
    // A card's one-line text widths and its texts' heights at the last width,
    // worked out once per task content: a layout trying another width then
    // measures no text again unless a text wraps. The board forgets a task's
    // entry whenever the task changes (forget), as it tells the list.
    struct Card {
        qreal titleWidth = 0, subtitleWidth = 0;
        int rewardWidth = 0;
        int textWidth = -1, titleHeight = 0, subtitleHeight = 0;
        bool review = false, ownVote = false;
    };
    // The card of a task the board holds (none else), and the task.
    Card* cardOf(const QString& id, const FamilyTask** task = nullptr) const;
    // `content` is the task's when the caller made it already, else null.
    Layout layout(Card& card, const FamilyTask& task, const TaskCardContent* content, int width, bool busy) const;

    const QHash<QString, FamilyTask>& tasks_;
    QString currency_;
    mutable QHash<QString, Card> cards_;
    // Subtitles repeat (a few children, three statuses): measured once each.
    mutable QHash<QString, qreal> subtitleWidths_;
};
