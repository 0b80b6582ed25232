#include "components/Theme.h"

#include "components/InputStyle.h"
#include "components/Popups.h"
#include "services/Preferences.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

namespace {

const QString kAppTheme = QStringLiteral("appTheme");
const QString kAccentTheme = QStringLiteral("accentTheme");

QColor rgb(int r, int g, int b, double alpha = 1.0) {
    QColor c(r, g, b);
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

QColor pick(ColorScheme scheme, const QColor& light, const QColor& dark) {
    return scheme == ColorScheme::Dark ? dark : light;
}

}  // namespace

bool isLightColor(const QColor& color) {
    const QColor c = color.toRgb();
    return 0.299 * c.redF() + 0.587 * c.greenF() + 0.114 * c.blueF() > 0.8;
}

Theme::Theme(Preferences& preferences, QObject* parent) : QObject(parent), preferences_(preferences) {
    if (qGuiApp) {
        const QColor window = QGuiApplication::palette().color(QPalette::Window);
        systemScheme_ = window.lightnessF() < 0.5 ? ColorScheme::Dark : ColorScheme::Light;
    }
    refresh();
    connect(&preferences_, &Preferences::changed, this, [this](const QString& key) {
        if (key == kAppTheme || key == kAccentTheme) refresh();
    });
}

Theme& Theme::current() {
    static Theme* const theme = new Theme(Preferences::standard());
    return *theme;
}

void Theme::setSystemScheme(ColorScheme scheme) {
    systemScheme_ = scheme;
    refresh();
}

void Theme::refresh() {
    const ColorScheme scheme =
        schemeFor(preferences_.string(kAppTheme, QStringLiteral("system")), systemScheme_);
    const QString accent = preferences_.string(kAccentTheme, QStringLiteral("teal"));
    if (scheme == scheme_ && accent == accentTheme_) return;
    scheme_ = scheme;
    accentTheme_ = accent;
    applyToApplication();
    emit changed();
}

ColorScheme Theme::schemeFor(const QString& appTheme, ColorScheme system) {
    if (appTheme == u"light") return ColorScheme::Light;
    if (appTheme == u"dark") return ColorScheme::Dark;
    return system;
}

QColor Theme::colorFor(ColorRole role, ColorScheme s, const QString& accentTheme) {
    switch (role) {
    case ColorRole::Accent:
        if (accentTheme == u"lime") return QColor::fromRgbF(0.55f, 0.75f, 0.05f);
        if (accentTheme == u"purple") return colorFor(ColorRole::Purple, s);
        if (accentTheme == u"orange") return colorFor(ColorRole::Orange, s);
        if (accentTheme == u"pink") return colorFor(ColorRole::Pink, s);
        return colorFor(ColorRole::Teal, s);
    case ColorRole::OnAccent: return QColor(Qt::white);
    case ColorRole::Label: return pick(s, rgb(0, 0, 0), rgb(255, 255, 255));
    case ColorRole::SecondaryLabel: return pick(s, rgb(60, 60, 67, 0.6), rgb(235, 235, 245, 0.6));
    case ColorRole::TertiaryLabel: return pick(s, rgb(60, 60, 67, 0.3), rgb(235, 235, 245, 0.3));
    case ColorRole::Background: return pick(s, rgb(255, 255, 255), rgb(0, 0, 0));
    case ColorRole::GroupedBackground: return pick(s, rgb(242, 242, 247), rgb(0, 0, 0));
    case ColorRole::SecondaryGroupedBackground: return pick(s, rgb(255, 255, 255), rgb(28, 28, 30));
    case ColorRole::TertiaryGroupedBackground: return pick(s, rgb(242, 242, 247), rgb(44, 44, 46));
    case ColorRole::Separator: return pick(s, rgb(60, 60, 67, 0.29), rgb(84, 84, 88, 0.6));
    case ColorRole::Fill: return pick(s, rgb(120, 120, 128, 0.2), rgb(120, 120, 128, 0.36));
    case ColorRole::TertiaryFill: return pick(s, rgb(118, 118, 128, 0.12), rgb(118, 118, 128, 0.24));
    case ColorRole::BarBackground: return pick(s, rgb(249, 249, 249, 0.97), rgb(22, 22, 24, 0.97));
    case ColorRole::Scrim: return pick(s, rgb(0, 0, 0, 0.3), rgb(0, 0, 0, 0.55));
    case ColorRole::Green: return pick(s, rgb(52, 199, 89), rgb(48, 209, 88));
    case ColorRole::Red: return pick(s, rgb(255, 59, 48), rgb(255, 69, 58));
    case ColorRole::Orange: return pick(s, rgb(255, 149, 0), rgb(255, 159, 10));
    case ColorRole::Yellow: return pick(s, rgb(255, 204, 0), rgb(255, 214, 10));
    case ColorRole::Blue: return pick(s, rgb(0, 122, 255), rgb(10, 132, 255));
    case ColorRole::Purple: return pick(s, rgb(175, 82, 222), rgb(191, 90, 242));
    case ColorRole::Pink: return pick(s, rgb(255, 45, 85), rgb(255, 55, 95));
    case ColorRole::Teal: return pick(s, rgb(48, 176, 199), rgb(64, 200, 224));
    case ColorRole::Indigo: return pick(s, rgb(88, 86, 214), rgb(94, 92, 230));
    case ColorRole::Mint: return pick(s, rgb(0, 199, 190), rgb(99, 230, 226));
    case ColorRole::Cyan: return pick(s, rgb(50, 173, 230), rgb(100, 210, 255));
    case ColorRole::Brown: return pick(s, rgb(162, 132, 94), rgb(172, 142, 104));
    case ColorRole::Gray: return rgb(142, 142, 147);
    case ColorRole::White: return rgb(255, 255, 255);
    case ColorRole::Black: return rgb(0, 0, 0);
    }
    return {};
}

int Theme::pointSize(TextStyle style) {
    switch (style) {
    case TextStyle::LargeTitle: return 34;
    case TextStyle::Title: return 28;
    case TextStyle::Title2: return 22;
    case TextStyle::Title3: return 20;
    case TextStyle::Headline: return 17;
    case TextStyle::Body: return 17;
    case TextStyle::Callout: return 16;
    case TextStyle::Subheadline: return 15;
    case TextStyle::Footnote: return 13;
    case TextStyle::Caption: return 12;
    case TextStyle::Caption2: return 11;
    }
    return 17;
}

namespace {

QString firstInstalledFamily(std::initializer_list<QString> candidates, const QString& fallback) {
    const QStringList families = QFontDatabase::families();
    for (const QString& candidate : candidates)
        if (families.contains(candidate)) return candidate;
    return fallback;
}

}  // namespace

QString Theme::fontFamily() {
    // DejaVu Sans covers Cyrillic and draws every digit at the same width, so
    // amounts line up without a separate monospaced-digit variant.
    static const QString family = firstInstalledFamily(
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans")}, QStringLiteral("Sans Serif"));
    return family;
}

QString Theme::monospacedFontFamily() {
    static const QString family = firstInstalledFamily(
        {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono")}, QStringLiteral("Monospace"));
    return family;
}

QFont Theme::font(TextStyle style, int weight) {
    QFont f;
    // The text font has no emoji ("🧹" in a task title): they come from the colour emoji font.
    f.setFamilies({fontFamily(), QStringLiteral("Noto Color Emoji")});
    f.setPixelSize(pointSize(style));
    if (weight < 0) {
        switch (style) {
        case TextStyle::LargeTitle: weight = QFont::Bold; break;
        case TextStyle::Headline: weight = QFont::DemiBold; break;
        default: weight = QFont::Normal; break;
        }
    }
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

void Theme::install(QApplication& app) {
    installedOn_ = &app;
    Popups::install(app);
    InputStyler::of(app);
    applyToApplication();
}

void Theme::applyToApplication() {
    if (!installedOn_) return;
    QPalette p;
    const auto set = [&p](QPalette::ColorRole role, const QColor& c) { p.setColor(role, c); };
    set(QPalette::Window, color(ColorRole::GroupedBackground));
    set(QPalette::WindowText, color(ColorRole::Label));
    set(QPalette::Base, color(ColorRole::SecondaryGroupedBackground));
    set(QPalette::AlternateBase, color(ColorRole::TertiaryGroupedBackground));
    set(QPalette::Text, color(ColorRole::Label));
    set(QPalette::PlaceholderText, color(ColorRole::TertiaryLabel));
    set(QPalette::Button, color(ColorRole::SecondaryGroupedBackground));
    set(QPalette::ButtonText, color(ColorRole::Accent));
    set(QPalette::Highlight, color(ColorRole::Accent));
    set(QPalette::HighlightedText, color(ColorRole::OnAccent));
    set(QPalette::Link, color(ColorRole::Accent));
    set(QPalette::ToolTipBase, color(ColorRole::SecondaryGroupedBackground));
    set(QPalette::ToolTipText, color(ColorRole::Label));
    p.setColor(QPalette::Disabled, QPalette::Text, color(ColorRole::TertiaryLabel));
    p.setColor(QPalette::Disabled, QPalette::WindowText, color(ColorRole::TertiaryLabel));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, color(ColorRole::TertiaryLabel));
    installedOn_->setPalette(p);
    installedOn_->setFont(font(TextStyle::Body));
    // The inputs carry their sheet themselves; no widget else pays for it.
    const QString textColours = QStringLiteral("* { color: %1; selection-background-color: %2; }")
                                    .arg(color(ColorRole::Label).name(QColor::HexArgb),
                                         color(ColorRole::Accent).name(QColor::HexArgb));
    InputStyler::of(*installedOn_).setSheet(inputStyleSheet(), textColours);
}

QString Theme::inputStyleSheet() const {
    // Only the stock input widgets are styled here; the kit's own widgets paint
    // themselves. Text fields take the rounded-border look of the screens.
    const QString field = color(ColorRole::TertiaryGroupedBackground).name(QColor::HexArgb);
    const QString border = color(ColorRole::Separator).name(QColor::HexArgb);
    const QString text = color(ColorRole::Label).name(QColor::HexArgb);
    const QString accent = color(ColorRole::Accent).name(QColor::HexArgb);
    const QString placeholder = color(ColorRole::TertiaryLabel).name(QColor::HexArgb);
    const QString chevron = isDark() ? QStringLiteral(":/zanbeck/icons/kit/chevron-down-dark.svg")
                                     : QStringLiteral(":/zanbeck/icons/kit/chevron-down-light.svg");
    return QStringLiteral(
               "QLineEdit, QPlainTextEdit, QTextEdit, QSpinBox, QDoubleSpinBox, QDateEdit, QDateTimeEdit, "
               "QComboBox {"
               " background: %1; color: %3; border: 1px solid %2; border-radius: 8px;"
               " padding: 6px 8px; selection-background-color: %4; }"
               "QLineEdit:focus, QPlainTextEdit:focus, QTextEdit:focus, QComboBox:focus { border: 1px solid %4; }"
               "QLineEdit[readOnly=\"true\"] { color: %5; }"
               // The drop-down of combo and calendar fields: a chevron inside the rounded field.
               "QComboBox, QDateTimeEdit[calendarPopup=\"true\"] { padding-right: 30px; }"
               "QComboBox::drop-down, QDateTimeEdit::drop-down { subcontrol-origin: padding;"
               " subcontrol-position: center right; width: 30px; border: none; background: transparent; }"
               "QComboBox::down-arrow, QDateTimeEdit::down-arrow { image: url(%6); width: 14px; height: 14px; }"
               "QComboBox QAbstractItemView { background: %7; color: %3; border: 1px solid %2;"
               " selection-background-color: %4; selection-color: %8; outline: 0; }"
               "QScrollBar:vertical { width: 6px; background: transparent; margin: 2px; }"
               "QScrollBar::handle:vertical { background: %2; border-radius: 3px; min-height: 24px; }"
               "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
        .arg(field, border, text, accent, placeholder, chevron,
             color(ColorRole::SecondaryGroupedBackground).name(QColor::HexArgb),
             color(ColorRole::OnAccent).name(QColor::HexArgb));
}
