#include "KitFixture.h"

#include "components/Card.h"
#include "components/TextLabel.h"

#include <QSignalSpy>

TEST_F(KitTest, ThemeFollowsTheAppThemePreference) {
    Theme& theme = Theme::current();
    EXPECT_EQ(theme.scheme(), ColorScheme::Light);  // absent: the system's, light here

    QSignalSpy changed(&theme, &Theme::changed);
    setPreference("appTheme", "dark");
    EXPECT_EQ(theme.scheme(), ColorScheme::Dark);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(theme.color(ColorRole::GroupedBackground), QColor(0, 0, 0));
    EXPECT_EQ(theme.color(ColorRole::SecondaryGroupedBackground), QColor(28, 28, 30));
    EXPECT_EQ(qApp->palette().color(QPalette::Window), QColor(0, 0, 0));

    setPreference("appTheme", "light");
    EXPECT_EQ(theme.scheme(), ColorScheme::Light);
    EXPECT_EQ(theme.color(ColorRole::SecondaryGroupedBackground), QColor(255, 255, 255));
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
    const QColor lime = theme.accent();
    EXPECT_NEAR(lime.redF(), 0.55, 1e-4);
    EXPECT_NEAR(lime.greenF(), 0.75, 1e-4);
    EXPECT_NEAR(lime.blueF(), 0.05, 1e-4);

    setPreference("accentTheme", "purple");
    EXPECT_EQ(theme.accent(), theme.color(ColorRole::Purple));
    setPreference("accentTheme", "orange");
    EXPECT_EQ(theme.accent(), theme.color(ColorRole::Orange));
    setPreference("accentTheme", "pink");
    EXPECT_EQ(theme.accent(), theme.color(ColorRole::Pink));
    setPreference("accentTheme", "Lime");
    EXPECT_EQ(theme.accent(), theme.color(ColorRole::Teal));

    // The dark scheme has its own variant of the platform colours.
    setPreference("accentTheme", "orange");
    setPreference("appTheme", "dark");
    EXPECT_EQ(theme.accent(), QColor(255, 159, 10));
}

TEST_F(KitTest, TextStylesHaveThePlatformSizesAndWeights) {
    const std::pair<TextStyle, int> sizes[] = {
        {TextStyle::LargeTitle, 34}, {TextStyle::Title, 28},    {TextStyle::Title2, 22},
        {TextStyle::Title3, 20},     {TextStyle::Headline, 17}, {TextStyle::Body, 17},
        {TextStyle::Callout, 16},    {TextStyle::Subheadline, 15}, {TextStyle::Footnote, 13},
        {TextStyle::Caption, 12},    {TextStyle::Caption2, 11},
    };
    for (const auto& [style, size] : sizes) EXPECT_EQ(Theme::font(style).pixelSize(), size);
    EXPECT_EQ(Theme::font(TextStyle::Headline).weight(), QFont::DemiBold);
    EXPECT_EQ(Theme::font(TextStyle::Body).weight(), QFont::Normal);
    EXPECT_EQ(Theme::font(TextStyle::Body, QFont::Bold).weight(), QFont::Bold);
}

TEST_F(KitTest, FontHasCyrillicAndEqualWidthDigits) {
    const QFontMetrics fm(Theme::font(TextStyle::Body));
    EXPECT_TRUE(fm.inFont(QChar(0x0416)));  // Ж
    EXPECT_TRUE(fm.inFont(QChar(0x2212)));  // the minus sign before expenses
    const int one = fm.horizontalAdvance(QStringLiteral("1111"));
    EXPECT_EQ(fm.horizontalAdvance(QStringLiteral("8888")), one);
    EXPECT_EQ(fm.horizontalAdvance(QStringLiteral("0000")), one);
}

TEST_F(KitTest, ThemedWidgetsTakeTheNewColoursOnAChange) {
    TextLabel secondary(QStringLiteral("Подпись"), TextStyle::Caption, ColorRole::SecondaryLabel);
    Card card;
    const QColor lightText = secondary.palette().color(QPalette::WindowText);
    EXPECT_EQ(lightText, Theme::current().color(ColorRole::SecondaryLabel));
    EXPECT_EQ(card.background(), QColor(255, 255, 255));

    setPreference("appTheme", "dark");
    EXPECT_NE(secondary.palette().color(QPalette::WindowText), lightText);
    EXPECT_EQ(secondary.palette().color(QPalette::WindowText), Theme::current().color(ColorRole::SecondaryLabel));
    EXPECT_EQ(card.background(), QColor(28, 28, 30));
}

TEST_F(KitTest, LabelsShowTextAsPlainText) {
    TextLabel label(QStringLiteral("<b>Имя</b>"));
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
}
