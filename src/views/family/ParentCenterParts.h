#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <optional>

#include "components/TextLabel.h"

// The board's status filter.
enum class ParentTaskFilter { all, review, active, done };

namespace parentcenter {

QList<ParentTaskFilter> allFilters();
QString rawValue(ParentTaskFilter filter);
std::optional<ParentTaskFilter> filterFromRawValue(const QString& raw);
QString filterTitle(ParentTaskFilter filter);
QString filterSymbol(ParentTaskFilter filter);

// The accent of the family screens and the colour of waiting reviews.
QColor lime();
QColor gold();

// A section's heading: the title with its symbol, headline size, black weight.
SymbolLabel* sectionTitle(const QString& title, const QString& icon);

}  // namespace parentcenter
