#include "views/family/ParentCenterParts.h"

#include "views/shell/PasscodeStyle.h"

namespace parentcenter {

QList<ParentTaskFilter> allFilters() {
    return {ParentTaskFilter::all, ParentTaskFilter::review, ParentTaskFilter::active,
            ParentTaskFilter::done};
}

QString rawValue(ParentTaskFilter filter) {
    switch (filter) {
        case ParentTaskFilter::all:
            return QStringLiteral("all");
        case ParentTaskFilter::review:
            return QStringLiteral("review");
        case ParentTaskFilter::active:
            return QStringLiteral("active");
        case ParentTaskFilter::done:
            return QStringLiteral("done");
    }
    return {};
}

std::optional<ParentTaskFilter> filterFromRawValue(const QString& raw) {
    for (ParentTaskFilter filter : allFilters())
        if (rawValue(filter) == raw) return filter;
    return std::nullopt;
}

QString filterTitle(ParentTaskFilter filter) {
    switch (filter) {
        case ParentTaskFilter::all:
            return QStringLiteral("Все");
        case ParentTaskFilter::review:
            return QStringLiteral("Проверить");
        case ParentTaskFilter::active:
            return QStringLiteral("В работе");
        case ParentTaskFilter::done:
            return QStringLiteral("Готово");
    }
    return {};
}

QString filterSymbol(ParentTaskFilter filter) {
    switch (filter) {
        case ParentTaskFilter::all:
            return QStringLiteral("square.grid.2x2.fill");
        case ParentTaskFilter::review:
            return QStringLiteral("bell.badge.fill");
        case ParentTaskFilter::active:
            return QStringLiteral("clock.fill");
        case ParentTaskFilter::done:
            return QStringLiteral("checkmark.seal.fill");
    }
    return {};
}

QColor lime() { return passcodeLime(); }
QColor gold() { return QColor::fromRgbF(1.0f, 0.72f, 0.18f); }

SymbolLabel* sectionTitle(const QString& title, const QString& icon) {
    auto* label = new SymbolLabel(title, icon, TextStyle::Headline, ColorRole::Label);
    label->setTextStyle(TextStyle::Headline, QFont::Black);
    return label;
}

}  // namespace parentcenter
