#pragma once

#include <vector>

#include "components/Card.h"
#include "views/ledger/dashboard/TemplateTiles.h"

class MoneyStore;
class PaintedList;
class QScrollArea;

// "В одно касание": the templates in use as tiles on a sideways strip; a tap
// books the template's operation at once. Hidden while there is none. The
// tiles are painted, so only those on screen cost anything.
class QuickTemplatesCard : public Card {
    Q_OBJECT
public:
    explicit QuickTemplatesCard(MoneyStore& store, QWidget* parent = nullptr);
    void draw();

    // For tests: the strip's list (one row, TemplateTileDelegate::kRow, whose
    // buttons are the tiles) and the tiles in order.
    PaintedList* list() const { return list_; }
    QScrollArea* strip() const { return strip_; }
    const std::vector<TemplateTile>& tiles() const { return tiles_; }

private:
    MoneyStore& store_;
    std::vector<TemplateTile> tiles_;
    TemplateTileDelegate delegate_{tiles_};
    QScrollArea* strip_;
    PaintedList* list_;
};
