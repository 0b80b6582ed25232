#pragma once

#include "components/Theme.h"

#include <QAbstractButton>
#include <optional>

class QPainter;

// A push button in the platform's styles. The tint is the accent unless set;
// the destructive role draws it red.
//
//   auto* save = new Button("Сохранить настройки", Button::Style::BorderedProminent, "checkmark.circle.fill");
//   save->setFullWidth(true);
class Button : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { Plain, Bordered, BorderedProminent };
    enum class Role { Normal, Destructive, Cancel };
    enum class Size { Regular, Large };

    explicit Button(const QString& text = {}, Style style = Style::Plain, const QString& symbol = {},
                    QWidget* parent = nullptr);

    void setStyle(Style style);
    Style style() const { return style_; }
    void setRole(Role role);
    Role role() const { return role_; }
    void setControlSize(Size size);
    void setSymbol(const QString& symbol);
    QString symbol() const { return symbol_; }
    // Only the symbol is drawn; the text stays the accessible name.
    void setIconOnly(bool iconOnly);
    void setFullWidth(bool fullWidth);
    void setTextStyle(TextStyle style, int weight = -1);

    void setTint(ColorRole role);
    void setTint(const QColor& color);
    // Colour of the label on a prominent fill (white unless set).
    void setLabelColor(const QColor& color);
    QColor tint() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // How a button looks, apart from any widget: painted lists draw the
    // buttons of their rows with it, so that they look like this widget.
    struct Face {
        QString text;
        QString symbol;
        Style style = Style::Plain;
        Size size = Size::Regular;
        TextStyle textStyle = TextStyle::Body;
        int weight = -1;  // -1: semibold when prominent, regular otherwise
        QColor tint;
        std::optional<QColor> labelColor;  // on a prominent fill
        bool enabled = true;
        bool down = false;
        bool focused = false;
        bool fullWidth = false;
    };
    static void paintFace(QPainter* painter, const QRect& rect, const Face& face);
    // The natural size of a face (its height is the button's height).
    static QSize faceSize(const Face& face);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Face face() const;
    static QFont labelFont(const Face& face);
    static int symbolSize(const Face& face);

    Style style_;
    Role role_ = Role::Normal;
    Size size_ = Size::Regular;
    QString symbol_;
    bool iconOnly_ = false;
    bool fullWidth_ = false;
    TextStyle textStyle_ = TextStyle::Body;
    int weight_ = -1;
    std::optional<ColorRole> tintRole_;
    std::optional<QColor> tintColor_;
    std::optional<QColor> labelColor_;
};
