#include "views/shell/PasscodeCanvas.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "components/SymbolView.h"
#include "components/Symbols.h"
#include "components/TextLabel.h"
#include "components/Theme.h"
#include "views/shell/PasscodeDots.h"
#include "views/shell/PasscodeStyle.h"

using namespace passcode_style;

namespace {

constexpr int kCanvasMargin = 36;  // leading and trailing

// One key of the keypad: the digit (or the delete symbol) in a 72 × 60 box.
class KeypadButton : public QAbstractButton {
public:
    KeypadButton(const QString& digit, QWidget* parent) : QAbstractButton(parent), digit_(digit) {
        setFixedSize(72, 60);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
        if (digit.isEmpty()) {
            setObjectName(QStringLiteral("passcodeDelete"));
            setAccessibleName(QStringLiteral("Удалить цифру"));
        } else {
            setText(digit);
            setObjectName(QStringLiteral("passcodeKey_") + digit);
            setAccessibleName(QStringLiteral("Цифра ") + digit);
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal pressed = isDown() ? 0.6 : 1.0;
        if (digit_.isEmpty()) {
            const int size = Theme::pointSize(TextStyle::Title2);
            const QPixmap icon = Symbols::pixmap(QStringLiteral("delete.left.fill"), size, whiteAt(pressed),
                                                 devicePixelRatioF());
            const QSizeF logical = QSizeF(icon.size()) / icon.devicePixelRatio();
            p.drawPixmap(QPointF((width() - logical.width()) / 2, (height() - logical.height()) / 2), icon);
            return;
        }
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 22, 22);
        p.fillPath(path, whiteAt(isDown() ? 0.2 : 0.09));
        p.setPen(Qt::white);
        p.setFont(Theme::font(TextStyle::Title, QFont::Bold));
        p.drawText(rect(), Qt::AlignCenter, digit_);
    }

private:
    QString digit_;
};

// The lime badge with the lock.
QWidget* lockBadge(QWidget* parent) {
    auto* badge = new SymbolView(QStringLiteral("lock.fill"), 27, parent);
    badge->setTint(QColor(Qt::black));
    badge->setFixedSize(58, 58);
    badge->setObjectName(QStringLiteral("passcodeBadge"));
    // The kit draws a disc; the badge is a rounded square, painted by the canvas.
    return badge;
}

}  // namespace

PasscodeCanvas::PasscodeCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("passcodeCanvas"));
    setFocusPolicy(Qt::StrongFocus);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kCanvasMargin, 0, kCanvasMargin, 0);
    column->setSpacing(26);
    column->addStretch(1);

    column->addWidget(lockBadge(this), 0, Qt::AlignHCenter);

    auto* texts = texts_ = new QVBoxLayout;
    texts->setSpacing(8);
    title_ = new TextLabel({}, TextStyle::LargeTitle, ColorRole::White, this);
    title_->setTextStyle(TextStyle::LargeTitle, QFont::Black);
    title_->setColor(Qt::white);
    title_->setAlignment(Qt::AlignHCenter);
    title_->setWordWrap(true);  // a narrow window wraps the title instead of widening
    title_->setObjectName(QStringLiteral("passcodeTitle"));
    subtitle_ = new TextLabel({}, TextStyle::Subheadline, ColorRole::White, this);
    subtitle_->setWordWrap(true);
    subtitle_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    subtitle_->setMinimumHeight(40);
    subtitle_->setObjectName(QStringLiteral("passcodeSubtitle"));
    texts->addWidget(title_);
    texts->addWidget(subtitle_);
    column->addLayout(texts);

    dots_ = new PasscodeDots(this);
    column->addWidget(dots_, 0, Qt::AlignHCenter);

    auto* keypad = new QVBoxLayout;
    keypad->setSpacing(14);
    const QList<QStringList> rows = {{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}};
    auto addKey = [this](QHBoxLayout* row, const QString& digit) {
        auto* key = new KeypadButton(digit, this);
        row->addWidget(key);
        connect(key, &QAbstractButton::clicked, this, [this, digit] { emit keyPressed(PasscodeKey{digit}); });
        return key;
    };
    for (const QStringList& digits : rows) {
        auto* row = new QHBoxLayout;
        row->setSpacing(18);
        for (const QString& digit : digits) keys_.append(addKey(row, digit));
        keypad->addLayout(row);
    }
    auto* last = new QHBoxLayout;
    last->setSpacing(18);
    auto* gap = new QWidget(this);
    gap->setFixedSize(72, 60);
    last->addWidget(gap);
    keys_.append(addKey(last, QStringLiteral("0")));
    delete_ = addKey(last, QString());
    keypad->addLayout(last);
    column->addLayout(keypad);
    column->addStretch(1);
    column->addSpacing(14);

    setSubtitle({}, false);
}

void PasscodeCanvas::setTitle(const QString& title) {
    title_->setText(title);
    fitTitle();
}

void PasscodeCanvas::fitTitle() {
    // The large title when it fits one line; our font runs wider than the
    // phone's, so a title that would break ("С возвращением" on a phone-wide
    // window) takes the next style down; only a narrower window wraps it.
    const int available = width() - 2 * kCanvasMargin;
    const QFont large = Theme::font(TextStyle::LargeTitle, QFont::Black);
    const bool fits = QFontMetrics(large).horizontalAdvance(title_->text()) <= available;
    title_->setTextStyle(fits ? TextStyle::LargeTitle : TextStyle::Title, QFont::Black);
}

void PasscodeCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitTitle();
}

void PasscodeCanvas::setSubtitle(const QString& subtitle, bool isError) {
    isError_ = isError;
    subtitle_->setText(subtitle);
    subtitle_->setColor(isError ? Theme::colorFor(ColorRole::Red, ColorScheme::Dark) : whiteAt(0.58));
}

void PasscodeCanvas::setLength(int length) { dots_->setLength(length); }

void PasscodeCanvas::addBelowSubtitle(QWidget* widget) {
    widget->setParent(this);
    texts_->addWidget(widget, 0, Qt::AlignHCenter);
}

QString PasscodeCanvas::title() const { return title_->text(); }
QString PasscodeCanvas::subtitle() const { return subtitle_->text(); }
int PasscodeCanvas::length() const { return dots_->length(); }

QAbstractButton* PasscodeCanvas::key(const QString& digit) const {
    return findChild<QAbstractButton*>(QStringLiteral("passcodeKey_") + digit);
}

void PasscodeCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, Qt::black);
    background.setColorAt(1, QColor::fromRgbF(0.08f, 0.09f, 0.07f));
    p.fillRect(rect(), background);
    if (auto* badge = findChild<QWidget*>(QStringLiteral("passcodeBadge"))) {
        QPainterPath path;
        path.addRoundedRect(QRectF(badge->geometry()), 19, 19);
        p.fillPath(path, passcodeLime());
    }
}

void PasscodeCanvas::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9') {
        emit keyPressed(PasscodeKey{text});
        return;
    }
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        emit keyPressed(PasscodeKey::deleteKey());
        return;
    }
    QWidget::keyPressEvent(event);
}

void PasscodeCanvas::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    setFocus(Qt::OtherFocusReason);
}
