#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>

class Preferences;
class QApplication;

// The platform's text styles, in points (one point is one pixel at scale 1).
enum class TextStyle {
    LargeTitle,   // 34
    Title,        // 28
    Title2,       // 22
    Title3,       // 20
    Headline,     // 17 semibold
    Body,         // 17
    Callout,      // 16
    Subheadline,  // 15
    Footnote,     // 13
    Caption,      // 12
    Caption2,     // 11
};

// Semantic colours. Every one has a light and a dark value; Accent follows
// "accentTheme".
enum class ColorRole {
    Accent,
    OnAccent,  // text and symbols drawn on an accent fill
    Label,     // the primary colour
    SecondaryLabel,
    TertiaryLabel,
    Background,                  // plain screens
    GroupedBackground,           // behind cards
    SecondaryGroupedBackground,  // cards
    TertiaryGroupedBackground,   // tiles inside cards
    Separator,
    Fill,           // tracks of switches and progress bars
    TertiaryFill,   // segmented control, text fields
    BarBackground,  // navigation and tab bars
    Scrim,          // dimming behind sheets and alerts
    Green,
    Red,
    Orange,
    Yellow,
    Blue,
    Purple,
    Pink,
    Teal,
    Indigo,
    Mint,
    Cyan,
    Brown,
    Gray,
    White,
    Black,
};

enum class ColorScheme { Light, Dark };

// Colours, fonts and spacing of every screen, following the "appTheme" and
// "accentTheme" preferences. One theme per process (Theme::current()), bound to
// the standard preferences; widgets of the kit repaint on changed().
class Theme : public QObject {
    Q_OBJECT
public:
    explicit Theme(Preferences& preferences, QObject* parent = nullptr);

    // The process-wide theme over Preferences::standard().
    static Theme& current();

    ColorScheme scheme() const { return scheme_; }
    bool isDark() const { return scheme_ == ColorScheme::Dark; }
    QColor color(ColorRole role) const { return colorFor(role, scheme_, accentTheme_); }
    QColor accent() const { return color(ColorRole::Accent); }
    QString accentTheme() const { return accentTheme_; }

    // The font of a text style; weight -1 takes the style's own weight.
    static QFont font(TextStyle style, int weight = -1);
    static int pointSize(TextStyle style);
    static QString fontFamily();
    // Every character the same width (codes, expressions).
    static QString monospacedFontFamily();

    // Pure mapping rules, exact and case-sensitive: "light" and "dark" pick a
    // scheme, anything else follows the system; "lime", "purple", "orange",
    // "pink" pick those accents, anything else is teal.
    static ColorScheme schemeFor(const QString& appTheme, ColorScheme system);
    static QColor colorFor(ColorRole role, ColorScheme scheme, const QString& accentTheme = QStringLiteral("teal"));

    // What the desktop itself prefers ("system"); taken from the application's
    // palette when the theme is made, settable for tests.
    ColorScheme systemScheme() const { return systemScheme_; }
    void setSystemScheme(ColorScheme scheme);

    // Reads the preferences again (they are also followed through changed(key)).
    void refresh();

    // Applies palette, font and the style sheet of the plain Qt input widgets to
    // the application, now and after every change.
    void install(QApplication& app);

signals:
    void changed();

private:
    void applyToApplication();
    QString inputStyleSheet() const;

    Preferences& preferences_;
    ColorScheme systemScheme_ = ColorScheme::Light;
    ColorScheme scheme_ = ColorScheme::Light;
    QString accentTheme_ = QStringLiteral("teal");
    QApplication* installedOn_ = nullptr;
};

// Spacing shared by the screens, in points.
namespace Spacing {
inline constexpr int cardPadding = 18;
inline constexpr int cardRadius = 22;
inline constexpr int cardStack = 12;     // between a card's caption and content
inline constexpr int pagePadding = 16;   // around a page's content
inline constexpr int pageStack = 18;     // between the cards of a page
inline constexpr int rowSpacing = 14;    // inside a transaction row
inline constexpr int tileRadius = 18;
inline constexpr int tilePadding = 16;
inline constexpr int controlRadius = 10;
}  // namespace Spacing

// Whether a colour should carry dark or light text on top of it.
bool isLightColor(const QColor& color);
