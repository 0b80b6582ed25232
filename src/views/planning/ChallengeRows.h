#pragma once

#include <QDate>
#include <QHash>

#include "views/planning/ToolRows.h"

struct SavingsChallenge;

// What one challenge's row shows.
struct ChallengeRowContent {
    QString challengeId;
    QString title;
    bool completed = false;
    QString percent;  // "29%"
    double fraction = 0;  // of the bar, 0 to 1
    QString caption;  // "12.5 из 120 · до " and the end day
    QString step;     // the step button's text; empty once completed
    int stepAmount = 0;

    static ChallengeRowContent of(const SavingsChallenge& challenge, QDate endDay, const QString& currencyCode);
    QString symbol() const;
    bool operator==(const ChallengeRowContent&) const = default;
};

// Paints a challenge: its flag (a yellow trophy once completed) and title in
// the headline font, up to two lines, with the percentage at the trailing
// end; the purple bar; the caption; and while it is open the step button
// (key "step").
class ChallengeRowDelegate : public ToolRowDelegate {
public:
    static inline const QString kStep = QStringLiteral("step");

    explicit ChallengeRowDelegate(const QHash<QString, ChallengeRowContent>& rows) : rows_(rows) {}

    void forgetMeasurements() const override {
        ToolRowDelegate::forgetMeasurements();
        measured_.clear();
    }
    // "<title>, <percent>, <caption>" as the row reads.
    QString accessibleName(const QString& id) const override;

protected:
    int contentHeight(const QString& id, int width) const override;
    QList<PaintedButton> contentButtons(const QString& id, int width) const override;
    void paintContent(QPainter* painter, const QString& id, const QRect& rect,
                      const PaintedRowState& state) const override;

private:
    struct Layout {
        int headerHeight = 0;
        int barTop = 0, captionTop = 0, captionHeight = 0, buttonTop = 0, height = 0;
        QSize buttonSize;  // empty without the step button
    };
    Layout layout(const ChallengeRowContent& row, const TitleLine& title, int width) const;
    using Measured = MeasuredRows<ChallengeRowContent, Layout>::Measured;
    const Measured* measured(const QString& id, int width) const;

    const QHash<QString, ChallengeRowContent>& rows_;
    MeasuredRows<ChallengeRowContent, Layout> measured_{rows_};
};
