#pragma once

#include "components/TileButton.h"

class Card;

// The link to the feature center: "Версия 1.5" on an orange tile.
class FeatureSpotlight : public TileButton {
    Q_OBJECT
public:
    explicit FeatureSpotlight(QWidget* parent = nullptr);
    void draw();

private:
    Card* icon_;
};
