#pragma once

#include "components/Theme.h"

#include <QFont>
#include <QLabel>
#include <QList>
#include <optional>

class SymbolView;

// A label in one of the theme's text styles and colours. Always plain text, so
// user and server text is never read as markup. With word wrap on it wraps at
// word boundaries, and inside a word too long for the width; with an elide
// mode it stays on one line and cuts the text with "…".
class TextLabel : public QLabel {
    Q_OBJECT
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
    // The theme's monospaced family in place of its proportional one.
    void setMonospaced(bool monospaced);
    // For one-line labels (an elide mode set): a text too wide first shrinks,
    // down to this fraction of the font's size, and only then is cut.
    void setMinimumScaleFactor(qreal factor);
    // The font the text is drawn in at the current width (smaller than font()
    // while shrunk).
    QFont shownFont() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyTheme();
    bool wraps() const { return elide_ == Qt::ElideNone && wordWrap(); }
    QSizeF layoutText(qreal width, class QTextLayout* layout) const;
    // layoutText's size without drawing. A layout pass asks a wrapping label
    // for its height several times, so the last few answers are kept for as
    // long as the text, the font and the alignment stay the same.
    QSizeF measure(qreal width) const;

    TextStyle style_;
    int weight_ = -1;
    ColorRole role_;
    std::optional<QColor> color_;
    Qt::TextElideMode elide_ = Qt::ElideNone;
    int pixelSize_ = 0;
    bool monospaced_ = false;
    qreal minimumScale_ = 1.0;
    struct Measured {
        qreal width;
        QSizeF size;
    };
    mutable QString measuredText_;
    mutable QFont measuredFont_;
    mutable Qt::Alignment measuredAlignment_;
    mutable QList<Measured> measured_;
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
