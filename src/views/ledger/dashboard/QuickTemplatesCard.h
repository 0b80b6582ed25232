#pragma once

#include <QStringList>

#include "components/Card.h"
#include "models/MoneyModels.h"

class MoneyStore;
class QHBoxLayout;
class QScrollArea;

// "В одно касание": the templates in use as tiles on a sideways strip; a tap
// books the template's operation at once. Hidden while there is none.
class QuickTemplatesCard : public Card {
    Q_OBJECT
public:
    explicit QuickTemplatesCard(MoneyStore& store, QWidget* parent = nullptr);
    void draw();

private:
    QWidget* tile(const QuickTemplate& item, bool masked);

    MoneyStore& store_;
    QScrollArea* strip_;
    QHBoxLayout* row_;
    QStringList shown_{QStringLiteral("<not drawn>")};
};
