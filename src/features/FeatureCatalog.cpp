#include "features/FeatureCatalog.h"

#include <QHashFunctions>

namespace {

using G = FeatureGroup;
using A = FeatureAudience;

struct GroupInfo {
    FeatureGroup group;
    const char* title;
    const char* symbol;
};

constexpr GroupInfo kGroups[] = {
    {G::smart, "Занбек", "sparkles"},
    {G::goals, "Цели и мечты", "target"},
    {G::habits, "Привычки и задания", "checklist"},
    {G::family, "Семья", "person.3.fill"},
    {G::insights, "Аналитика", "chart.xyaxis.line"},
    {G::safety, "Безопасность", "lock.shield.fill"},
    {G::comfort, "Удобство", "slider.horizontal.3"},
    {G::fun, "Игра и награды", "trophy.fill"},
};

constexpr std::array<FeatureModule, 64> kModules = {{
    {"roundups", "Автокопейка", "Округляет расходы и направляет разницу в цель",
     "arrow.triangle.2.circlepath", G::smart, A::child},
    {"safe-spend", "Можно потратить сегодня", "Показывает сумму, которую можно тратить без риска",
     "checkmark.shield.fill", G::smart, A::child},
    {"smart-category", "Умная категория", "Подсказывает категорию по прошлым покупкам", "tag.fill", G::smart,
     A::child},
    {"duplicate-watch", "Поиск дублей", "Замечает одинаковые операции за один день", "doc.on.doc", G::smart,
     A::child},
    {"price-memory", "Память цен", "Запоминает, сколько стоили привычные покупки", "cart.fill", G::smart,
     A::child},
    {"subscription-watch", "Поиск подписок", "Находит повторяющиеся расходы", "repeat.circle.fill", G::smart,
     A::child},
    {"cashflow-predict", "Прогноз баланса", "Предсказывает баланс на конец месяца", "chart.xyaxis.line",
     G::smart, A::child},
    {"saving-coach", "Тренер накоплений", "Советует, сколько отложить на этой неделе", "lightbulb.fill",
     G::smart, A::child},

    {"goal-deadline", "Срок цели", "Считает дни и темп накопления", "calendar.badge.clock", G::goals,
     A::child},
    {"goal-priority", "Приоритет мечты", "Ставит самую важную мечту первой", "star.fill", G::goals, A::child},
    {"goal-photo", "Обложка мечты", "Добавляет к цели картинку мечты", "photo.fill", G::goals, A::child},
    {"goal-milestones", "Этапы цели", "Делит большую цель на маленькие шаги", "flag.fill", G::goals,
     A::child},
    {"goal-pause", "Пауза цели", "Замораживает цель без потери прогресса", "pause.circle", G::goals,
     A::child},
    {"goal-share", "Карточка мечты", "Готовит красивую карточку цели для семьи", "square.and.arrow.up",
     G::goals, A::child},
    {"goal-bonus", "Бонус к цели", "Родители могут добавить подарок к цели", "gift.fill", G::goals, A::child},
    {"goal-countdown", "Обратный отсчёт", "Показывает, сколько дней осталось до мечты", "hourglass", G::goals,
     A::child},

    {"morning-task", "Задание дня", "Выбирает одно главное семейное дело", "sun.max.fill", G::habits,
     A::everyone},
    {"streak", "Серия дней", "Отмечает, сколько дней подряд ты молодец", "flame.fill", G::habits,
     A::everyone},
    {"task-photo", "Фото результата", "Прикрепляет снимок сделанного дела", "camera.fill", G::habits,
     A::everyone},
    {"task-timer", "Таймер задания", "Засекает время, пока ты занят делом", "timer", G::habits, A::child},
    {"task-difficulty", "Умная сложность", "Подбирает награду по трудности дела",
     "gauge.with.dots.needle.50percent", G::habits, A::parent},
    {"task-repeat", "Гибкий повтор", "Повторяет задание в нужные дни недели", "arrow.clockwise", G::habits,
     A::parent},
    {"task-reminder", "Напоминание о деле", "Вовремя напоминает о важном задании", "bell.fill", G::habits,
     A::everyone},
    {"task-review", "Комментарий проверки", "Родитель оставляет отзыв о задании", "quote.bubble", G::habits,
     A::parent},

    {"family-feed", "Лента семьи", "Собирает важные события в одном месте", "rectangle.stack.fill", G::family,
     A::everyone},
    {"family-reactions", "Реакции", "Позволяет хвалить друг друга смайликами", "hand.thumbsup.fill",
     G::family, A::everyone},
    {"family-week", "Итоги недели", "Подводит итоги семейной недели", "calendar.badge.checkmark", G::family,
     A::parent},
    {"family-rules", "Правила наград", "Задаёт понятные правила наград", "list.bullet.rectangle", G::family,
     A::parent},
    {"family-bonus", "Семейный бонус", "Дарит бонус всем детям сразу", "gift", G::family, A::parent},
    {"family-goal", "Общая цель", "Копит на мечту всей семьёй", "person.3.fill", G::family, A::everyone},
    {"family-roles", "Роли взрослых", "Делит заботы между родителями", "person.2.badge.gearshape.fill",
     G::family, A::parent},
    {"family-invite", "Резервный код", "Хранит запасной код входа в семью", "key.fill", G::family, A::parent},

    {"week-chart", "График недели", "Сравнивает доходы и расходы за 7 дней", "chart.bar.xaxis", G::insights,
     A::child},
    {"month-compare", "Сравнение месяцев", "Сравнивает этот месяц с прошлым", "chart.bar.fill", G::insights,
     A::child},
    {"category-trend", "Тренды категорий", "Показывает, где расходы растут", "chart.line.uptrend.xyaxis",
     G::insights, A::child},
    {"best-day", "Лучший день", "Отмечает день с самыми большими накоплениями", "crown.fill", G::insights,
     A::child},
    {"task-analytics", "Аналитика заданий", "Показывает, какие задания выполняют чаще", "chart.pie",
     G::insights, A::parent},
    {"reward-analytics", "Аналитика наград", "Считает, сколько наград выдано за месяц", "medal.fill",
     G::insights, A::parent},
    {"family-balance", "Баланс семьи", "Показывает копилки всех детей вместе", "banknote.fill", G::insights,
     A::parent},
    {"report-export", "Экспорт отчёта", "Сохраняет отчёт о деньгах в файл", "square.and.arrow.down",
     G::insights, A::parent},

    {"privacy-screen", "Защита экрана", "Прячет суммы, когда приложение свёрнуто", "eye.slash", G::safety,
     A::everyone},
    {"action-confirm", "Подтверждение действий", "Переспрашивает перед важными изменениями",
     "hand.raised.fill", G::safety, A::everyone},
    {"session-alert", "Новый вход", "Сообщает о входе с нового устройства", "bell.badge.fill", G::safety,
     A::everyone},
    {"qr-expiry", "Таймер QR", "Ограничивает время жизни кода приглашения", "qrcode", G::safety, A::everyone},
    {"parent-pin", "PIN родителя", "Закрывает настройки семьи кодом", "lock.fill", G::safety, A::parent},
    {"reward-limit", "Лимит наград", "Ограничивает сумму наград за неделю", "shield.fill", G::safety,
     A::parent},
    {"backup-reminder", "Напоминание о копии", "Напоминает сохранить резервную копию", "archivebox.fill",
     G::safety, A::child},
    {"offline-mode", "Офлайн-режим", "Работает без интернета и догоняет позже", "wifi.slash", G::safety,
     A::everyone},

    {"quick-entry", "Быстрый ввод", "Добавляет операцию в два касания", "bolt.fill", G::comfort, A::child},
    {"large-text", "Крупные суммы", "Делает суммы крупнее и заметнее", "textformat.size", G::comfort,
     A::everyone},
    {"compact-cards", "Компактные карточки", "Умещает больше данных на экране", "rectangle.compress.vertical",
     G::comfort, A::everyone},
    {"sound-effects", "Звуки наград", "Играет весёлый звук при награде", "speaker.wave.2.fill", G::comfort,
     A::child},
    {"gesture-actions", "Жесты операций", "Удаляет и правит операции свайпом", "hand.tap.fill", G::comfort,
     A::child},
    {"home-widget", "Умный виджет", "Показывает баланс на главном экране", "square.grid.2x2", G::comfort,
     A::child},
    {"parent-filters", "Фильтры семьи", "Быстро отбирает задания по детям",
     "line.3.horizontal.decrease.circle", G::comfort, A::parent},
    {"parent-drafts", "Черновики заданий", "Сохраняет задание, чтобы отправить позже", "doc.text", G::comfort,
     A::parent},

    {"xp-levels", "Новые уровни", "Добавляет расширенную шкалу опыта", "star.circle.fill", G::fun, A::child},
    {"rare-badges", "Редкие медали", "Открывает особые медали за редкие подвиги", "medal", G::fun, A::child},
    {"daily-box", "Коробка дня", "Дарит маленький сюрприз каждый день", "shippingbox.fill", G::fun, A::child},
    {"avatar-frame", "Рамки профиля", "Украшает аватар рамкой за успехи", "person.crop.circle.fill", G::fun,
     A::child},
    {"family-league", "Семейная лига", "Устраивает дружеское соревнование в семье", "trophy.fill", G::fun,
     A::everyone},
    {"secret-achievements", "Секретные достижения", "Прячет награды, которые нужно заслужить",
     "questionmark.square.dashed", G::fun, A::child},
    {"celebration", "Праздник цели", "Устраивает праздник, когда цель достигнута", "sparkles", G::fun,
     A::everyone},
    {"kindness-points", "Очки помощи", "Начисляет очки за помощь близким", "heart.fill", G::fun, A::everyone},
}};

// The screens rely on the catalogue's shape: eight modules per group, the
// groups in their order.
constexpr bool groupedInOrder() {
    for (std::size_t i = 0; i < kModules.size(); ++i)
        if (kModules[i].group != kFeatureGroups[i / 8]) return false;
    return true;
}
static_assert(groupedInOrder());

QString utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

const std::array<FeatureModule, 64> FeatureCatalog::modules = kModules;

QString rawValue(FeatureAudience audience) {
    switch (audience) {
        case FeatureAudience::child:
            return QStringLiteral("child");
        case FeatureAudience::parent:
            return QStringLiteral("parent");
        case FeatureAudience::everyone:
            break;
    }
    return QStringLiteral("everyone");
}

std::optional<FeatureAudience> featureAudience(const QString& rawValue) {
    for (const FeatureAudience audience : {A::child, A::parent, A::everyone})
        if (::rawValue(audience) == rawValue) return audience;
    return std::nullopt;
}

QString rawValue(FeatureGroup group) { return utf8(kGroups[static_cast<int>(group)].title); }
QString symbol(FeatureGroup group) { return utf8(kGroups[static_cast<int>(group)].symbol); }

std::optional<FeatureGroup> featureGroup(const QString& rawValue) {
    for (const GroupInfo& info : kGroups)
        if (utf8(info.title) == rawValue) return info.group;
    return std::nullopt;
}

std::size_t qHash(const FeatureModule& module, std::size_t seed) {
    const auto view = [](std::string_view text) {
        return QByteArrayView(text.data(), qsizetype(text.size()));
    };
    return qHashMulti(seed, view(module.id), view(module.title), view(module.detail), view(module.symbol),
                      rawValue(module.group), rawValue(module.audience));
}
