#pragma once

#include <QString>
#include <QtGlobal>

#include "components/Theme.h"
#include "models/MoneyModels.h"

// How badges are named and coloured wherever they are shown (the badges
// screen, the analytics screen's achievements card).

// The rank title for a number of badge points; the first row that the points
// reach wins.
inline QString badgeRankTitle(qint64 points) {
    if (points >= 1200) return QStringLiteral("Легенда копилки");
    if (points >= 700) return QStringLiteral("Мастер наград");
    if (points >= 300) return QStringLiteral("Коллекционер");
    if (points >= 100) return QStringLiteral("Искатель медалей");
    return QStringLiteral("Новичок");
}

// A tier's title and colour.
struct BadgeTierStyle {
    QString title;
    ColorRole color;
};

inline BadgeTierStyle badgeTierStyle(BadgeTier tier) {
    switch (tier) {
        case BadgeTier::bronze:
            return {QStringLiteral("Бронза"), ColorRole::Brown};
        case BadgeTier::silver:
            return {QStringLiteral("Серебро"), ColorRole::Gray};
        case BadgeTier::gold:
            return {QStringLiteral("Золото"), ColorRole::Yellow};
        case BadgeTier::diamond:
            return {QStringLiteral("Алмаз"), ColorRole::Cyan};
    }
    return {QStringLiteral("Бронза"), ColorRole::Brown};
}
