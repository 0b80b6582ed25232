#pragma once

#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

#include "components/NavigationStack.h"
#include "features/FeatureCatalog.h"
#include "views/features/FeatureModuleDetail.h"

class Alert;
class Button;
class FeatureChip;
class FeatureModuleRow;
class MoneyStore;
class ProgressBar;
class QButtonGroup;
class QScrollArea;
class SearchField;
class TextLabel;

// "Центр 1.5": the catalogue's modules for one audience, grouped, with a
// search field and group chips, a hero with how many of them already open a
// working screen, and a random suggestion. A module works only on a child's
// center that has a store. Every row is built once; the query and the chip
// only show and hide them.
class FeatureCenterView : public NavigationPage {
    Q_OBJECT
public:
    // Picks an index below `count` (count > 0).
    using RandomIndex = std::function<int(int count)>;

    FeatureCenterView(MoneyStore* store, FeatureAudience audience, QWidget* parent = nullptr);

    // The modules of the audience and of everyone, in catalogue order.
    std::vector<FeatureModule> availableModules() const;
    std::optional<FeatureDestination> destination(const FeatureModule& module) const;
    int workingModuleCount() const;
    // The available modules passing the chip and the query.
    std::vector<FeatureModule> visibleModules() const;

    QString query() const { return query_; }
    std::optional<FeatureGroup> selectedGroup() const { return selectedGroup_; }
    void selectGroup(std::optional<FeatureGroup> group);
    // "Случайная идея": shows the alert for a random available module.
    void suggest();
    std::optional<FeatureModule> surpriseModule() const { return surprise_; }
    void setRandomSource(RandomIndex random) { random_ = std::move(random); }
    void openModule(const FeatureModule& module);

    SearchField* searchField() const { return search_; }
    FeatureChip* chip(std::optional<FeatureGroup> group) const;
    FeatureModuleRow* row(const QString& id) const;
    QWidget* section(FeatureGroup group) const { return sections_[static_cast<int>(group)]; }
    ProgressBar* progressBar() const { return bar_; }
    TextLabel* caption() const { return caption_; }
    Button* suggestionButton() const { return suggestion_; }

private:
    QWidget* buildHero();
    QWidget* buildGroupPicker();
    QWidget* buildSection(FeatureGroup group);
    void applyFilter();

    MoneyStore* store_;
    FeatureAudience audience_;
    QString query_;
    std::optional<FeatureGroup> selectedGroup_;
    std::optional<FeatureModule> surprise_;
    RandomIndex random_;

    SearchField* search_ = nullptr;
    ProgressBar* bar_ = nullptr;
    TextLabel* caption_ = nullptr;
    Button* suggestion_ = nullptr;
    QButtonGroup* chips_ = nullptr;
    QScrollArea* chipStrip_ = nullptr;
    std::vector<FeatureChip*> chipList_;  // "Все" first, then the groups in order
    std::vector<FeatureModuleRow*> rows_;
    QWidget* sections_[kFeatureGroups.size()] = {};
    QPointer<Alert> alert_;
};
