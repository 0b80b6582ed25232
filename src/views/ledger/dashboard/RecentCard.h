#pragma once

#include <QStringList>

#include "components/Card.h"

class MoneyStore;
class QVBoxLayout;

// "Последние операции": the five newest operations, or the placeholder. The
// rows are rebuilt only when what they show changed.
class RecentCard : public Card {
    Q_OBJECT
public:
    static constexpr std::size_t kShown = 5;

    explicit RecentCard(MoneyStore& store, QWidget* parent = nullptr);
    void draw();

private:
    MoneyStore& store_;
    QVBoxLayout* list_;
    QStringList shown_{QStringLiteral("<not drawn>")};
};
