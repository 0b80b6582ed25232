#pragma once

#include "components/Theme.h"

#include <QLabel>
#include <optional>

class SymbolView;

// A label in one of the theme's text styles and colours. Always plain text, so
// user and server text is never read as markup. With word wrap on it wraps
// between words only (a word too long for the width is elided on its own
// line, see TextFit); with an elide mode it stays on one line and cuts the
// text with "…"; with a minimum scale factor it stays on one line and first
// shrinks its font, down to that share of its size, before it elides (money
// and titles that must not wrap).
//
//   auto* balance = new TextLabel(cnyText(total), TextStyle::LargeTitle);
//   balance->setMinimumScaleFactor(TextFit::kMinimumScale);
class TextLabel : public QLabel {
    Q_OBJECT
    // How the text is fitted, readable without knowing the class (fit checks).
    Q_PROPERTY(Qt::TextElideMode elideMode READ elideMode)
    Q_PROPERTY(qreal minimumScaleFactor READ minimumScaleFactor)
    Q_PROPERTY(int maximumLineCount READ maximumLineCount)
public:
    explicit TextLabel(const QString& text = {}, TextStyle style = TextStyle::Body,
                       ColorRole role = ColorRole::Label, QWidget* parent = nullptr);

    void setTextStyle(TextStyle style, int weight = -1);
    TextStyle textStyle() const { return style_; }
    int weight() const { return weight_; }

    void setColorRole(ColorRole role);
    void setColor(const QColor& color);
    QColor color() const;

    // Qt::ElideNone (default): wraps when word wrap is on. Anything else: one line, elided.
    void setElideMode(Qt::TextElideMode mode);
    Qt::TextElideMode elideMode() const { return elide_; }

    // A size outside the text styles, in pixels (0: the style's own).
    void setPixelSize(int pixelSize);
    int pixelSize() const { return pixelSize_; }
    // The theme's monospaced family in place of its proportional one.
    void setMonospaced(bool monospaced);

    // 0 (default): as many lines as the text needs. Otherwise a wrapping
    // label shows at most that many, the last one ending with "…".
    void setMaximumLineCount(int lines);
    int maximumLineCount() const { return maximumLines_; }

    // 0 (default): no shrinking. Between 0 and 1: one line, shrunk to fit, then
    // elided (on the right unless another elide mode is set).
    void setMinimumScaleFactor(qreal factor);
    qreal minimumScaleFactor() const { return minimumScale_; }
    // The font the text is drawn in at the current width.
    QFont fittedFont() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyTheme();
    void applyColor();
    bool wraps() const { return elide_ == Qt::ElideNone && wordWrap(); }
    // The wrapped size at a width. A layout pass asks a wrapping label for its
    // height several times, so the last few answers are kept for as long as
    // the text, the font and the alignment stay the same.
    QSizeF measure(qreal width) const;

    TextStyle style_;
    int weight_ = -1;
    ColorRole role_;
    std::optional<QColor> color_;
    Qt::TextElideMode elide_ = Qt::ElideNone;
    int pixelSize_ = 0;
    bool monospaced_ = false;
    qreal minimumScale_ = 0;
    int maximumLines_ = 0;
    struct Measured {
        qreal width;
        QSizeF size;
    };
    mutable QString measuredText_;
    mutable QFont measuredFont_;
    mutable Qt::Alignment measuredAlignment_;
    mutable QList<Measured> measured_;
    // The size on one line, when the text measured at kNatural took one.
    mutable std::optional<QSizeF> oneLine_;
    static constexpr qreal kNatural = 1e6;  // a width no text reaches: the text's natural size
};

// The platform's Label: a symbol before a title, both in one colour.
class SymbolLabel : public QWidget {
    Q_OBJECT
public:
    SymbolLabel(const QString& title, const QString& symbol, TextStyle style = TextStyle::Body,
                ColorRole role = ColorRole::Label, QWidget* parent = nullptr);

    void setText(const QString& title);
    QString text() const;
    void setSymbol(const QString& symbol);
    QString symbol() const;
    void setTextStyle(TextStyle style, int weight = -1);
    void setColorRole(ColorRole role);
    void setColor(const QColor& color);

    TextLabel* titleLabel() const { return title_; }
    SymbolView* symbolView() const { return symbol_; }

private:
    TextLabel* title_;
    SymbolView* symbol_;
};

// A hairline separator between rows.
class Divider : public QWidget {
    Q_OBJECT
public:
    explicit Divider(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {1, 1}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};
