#pragma once

#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

#include "components/NavigationStack.h"
#include "features/FeatureCatalog.h"
#include "views/features/FeatureModuleDetail.h"
#include "views/features/FeatureModuleList.h"

class Alert;
class Button;
class FeatureChip;
class LazyColumn;
class PaintedList;
class MoneyStore;
class ProgressBar;
class QButtonGroup;
class QScrollArea;
class SearchField;
class TextLabel;

// "Центр 1.5": the catalogue's modules for one audience, grouped, with a
// search field and group chips, a hero with how many of them already open a
// working screen, and a random suggestion. A module works only on a child's
// center that has a store. The hero, the chips and the modules are cards of a
// lazy column; the modules are rows of one painted list (a group's header
// row above its modules), and the query and the chip only choose its rows.
class FeatureCenterView : public NavigationPage {
    Q_OBJECT
public:
    // Picks an index below `count` (count > 0).
    using RandomIndex = std::function<int(int count)>;

    FeatureCenterView(MoneyStore* store, FeatureAudience audience, QWidget* parent = nullptr);
    ~FeatureCenterView() override;

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

    // The parts below are built on first use when they were not yet scrolled near.
    SearchField* searchField() const { return search_; }
    FeatureChip* chip(std::optional<FeatureGroup> group) const;
    ProgressBar* progressBar() const;
    TextLabel* caption() const;
    Button* suggestionButton() const;
    // The modules' painted list and what its rows read.
    PaintedList* moduleList() const;
    const FeatureRowDelegate& rowDelegate() const { return delegate_; }

private:
    QWidget* buildHero();
    QWidget* buildGroupPicker();
    PaintedList* buildModuleList();
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
    FeatureRowDelegate delegate_;         // read by list_, which the destructor removes first
    QPointer<PaintedList> list_;
    LazyColumn* cards_ = nullptr;
    QPointer<Alert> alert_;
};
