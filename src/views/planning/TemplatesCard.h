#pragma once

#include <QHash>
#include <functional>
#include <optional>

#include "components/MoneyCard.h"
#include "components/PaintedList.h"
#include "models/MoneyModels.h"
#include "views/planning/ToolRows.h"

class Button;
class MoneyStore;

// What one quick template's row shows.
struct TemplateRowContent {
    QString templateId;
    QString title;
    QString detail;  // the kind's title, " · " and the amount

    static TemplateRowContent of(const QuickTemplate& item);
    // What a tap on the row says: "<title>, <detail>".
    QString accessibleName() const { return title + QStringLiteral(", ") + detail; }
    bool operator==(const TemplateRowContent&) const = default;
};

struct TemplateRowLayout {
    int textWidth = 0, detailTop = 0, height = 0;
};

// Paints a quick template: its title (semibold) and detail, which together
// are one plain button (key "apply": a tap books it), and the trash button
// (key "delete": deletes it at once) at the trailing end.
class TemplateRowDelegate : public ContentRowDelegate<TemplateRowContent, TemplateRowLayout> {
public:
    static inline const QString kApply = QStringLiteral("apply");
    static inline const QString kDelete = QStringLiteral("delete");

    using ContentRowDelegate::ContentRowDelegate;

    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    QString accessibleName(const QString& id) const override {
        const TemplateRowContent* row = find(id);
        return row ? row->accessibleName() : QString();
    }

protected:
    TemplateRowLayout measure(const TemplateRowContent& row, int width) const override;
};

// "Быстрые шаблоны": the templates in use as painted rows, then "Новый шаблон".
class TemplatesCard : public MoneyCard {
    Q_OBJECT
public:
    TemplatesCard(MoneyStore& store, std::function<void()> newTemplate, QWidget* parent = nullptr);

    // Measures and paints again only the rows whose template changed.
    void draw();

    int rowCount() const;
    // The i-th template shown: its row's key in list() and what it shows.
    QString keyAt(int index) const;
    std::optional<TemplateRowContent> rowAt(int index) const;
    PaintedList* list() const { return list_; }
    Button* newTemplateButton() const { return new_; }

private:
    MoneyStore& store_;
    QHash<QString, TemplateRowContent> rows_;
    TemplateRowDelegate delegate_{rows_};
    PaintedList* list_;
    Button* new_;
};
