#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <functional>
#include <optional>

#include "KitFixture.h"
#include "components/TextFit.h"
#include "components/AdaptiveGridLayout.h"
#include "components/Button.h"
#include "components/Card.h"
#include "components/ContentUnavailableView.h"
#include "components/ProgressBar.h"
#include "components/SegmentedControl.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"

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
    EXPECT_FALSE(control.segment(QStringLiteral("system"))->isChecked());

    // Clicking the selected segment keeps it selected and reports nothing.
    QTest::mouseClick(control.findChild<QAbstractButton*>(QStringLiteral("segment_dark")), Qt::LeftButton);
    EXPECT_TRUE(control.segment(QStringLiteral("dark"))->isChecked());
    EXPECT_EQ(spy.count(), 1);

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
    const std::pair<double, double> cases[] = {{0.4, 0.4}, {1.7, 1.0}, {-3.0, 0.0}, {std::nan(""), 0.0}};
    for (const auto& [given, kept] : cases) {
        bar.setValue(given);
        EXPECT_DOUBLE_EQ(bar.value(), kept) << given;
    }
}

TEST_F(KitTest, AdaptiveGridFitsAsManyColumnsAsTheMinimumWidthAllows) {
    AdaptiveGridLayout grid(145, 12);
    const std::pair<int, int> cases[] = {{100, 1}, {145, 1}, {301, 1}, {302, 2} /* 145 + 12 + 145 */,
                                         {358, 2}, {459, 3}};
    for (const auto& [width, columns] : cases) EXPECT_EQ(grid.columnCount(width), columns) << width;
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

TEST_F(KitTest, PlaceholderHidesAnAbsentDescriptionAndButtonsTurnRedWhenDestructive) {
    EXPECT_FALSE(
        ContentUnavailableView(QStringLiteral("Пусто"), QStringLiteral("checklist"), QStringLiteral("Позже"))
            .descriptionLabel()
            ->isHidden());
    EXPECT_TRUE(ContentUnavailableView(QStringLiteral("Пусто"), QStringLiteral("checklist"))
                    .descriptionLabel()
                    ->isHidden());
    Button save(QStringLiteral("Сохранить"), Button::Style::BorderedProminent,
                QStringLiteral("checkmark.circle.fill"));
    EXPECT_EQ(save.tint(), Theme::current().accent());
    save.setRole(Button::Role::Destructive);
    EXPECT_EQ(save.tint(), Theme::current().color(ColorRole::Red));
}

// A wrapping label with a line limit shows at most that many lines, the last
// ending with "…" when text is left out; without one it takes every line.
TEST_F(KitTest, WrappedLabelKeepsToItsLineLimit) {
    const QString detail = QStringLiteral(
        "Отслеживает подписки, напоминает о списаниях, считает расходы за месяц и год и подсказывает, "
        "от чего можно отказаться без сожаления");
    const struct {
        int limit;
        int width;
        int lines;
        bool cut;
    } cases[] = {{2, 200, 2, true}, {0, 200, 0, false}, {2, 2000, 1, false}, {1, 200, 1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit * 10000 + c.width);
        TextLabel label(detail, TextStyle::Caption, ColorRole::SecondaryLabel);
        label.setWordWrap(true);
        label.setMaximumLineCount(c.limit);
        const TextFit::WrappedText all(detail, label.font(), c.width);
        const TextFit::WrappedText shown(detail, label.font(), c.width, Qt::AlignLeft, c.limit);
        const int lines = c.lines > 0 ? c.lines : all.lineCount();
        EXPECT_EQ(shown.lineCount(), lines);
        EXPECT_EQ(shown.truncated(), c.cut);
        EXPECT_EQ(shown.lines().last().endsWith(QChar(0x2026)), c.cut);
        const int line = QFontMetrics(label.font()).lineSpacing();
        EXPECT_NEAR(label.heightForWidth(c.width), lines * line, lines);
    }
}

// A wrapping label measured at its natural width first (as a layout asks for
// its size hint) answers every later width exactly as a label measured only
// at that width: a text that took one line is not laid out again where it
// fits with room, and one that wraps, ends in a space, breaks a line or
// needs the last pixel is laid out at the width asked.
TEST_F(KitTest, AWrappingLabelMeasuresEveryWidthAsAFreshLayoutDoes) {
    const QString lines = QStringLiteral("Еда") + QChar::LineSeparator + QStringLiteral("Транспорт");
    const QString cases[] = {QStringLiteral("Еда"),
                             QStringLiteral("Подарки на день рождения бабушки и дедушки в деревне"),
                             QStringLiteral("Кино "),
                             QStringLiteral("Игры 🎮 и Ａ"),
                             QStringLiteral("Потрачено 512,00 CN¥ из 1 239,15 CN¥"),
                             QStringLiteral("Еда\nТранспорт"),
                             lines,
                             QString()};
    for (const QString& text : cases) {
        for (const int limit : {0, 1}) {
            TextLabel measured(text, TextStyle::Body);
            measured.setWordWrap(true);
            measured.setMaximumLineCount(limit);
            const QSize hint = measured.sizeHint();
            const int natural = TextFit::WrappedText(text, measured.font(), 1e6).size().width();
            for (const int width : {natural - 1, natural, natural + 1, natural + 3, natural + 30, 40, 120, 358}) {
                if (width <= 0) continue;
                SCOPED_TRACE(text.toStdString() + " " + std::to_string(limit) + " " + std::to_string(width));
                TextLabel fresh(text, TextStyle::Body);
                fresh.setWordWrap(true);
                fresh.setMaximumLineCount(limit);
                EXPECT_EQ(measured.heightForWidth(width), fresh.heightForWidth(width));
            }
            TextLabel fresh(text, TextStyle::Body);
            fresh.setWordWrap(true);
            fresh.setMaximumLineCount(limit);
            EXPECT_EQ(measured.sizeHint(), hint);
            EXPECT_EQ(fresh.sizeHint(), hint);
        }
    }
}

// The keyboard's focus shows on every face, light and dark: a ring that
// stands out from the face's own fill (a lime "Подтвердить" drawn with a
// lime ring showed nothing) and from the card behind a face without one.
TEST_F(KitTest, EveryButtonFaceShowsTheKeyboardFocusInLightAndDark) {
    struct Case {
        const char* name;
        Button::Style style;
        const char* text;
        const char* symbol;
        std::function<QColor()> tint;
        std::optional<QColor> label;
    };
    const QList<Case> cases = {
        {"lime prominent", Button::Style::BorderedProminent, "Подтвердить", "checkmark",
         [] { return QColor::fromRgbF(0.78f, 0.96f, 0.2f); }, QColor(Qt::black)},
        {"black prominent", Button::Style::BorderedProminent, "Готово", "", [] { return QColor(Qt::black); },
         QColor(Qt::white)},
        {"accent prominent", Button::Style::BorderedProminent, "Сохранить", "",
         [] { return Theme::current().color(ColorRole::Accent); }, std::nullopt},
        {"bordered", Button::Style::Bordered, "Вернуть", "arrow.uturn.backward",
         [] { return Theme::current().color(ColorRole::Label); }, std::nullopt},
        {"plain symbol", Button::Style::Plain, "", "trash", [] { return Theme::current().color(ColorRole::Red); },
         std::nullopt},
        {"plain text", Button::Style::Plain, "Добавить", "", [] { return Theme::current().color(ColorRole::Accent); },
         std::nullopt},
    };
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        Theme::current().setSystemScheme(scheme);
        Theme::current().refresh();
        const QColor card = Theme::current().color(ColorRole::SecondaryGroupedBackground);
        for (const Case& c : cases) {
            Button::Face face;
            face.style = c.style;
            face.text = QString::fromUtf8(c.text);
            face.symbol = QString::fromUtf8(c.symbol);
            face.tint = c.tint();
            face.labelColor = c.label;
            const QRect rect(QPoint(4, 4), QSize(std::max(Button::faceSize(face).width(), 44), 34));
            auto paint = [&](bool focused) {
                QImage image(rect.size() + QSize(8, 8), QImage::Format_ARGB32);
                image.fill(card);
                QPainter p(&image);
                face.focused = focused;
                Button::paintFace(&p, rect, face);
                return image;
            };
            const QImage plain = paint(false), focused = paint(true);
            // Pixels the ring changes clearly, as an eye tells them apart.
            int changed = 0;
            for (int y = 0; y < plain.height(); ++y)
                for (int x = 0; x < plain.width(); ++x) {
                    const QColor a = plain.pixelColor(x, y), b = focused.pixelColor(x, y);
                    changed += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                         std::abs(a.blue() - b.blue())}) > 48;
                }
            // At least half of the ring's outline.
            EXPECT_GT(changed, rect.width() + rect.height())
                << c.name << (scheme == ColorScheme::Dark ? " dark" : " light");
        }
    }
}
