#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <memory>

#include "KitFixture.h"
#include "components/InputStyle.h"

namespace {

// The input look is carried by the input widgets themselves, never by an
// application-wide sheet that every other widget would pay for.
TEST_F(KitTest, OnlyInputWidgetsAndScrollBarsCarryTheInputSheetAndFollowTheTheme) {
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    auto window = std::make_unique<QWidget>();
    auto* column = new QVBoxLayout(window.get());
    auto* field = new QLineEdit;
    auto* editor = new QPlainTextEdit;
    auto* spin = new QSpinBox;
    auto* date = new QDateEdit;
    auto* combo = new QComboBox;
    auto* scroll = new QScrollArea;
    auto* label = new QLabel(QStringLiteral("Текст"));
    auto* button = new QPushButton(QStringLiteral("Кнопка"));
    // A borderless field styles itself; the theme must not take that away.
    auto* borderless = new QLineEdit;
    const QString own = QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }");
    borderless->setStyleSheet(own);
    for (QWidget* w :
         std::initializer_list<QWidget*>{field, editor, spin, date, combo, scroll, label, button, borderless})
        column->addWidget(w);
    window->show();
    settle();

    const auto fieldColour = [] {
        return Theme::current().color(ColorRole::TertiaryGroupedBackground).name(QColor::HexArgb);
    };
    const QString light = fieldColour();
    const struct {
        QWidget* widget;
        bool styled;
    } cases[] = {{field, true},
                 {editor, true},
                 {spin, true},
                 {date, true},
                 {combo, true},
                 {scroll->verticalScrollBar(), true},
                 {label, false},
                 {button, false},
                 {scroll, false},
                 {window.get(), false},
                 // drawn as part of the spin box, from the sheet it inherits
                 {spin->findChild<QLineEdit*>(), false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.widget->styleSheet().contains(light), c.styled) << c.widget->metaObject()->className();
        EXPECT_EQ(InputStyler::takesInputStyle(c.widget), c.styled) << c.widget->metaObject()->className();
    }

    setPreference("appTheme", "dark");
    settle();
    const QString dark = fieldColour();
    ASSERT_NE(dark, light);
    for (const auto& c : cases) EXPECT_EQ(c.widget->styleSheet().contains(dark), c.styled);
    EXPECT_TRUE(borderless->styleSheet().endsWith(own));
    // Its text takes the dark theme's colour all the same.
    EXPECT_EQ(borderless->palette().color(QPalette::Text), Theme::current().color(ColorRole::Label));
    // A widget made after the change takes the sheet of the theme in force.
    auto* late = new QLineEdit;
    column->addWidget(late);
    settle();
    EXPECT_TRUE(late->styleSheet().contains(dark));
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    setPreference("appTheme", "light");
}

}  // namespace
