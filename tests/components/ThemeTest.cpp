#include <QSignalSpy>

#include "KitFixture.h"
#include "components/Card.h"
#include "components/TextLabel.h"

TEST_F(KitTest, ThemeFollowsTheAppThemePreferenceAndRepaintsThemedWidgets) {
    Theme& theme = Theme::current();
    TextLabel secondary(QStringLiteral("<b>Подпись</b>"), TextStyle::Caption, ColorRole::SecondaryLabel);
    EXPECT_EQ(secondary.textFormat(), Qt::PlainText);
    Card card;
    EXPECT_EQ(theme.scheme(), ColorScheme::Light);  // absent: the system's, light here
    EXPECT_EQ(card.background(), QColor(255, 255, 255));
    const QColor lightText = secondary.palette().color(QPalette::WindowText);
    EXPECT_EQ(lightText, theme.color(ColorRole::SecondaryLabel));

    QSignalSpy changed(&theme, &Theme::changed);
    setPreference("appTheme", "dark");
    EXPECT_EQ(theme.scheme(), ColorScheme::Dark);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(theme.color(ColorRole::GroupedBackground), QColor(0, 0, 0));
    EXPECT_EQ(qApp->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(card.background(), QColor(28, 28, 30));
    EXPECT_NE(secondary.palette().color(QPalette::WindowText), lightText);
    EXPECT_EQ(secondary.palette().color(QPalette::WindowText), theme.color(ColorRole::SecondaryLabel));

    setPreference("appTheme", "light");
    EXPECT_EQ(qApp->palette().color(QPalette::Window), QColor(242, 242, 247));
    EXPECT_EQ(changed.count(), 2);
    // Writing another key, or the same value again, changes nothing.
    setPreference("hideBalances", true);
    setPreference("appTheme", "light");
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(KitTest, SystemAndUnknownThemesFollowTheSystemScheme) {
    Theme& theme = Theme::current();
    theme.setSystemScheme(ColorScheme::Dark);
    for (const char* value : {"system", "", "Dark", "LIGHT", "sepia"}) {
        setPreference("appTheme", value);
        EXPECT_EQ(theme.scheme(), ColorScheme::Dark) << value;
    }
    theme.setSystemScheme(ColorScheme::Light);
    EXPECT_EQ(theme.scheme(), ColorScheme::Light);
}

TEST_F(KitTest, AccentColoursFollowTheAccentPreferenceCaseSensitively) {
    Theme& theme = Theme::current();
    EXPECT_EQ(theme.accent(), theme.color(ColorRole::Teal));  // default teal
    setPreference("accentTheme", "lime");
    EXPECT_EQ(theme.accent(), QColor::fromRgbF(0.55f, 0.75f, 0.05f));
    const std::pair<const char*, ColorRole> named[] = {{"purple", ColorRole::Purple},
                                                       {"orange", ColorRole::Orange},
                                                       {"pink", ColorRole::Pink},
                                                       {"Lime", ColorRole::Teal}};
    for (const auto& [value, role] : named) {
        setPreference("accentTheme", value);
        EXPECT_EQ(theme.accent(), theme.color(role)) << value;
    }
    // The dark scheme has its own variant of the platform colours.
    setPreference("accentTheme", "orange");
    setPreference("appTheme", "dark");
    EXPECT_EQ(theme.accent(), QColor(255, 159, 10));
}

TEST_F(KitTest, FontHasCyrillicAndEqualWidthDigits) {
    const QFontMetrics fm(Theme::font(TextStyle::Body));
    EXPECT_TRUE(fm.inFont(QChar(0x0416)));  // Ж
    EXPECT_TRUE(fm.inFont(QChar(0x2212)));  // the minus sign before expenses
    const int one = fm.horizontalAdvance(QStringLiteral("1111"));
    EXPECT_EQ(fm.horizontalAdvance(QStringLiteral("8888")), one);
    EXPECT_EQ(fm.horizontalAdvance(QStringLiteral("0000")), one);
}
