#include "KitFixture.h"

#include "support/Gallery.h"
#include "components/AdaptiveGridLayout.h"
#include "components/Button.h"
#include "components/Card.h"
#include "components/ContentUnavailableView.h"
#include "components/ProgressBar.h"
#include "components/SegmentedControl.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <cmath>

TEST_F(KitTest, SegmentedControlSelectsByTagOnClick) {
    SegmentedControl control;
    control.addSegment(QStringLiteral("Как в iPhone"), QStringLiteral("system"));
    control.addSegment(QStringLiteral("Светлая"), QStringLiteral("light"));
    control.addSegment(QStringLiteral("Тёмная"), QStringLiteral("dark"));
    control.setCurrentTag(QStringLiteral("system"));
    control.resize(358, 32);
    control.show();
    settle();
    QSignalSpy spy(&control, &SegmentedControl::currentTagChanged);

    QTest::mouseClick(control.segment(QStringLiteral("dark")), Qt::LeftButton);
    EXPECT_EQ(control.currentTag(), QStringLiteral("dark"));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("dark"));
    EXPECT_TRUE(control.segment(QStringLiteral("dark"))->isChecked());
    EXPECT_FALSE(control.segment(QStringLiteral("system"))->isChecked());

    // Clicking the selected segment keeps it selected and reports nothing.
    QTest::mouseClick(control.segment(QStringLiteral("dark")), Qt::LeftButton);
    EXPECT_TRUE(control.segment(QStringLiteral("dark"))->isChecked());
    EXPECT_EQ(spy.count(), 1);

    EXPECT_EQ(control.findChild<QAbstractButton*>(QStringLiteral("segment_light")), control.segment("light"));
    EXPECT_EQ(control.tags(), (QStringList{"system", "light", "dark"}));

    // A stored value that matches no segment selects none.
    control.setCurrentTag(QStringLiteral("sepia"));
    for (const QString& tag : control.tags()) EXPECT_FALSE(control.segment(tag)->isChecked());
}

TEST_F(KitTest, ToggleFlipsOnClickAndRowReportsOnlyUserChanges) {
    ToggleRow row(QStringLiteral("Скрывать суммы"));
    row.resize(358, 40);
    row.show();
    settle();
    QSignalSpy spy(&row, &ToggleRow::toggled);

    row.setChecked(true);
    EXPECT_TRUE(row.isChecked());
    EXPECT_EQ(spy.count(), 0);

    QTest::mouseClick(row.toggle(), Qt::LeftButton);
    EXPECT_FALSE(row.isChecked());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_FALSE(spy.at(0).at(0).toBool());

    // The title flips it too.
    QTest::mouseClick(row.titleLabel(), Qt::LeftButton);
    EXPECT_TRUE(row.isChecked());
    EXPECT_EQ(spy.count(), 2);

    row.toggle()->setEnabled(false);
    QTest::mouseClick(row.titleLabel(), Qt::LeftButton);
    EXPECT_TRUE(row.isChecked());
    EXPECT_EQ(row.toggle()->accessibleName(), QStringLiteral("Скрывать суммы"));
}

TEST_F(KitTest, ProgressBarClampsItsValue) {
    ProgressBar bar;
    bar.setValue(0.4);
    EXPECT_DOUBLE_EQ(bar.value(), 0.4);
    bar.setValue(1.7);
    EXPECT_DOUBLE_EQ(bar.value(), 1.0);
    bar.setValue(-3);
    EXPECT_DOUBLE_EQ(bar.value(), 0.0);
    bar.setValue(std::nan(""));
    EXPECT_DOUBLE_EQ(bar.value(), 0.0);
    EXPECT_EQ(bar.tint(), Theme::current().accent());
    bar.setTint(ColorRole::Green);
    EXPECT_EQ(bar.tint(), Theme::current().color(ColorRole::Green));
}

TEST_F(KitTest, AdaptiveGridFitsAsManyColumnsAsTheMinimumWidthAllows) {
    AdaptiveGridLayout grid(145, 12);
    EXPECT_EQ(grid.columnCount(100), 1);
    EXPECT_EQ(grid.columnCount(145), 1);
    EXPECT_EQ(grid.columnCount(301), 1);
    EXPECT_EQ(grid.columnCount(302), 2);  // 145 + 12 + 145
    EXPECT_EQ(grid.columnCount(358), 2);
    EXPECT_EQ(grid.columnCount(459), 3);
    grid.setFixedColumns(2);
    EXPECT_EQ(grid.columnCount(1000), 2);
}

TEST_F(KitTest, AdaptiveGridPlacesTilesInEqualColumnsAndRows) {
    AdaptiveGrid grid(145, 12);
    QList<QWidget*> tiles;
    for (int i = 0; i < 5; ++i) {
        auto* tile = new Card;
        tile->addWidget(new TextLabel(QStringLiteral("Плитка %1").arg(i)));
        tiles << tile;
        grid.addWidget(tile);
    }
    const int height = grid.heightForWidth(358);
    grid.resize(358, height);
    grid.show();
    settle();
    const int cell = (358 - 12) / 2;
    EXPECT_EQ(tiles[0]->geometry().left(), 0);
    EXPECT_EQ(tiles[0]->width(), cell);
    EXPECT_EQ(tiles[1]->geometry().left(), cell + 12);
    EXPECT_EQ(tiles[2]->geometry().top(), tiles[0]->geometry().bottom() + 1 + 12);
    EXPECT_EQ(tiles[4]->geometry().left(), 0);  // three rows, the last one half full
    EXPECT_EQ(tiles[4]->geometry().bottom() + 1, height);
}

TEST_F(KitTest, PlaceholderShowsSymbolTitleAndOptionalDescription) {
    ContentUnavailableView withText(QStringLiteral("Пока нет заданий"), QStringLiteral("checklist"),
                                    QStringLiteral("Задания появятся здесь"));
    EXPECT_EQ(withText.titleLabel()->text(), QStringLiteral("Пока нет заданий"));
    EXPECT_EQ(withText.symbolView()->symbol(), QStringLiteral("checklist"));
    EXPECT_FALSE(withText.descriptionLabel()->isHidden());
    ContentUnavailableView bare(QStringLiteral("Пока нет заданий"), QStringLiteral("checklist"));
    EXPECT_TRUE(bare.descriptionLabel()->isHidden());
}

TEST_F(KitTest, ButtonsTakeTheAccentOrRedWhenDestructive) {
    Button save(QStringLiteral("Сохранить"), Button::Style::BorderedProminent, QStringLiteral("checkmark.circle.fill"));
    EXPECT_EQ(save.tint(), Theme::current().accent());
    save.setRole(Button::Role::Destructive);
    EXPECT_EQ(save.tint(), Theme::current().color(ColorRole::Red));
    QSignalSpy clicked(&save, &QAbstractButton::clicked);
    save.resize(save.sizeHint());
    save.show();
    QTest::mouseClick(&save, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    save.setEnabled(false);
    QTest::mouseClick(&save, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(KitTest, ControlsGallery) {
    for (const char* scheme : {"light", "dark"}) {
        setPreference("appTheme", scheme);
        QWidget page;
        auto* column = new QVBoxLayout(&page);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(18);

        auto* settings = new Card;
        auto* theme = new SegmentedControl;
        theme->addSegment(QStringLiteral("Как в iPhone"), QStringLiteral("system"));
        theme->addSegment(QStringLiteral("Светлая"), QStringLiteral("light"));
        theme->addSegment(QStringLiteral("Тёмная"), QStringLiteral("dark"));
        theme->setCurrentTag(QString::fromLatin1(scheme));
        settings->addWidget(theme);
        auto* on = new ToggleRow(QStringLiteral("Тактильный отклик"));
        on->setChecked(true);
        settings->addWidget(on);
        settings->addWidget(new ToggleRow(QStringLiteral("Скрывать суммы")));
        auto* progress = new ProgressBar;
        progress->setValue(0.62);
        settings->addWidget(progress);
        auto* buttons = new QVBoxLayout;
        buttons->addWidget(new Button(QStringLiteral("Создать код"), Button::Style::BorderedProminent,
                                      QStringLiteral("key.fill")));
        auto* remove = new Button(QStringLiteral("Убрать код"), Button::Style::Bordered, QStringLiteral("lock.open.fill"));
        remove->setRole(Button::Role::Destructive);
        buttons->addWidget(remove);
        buttons->addWidget(new Button(QStringLiteral("Добавить"), Button::Style::Plain, QStringLiteral("plus.circle.fill")));
        settings->stack()->addLayout(buttons);
        column->addWidget(settings);

        auto* grid = new AdaptiveGrid(145, 12);
        const std::pair<const char*, ColorRole> tiles[] = {{"percent", ColorRole::Green},
                                                           {"calendar", ColorRole::Blue},
                                                           {"scope", ColorRole::Purple},
                                                           {"shield.checkered", ColorRole::Teal}};
        for (const auto& [symbol, role] : tiles) {
            auto* tile = new Card;
            tile->setRadius(Spacing::tileRadius);
            tile->setPadding(Spacing::tilePadding);
            tile->setSpacing(8);
            auto* sym = new SymbolView(QString::fromLatin1(symbol), 22);
            sym->setTint(role);
            tile->addWidget(sym);
            tile->addWidget(new TextLabel(QStringLiteral("42 %"), TextStyle::Headline));
            tile->addWidget(new TextLabel(QString::fromLatin1(symbol), TextStyle::Caption, ColorRole::SecondaryLabel));
            grid->addWidget(tile);
        }
        column->addWidget(grid);
        auto* empty = new Card;
        empty->addWidget(new ContentUnavailableView(QStringLiteral("Добавь первую цель"), QStringLiteral("target"),
                                                    QStringLiteral("Например, новый велосипед")));
        column->addWidget(empty);
        EXPECT_FALSE(Gallery::saveComponent(page, QStringLiteral("components-controls-") + scheme).isEmpty());
    }
}
