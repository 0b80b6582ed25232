#pragma once

#include <functional>

#include "components/MoneyCard.h"
#include "models/MoneyModels.h"

class Button;
class KeyedRowList;
class MoneyStore;
class TileButton;

// One quick template: a tap books it, the trash button deletes it at once.
class TemplateRow : public QWidget {
    Q_OBJECT
public:
    explicit TemplateRow(MoneyStore& store, QWidget* parent = nullptr);

    void draw(const QuickTemplate& item);

    TileButton* applyButton() const { return apply_; }
    Button* deleteButton() const { return delete_; }
    TextLabel* titleLabel() const { return title_; }
    TextLabel* detailLabel() const { return detail_; }

private:
    MoneyStore& store_;
    QString templateId_;
    TileButton* apply_;
    TextLabel* title_;
    TextLabel* detail_;
    Button* delete_;
};

// "Быстрые шаблоны": the templates in use, then "Новый шаблон".
class TemplatesCard : public MoneyCard {
    Q_OBJECT
public:
    TemplatesCard(MoneyStore& store, std::function<void()> newTemplate, QWidget* parent = nullptr);

    void draw();

    int rowCount() const;
    TemplateRow* rowAt(int index) const;
    Button* newTemplateButton() const { return new_; }

private:
    MoneyStore& store_;
    KeyedRowList* rows_;
    Button* new_;
};
