#pragma once

#include <optional>

#include "components/NavigationStack.h"
#include "features/FeatureCatalog.h"

class Button;
class MoneyStore;

// The working screens a feature module can open.
enum class FeatureDestination { analytics, wishlist, challenges, recurring, badges };

// A destination's screen, built fresh on the store.
NavigationPage* featureDestinationPage(FeatureDestination destination, MoneyStore& store);

// "Возможность": one module with its group, and either the link to the
// screen that already does its job or the honest "В разработке" panel.
class FeatureModuleDetail : public NavigationPage {
    Q_OBJECT
public:
    FeatureModuleDetail(const FeatureModule& module, std::optional<FeatureDestination> destination,
                        MoneyStore* store, QWidget* parent = nullptr);

    // Null when the module opens nothing.
    Button* openButton() const { return open_; }

private:
    Button* open_ = nullptr;
};
