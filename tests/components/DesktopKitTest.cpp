// The kit on a desktop: sideways strips under a mouse, money controls and the
// keyboard focus, symbols and buttons in both appearances, and the confirmation
// that stands in for a save's haptic.

#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "KitFixture.h"
#include "components/Button.h"
#include "components/Chip.h"
#include "components/MoneyFocus.h"
#include "components/Overlays.h"
#include "components/Symbols.h"
#include "components/Toast.h"
#include "platform/Haptics.h"
#include "support/Gallery.h"
#include "support/Ink.h"

namespace {

// Sends one wheel notch over a widget; true when something took it.
bool turnWheel(QWidget* over, QPoint angle) {
    const QPointF at(over->width() / 2.0, over->height() / 2.0);
    QWheelEvent wheel(at, over->mapToGlobal(at), {}, angle, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    wheel.setAccepted(false);
    QApplication::sendEvent(over, &wheel);
    return wheel.isAccepted();
}

int distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

using ink::contrast;

}  // namespace

TEST_F(KitTest, SidewaysStripsMoveWithTheUprightWheelAndADragThatPressesNothing) {
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* row = new ChipRow(8);
    QList<Chip*> chips;
    for (int i = 0; i < 12; ++i) {
        chips.append(new Chip(QStringLiteral("Фильтр %1").arg(i), QStringLiteral("star.fill")));
        row->addWidget(chips.back());
    }
    column->addWidget(row);
    column->addStretch(1);
    window.resize(390, 200);
    window.show();
    settle();
    QScrollBar* bar = row->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 200);
    QSignalSpy clicked(chips[1], &QAbstractButton::clicked);

    // Upright and sideways notches move the row, over a chip or between them;
    // at the start a notch back is left to the page.
    const struct {
        QPoint angle;
        bool onChip;
        int moved;  // sign of the move; 0: not taken
    } notches[] = {{{0, 120}, false, 0}, {{0, -120}, true, +1}, {{0, -120}, false, +1},
                   {{-120, 0}, true, +1}, {{0, 120}, true, -1}};
    for (const auto& n : notches) {
        const int before = bar->value();
        const bool taken = turnWheel(n.onChip ? static_cast<QWidget*>(chips[1]) : row->viewport(), n.angle);
        EXPECT_EQ(taken, n.moved != 0) << n.angle.y();
        EXPECT_EQ((bar->value() > before) - (bar->value() < before), n.moved) << n.angle.y();
    }
    bar->setValue(bar->maximum());
    EXPECT_FALSE(turnWheel(row->viewport(), {0, -120}));  // at the end the page goes on scrolling
    bar->setValue(0);

    // A drag that starts on a chip moves the row by the pointer's way and clicks nothing.
    QWidget* chip = chips[1];
    const QPointF origin = chip->mapToGlobal(QPointF(0, 0));  // the chip itself moves under the pointer
    QTest::mousePress(chip, Qt::LeftButton, {}, QPoint(20, 10));
    for (int x = 10; x >= -100; x -= 10) {
        QMouseEvent move(QEvent::MouseMove, chip->mapFromGlobal(origin + QPointF(x, 10)), origin + QPointF(x, 10),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(chip, &move);
    }
    EXPECT_FALSE(chips[1]->isDown());
    QTest::mouseRelease(chip, Qt::LeftButton, {}, QPoint(-100, 10));
    EXPECT_EQ(bar->value(), 120);
    EXPECT_EQ(clicked.count(), 0);
    // A click without a drag still presses the chip.
    QTest::mouseClick(chips[1], Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(KitTest, MoneyControlsTakeTheFocusOnlyFromTheUsersTabOrClick) {
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* before = new Button(QStringLiteral("Изменить"), Button::Style::Bordered);
    auto* settle_ = new Button(QStringLiteral("Закрыть долг"), Button::Style::Bordered);
    auto* remove = new Button(QStringLiteral("Удалить"), Button::Style::Plain);
    MoneyFocus::mark(settle_);
    remove->setRole(Button::Role::Destructive);  // red buttons are marked by the kit
    for (QWidget* w : {static_cast<QWidget*>(before), static_cast<QWidget*>(settle_), static_cast<QWidget*>(remove)})
        column->addWidget(w);
    window.resize(390, 300);
    window.show();
    window.activateWindow();
    settle();
    EXPECT_TRUE(MoneyFocus::isMarked(remove));
    EXPECT_FALSE(MoneyFocus::isMarked(before));

    const struct {
        const char* way;
        std::function<void()> focus;
        QWidget* expected;
    } cases[] = {
        {"set by the program", [&] { settle_->setFocus(Qt::OtherFocusReason); }, &window},
        {"window reactivated", [&] { settle_->setFocus(Qt::ActiveWindowFocusReason); }, &window},
        {"Tab reason without a Tab", [&] { settle_->setFocus(Qt::TabFocusReason); }, &window},
        {"the user's Tab", [&] {
             before->setFocus();
             QTest::keyClick(before, Qt::Key_Tab);
         }, settle_},
        {"a click", [&] { QTest::mouseClick(settle_, Qt::LeftButton); }, settle_},
        // The focused row goes: Qt hands the focus on to the next control by itself.
        {"the focused control hidden", [&] {
             before->setFocus();
             before->hide();
         }, &window},
    };
    for (const auto& c : cases) {
        before->show();
        window.setFocus();
        settle();
        c.focus();
        EXPECT_EQ(QApplication::focusWidget(), c.expected) << c.way;
    }
}

TEST_F(KitTest, ClosingASheetGivesTheFocusBackToItsOpenerOrToThePage) {
    enum class Opener { plain, money, gone };
    for (const Opener kind : {Opener::plain, Opener::money, Opener::gone}) {
        QWidget window;
        auto* column = new QVBoxLayout(&window);
        auto* open = new QPushButton(QStringLiteral("Новый долг"));
        auto* settle_ = new Button(QStringLiteral("Закрыть долг"), Button::Style::Bordered);
        MoneyFocus::mark(settle_);
        if (kind == Opener::money) MoneyFocus::mark(open);
        column->addWidget(open);
        column->addWidget(settle_);
        window.resize(390, 844);
        window.show();
        window.activateWindow();
        settle();
        open->setFocus(Qt::MouseFocusReason);
        Sheet* sheet = Sheet::present(open, new QLineEdit);
        settle();
        ASSERT_NE(QApplication::focusWidget(), open);
        if (kind == Opener::gone) delete open;
        sheet->dismiss();
        settle();
        QWidget* expected = kind == Opener::plain ? static_cast<QWidget*>(open) : &window;
        EXPECT_EQ(QApplication::focusWidget(), expected) << int(kind);
        EXPECT_NE(QApplication::focusWidget(), settle_) << int(kind);
    }
}

TEST_F(KitTest, SymbolsOfMenusAndFieldsTakeTheColoursOfTheAppearanceShown) {
    const QIcon menu = Symbols::menuIcon(QStringLiteral("doc.text"));
    const QIcon field = Symbols::icon(QStringLiteral("magnifyingglass"), ColorRole::SecondaryLabel);
    for (const char* scheme : {"light", "dark", "light"}) {
        setPreference(QStringLiteral("appTheme"), QString::fromLatin1(scheme));
        settle();
        const QPalette palette = QGuiApplication::palette();
        const struct {
            QPixmap drawn;
            QColor expected;
        } cases[] = {{menu.pixmap(24), palette.color(QPalette::Text)},
                     {menu.pixmap(24, QIcon::Active), palette.color(QPalette::HighlightedText)},
                     {menu.pixmap(24, QIcon::Disabled), palette.color(QPalette::Disabled, QPalette::Text)},
                     {field.pixmap(24), Theme::current().color(ColorRole::SecondaryLabel)}};
        for (const auto& c : cases) {
            QColor expected = c.expected;
            expected.setAlpha(255);
            EXPECT_LT(distance(ink::averageOf(c.drawn), expected), 40) << scheme << " " << expected.name().toStdString();
        }
        // The menu's symbol stands out from the menu it is drawn on.
        EXPECT_GT(contrast(ink::averageOf(menu.pixmap(24)), palette.color(QPalette::Window)), 4.5) << scheme;
    }
}

TEST_F(KitTest, ProminentButtonsShowTheirFillAndLabelInBothAppearances) {
    // "Создать код" is black with a white label; "Готово" teal with a white one.
    const struct {
        QColor tint;
        std::optional<ColorRole> role;
    } buttons[] = {{QColor(Qt::black), std::nullopt}, {{}, ColorRole::Teal}, {{}, ColorRole::Accent}};
    for (const char* scheme : {"light", "dark"}) {
        setPreference(QStringLiteral("appTheme"), QString::fromLatin1(scheme));
        for (const auto& b : buttons) {
            Button button(QStringLiteral("Создать код"), Button::Style::BorderedProminent);
            if (b.role)
                button.setTint(*b.role);
            else
                button.setTint(b.tint);
            button.setLabelColor(Qt::white);
            button.resize(240, 50);
            const QImage shot = button.grab().toImage();
            const QColor fill = shot.pixelColor(12, 25);  // inside the padding, beside the label
            for (ColorRole behind : {ColorRole::Background, ColorRole::SecondaryGroupedBackground})
                EXPECT_GT(contrast(fill, Theme::current().color(behind)), 1.5)
                    << scheme << " " << fill.name().toStdString();
            double best = 0;  // the label's pixels: the one most unlike the fill
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x) best = std::max(best, contrast(shot.pixelColor(x, y), fill));
            EXPECT_GT(best, 2.2) << scheme << " " << fill.name().toStdString();
        }
    }
}

TEST_F(KitTest, TheDesktopHapticsShowASavesOutcomeInTheWindowAndNothingElse) {
    QWidget window;
    window.resize(390, 844);
    window.show();
    settle();
    WindowHaptics haptics([&window](Haptics::Feedback feedback, const QString& message) {
        Toast::showOutcome(&window, feedback != Haptics::Feedback::error, message);
    });
    const auto shown = [&]() -> Toast* {
        settle();
        const QList<Toast*> toasts = window.findChildren<Toast*>();
        return toasts.isEmpty() ? nullptr : toasts.back();
    };
    haptics.play(Haptics::Feedback::success);  // a task done or a key pressed: nothing to show
    haptics.play(Haptics::Feedback::error);
    EXPECT_EQ(shown(), nullptr);

    const struct {
        Haptics::Feedback feedback;
        const char* message;
    } saves[] = {{Haptics::Feedback::success, "Сохранено"}, {Haptics::Feedback::error, "Ошибка сохранения"}};
    for (const auto& s : saves) {
        haptics.playSaveOutcome(s.feedback, QString::fromUtf8(s.message));
        Toast* toast = shown();
        ASSERT_NE(toast, nullptr) << s.message;
        EXPECT_EQ(toast->text(), QString::fromUtf8(s.message));
        EXPECT_TRUE(window.rect().contains(toast->geometry()));
        EXPECT_EQ(window.findChildren<Toast*>().size(), 1);  // the newer one replaces the older
    }
    for (const char* scheme : {"light", "dark"}) {
        setPreference(QStringLiteral("appTheme"), QString::fromLatin1(scheme));
        haptics.playSaveOutcome(Haptics::Feedback::success, QStringLiteral("Сохранено"));
        ASSERT_NE(shown(), nullptr);
        EXPECT_FALSE(Gallery::save(window, QStringLiteral("components-saved-toast-%1").arg(scheme)).isEmpty());
    }
}

TEST_F(KitTest, EmojiInTitlesComeFromTheColourEmojiFontInBothAppearances) {
    for (const char* scheme : {"light", "dark"}) {
        setPreference(QStringLiteral("appTheme"), QString::fromLatin1(scheme));
        Chip chip(QStringLiteral("Убрать комнату 🧹"), QStringLiteral("checklist"));
        EXPECT_FALSE(Gallery::saveComponent(chip, QStringLiteral("components-emoji-chip-%1").arg(scheme)).isEmpty());
        // A box would be drawn in the text colour; the broom is drawn in its own colours.
        QImage shot(120, 60, QImage::Format_ARGB32);
        shot.fill(Theme::current().color(ColorRole::Background));
        QPainter painter(&shot);
        painter.setFont(Theme::font(TextStyle::Title));
        painter.setPen(Theme::current().color(ColorRole::Label));
        painter.drawText(shot.rect(), Qt::AlignCenter, QStringLiteral("🧹"));
        painter.end();
        int coloured = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) coloured += shot.pixelColor(x, y).hsvSaturationF() > 0.3f;
        EXPECT_GT(coloured, 40) << scheme;
    }
}
