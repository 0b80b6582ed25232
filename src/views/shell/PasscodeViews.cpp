#include "views/shell/PasscodeViews.h"

#include "components/Button.h"
#include "components/Overlays.h"
#include "components/SymbolView.h"
#include "components/Symbols.h"
#include "components/TextLabel.h"
#include "components/Theme.h"
#include "lock/AppLockModel.h"
#include "platform/Haptics.h"
#include "services/Preferences.h"

#include <QEasingCurve>
#include <QGraphicsBlurEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>

QColor passcodeLime() { return QColor::fromRgbF(0.75f, 1.0f, 0.18f); }

QString passcodeSheetRawValue(PasscodeSheet sheet) {
    return sheet == PasscodeSheet::create ? QStringLiteral("create") : QStringLiteral("change");
}

QString passcodeSheetTitle(PasscodeSheet sheet) {
    return sheet == PasscodeSheet::create ? QStringLiteral("Создай код") : QStringLiteral("Новый код");
}

namespace {

constexpr int kCodeLength = 4;
constexpr int kCanvasMargin = 36;  // leading and trailing
constexpr int kRetryBlinkMilliseconds = 180;

QColor whiteAt(qreal opacity) {
    QColor c(Qt::white);
    c.setAlphaF(opacity);
    return c;
}

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

// --- PasscodeDots ------------------------------------------------------------

PasscodeDots::PasscodeDots(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("passcodeDots"));
    setLength(0);
}

void PasscodeDots::setLength(int length) {
    length_ = length;
    setAccessibleName(QStringLiteral("Введено цифр: %1 из четырёх").arg(length));
    update();
}

QSize PasscodeDots::sizeHint() const { return {4 * 15 + 3 * 18, 15}; }

void PasscodeDots::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const int total = 4 * 15 + 3 * 18;
    qreal x = (width() - total) / 2.0;
    for (int i = 0; i < kCodeLength; ++i) {
        p.setBrush(i < length_ ? passcodeLime() : whiteAt(0.18));
        p.drawEllipse(QRectF(x, (height() - 15) / 2.0, 15, 15));
        x += 15 + 18;
    }
}

// --- PasscodeCanvas ----------------------------------------------------------

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

// --- PasscodeUnlockView ------------------------------------------------------

PasscodeUnlockView::PasscodeUnlockView(AppLockModel& appLock, Haptics& haptics, QWidget* parent)
    : QWidget(parent), appLock_(appLock), haptics_(haptics) {
    setObjectName(QStringLiteral("passcodeUnlockView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new PasscodeCanvas(this);
    canvas_->setTitle(QStringLiteral("С возвращением"));
    layout->addWidget(canvas_);
    connect(canvas_, &PasscodeCanvas::keyPressed, this, &PasscodeUnlockView::enter);

    biometricsButton_ = new Button(QStringLiteral("Открыть с Face ID / Touch ID"), Button::Style::Plain,
                                   QStringLiteral("faceid"), this);
    biometricsButton_->setObjectName(QStringLiteral("biometricsButton"));
    biometricsButton_->setTextStyle(TextStyle::Footnote, QFont::DemiBold);
    biometricsButton_->setTint(QColor(Qt::white));
    connect(biometricsButton_, &QAbstractButton::clicked, this, [this] { appLock_.unlockWithBiometrics(); });

    retry_ =
        new Button(QStringLiteral("Повторить"), Button::Style::Bordered, QStringLiteral("arrow.clockwise"));
    retry_->setObjectName(QStringLiteral("keychainRetryButton"));
    retry_->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    retry_->setTint(passcodeLime());
    canvas_->addBelowSubtitle(retry_);
    connect(retry_, &QAbstractButton::clicked, this, &PasscodeUnlockView::retryKeychain);

    // Our own prompt while the fingerprint reader waits for a finger; nearly
    // opaque, so the keypad behind it does not show through its texts.
    prompt_ = new QWidget(this);
    prompt_->setObjectName(QStringLiteral("biometricPrompt"));
    prompt_->setAttribute(Qt::WA_StyledBackground);
    prompt_->setStyleSheet(QStringLiteral("#biometricPrompt { background: rgba(0,0,0,235); }"));
    auto* promptColumn = new QVBoxLayout(prompt_);
    promptColumn->setAlignment(Qt::AlignCenter);
    promptColumn->setSpacing(16);
    auto* finger = new SymbolView(QStringLiteral("faceid"), 54, prompt_);
    finger->setTint(passcodeLime());
    promptColumn->addWidget(finger, 0, Qt::AlignHCenter);
    auto* reason = new TextLabel(AppLockModel::kBiometricReasonText, TextStyle::Headline, ColorRole::White, prompt_);
    reason->setColor(Qt::white);
    reason->setAlignment(Qt::AlignHCenter);
    promptColumn->addWidget(reason);
    auto* cancel = new Button(AppLockModel::kBiometricCancelText, Button::Style::Bordered, {}, prompt_);
    cancel->setObjectName(QStringLiteral("biometricCancelButton"));
    cancel->setTint(QColor(Qt::white));
    promptColumn->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QAbstractButton::clicked, this, [this] { appLock_.cancelBiometrics(); });
    prompt_->hide();

    connect(&appLock_, &AppLockModel::changed, this, &PasscodeUnlockView::redraw);
    redraw();
}

bool PasscodeUnlockView::biometricsOffered() const {
    return Preferences::standard().boolean(QStringLiteral("biometricsEnabled"), true) &&
           appLock_.biometricsAvailable();
}

void PasscodeUnlockView::enter(const PasscodeKey& key) {
    if (key.isDelete()) {
        if (!passcode_.isEmpty()) passcode_.chop(1);
        redraw();
        return;
    }
    if (passcode_.size() >= kCodeLength) return;
    passcode_ += key.digit;
    redraw();
    if (passcode_.size() == kCodeLength && !appLock_.unlock(passcode_)) {
        ++failedAttempts_;
        haptics_.play(Haptics::Feedback::error);
        passcode_.clear();
        redraw();
    }
}

void PasscodeUnlockView::retryKeychain() {
    if (appLock_.retryKeychain()) return;  // the screen redraws from the model
    haptics_.play(Haptics::Feedback::error);
    // The same text may come back: blink it, so that the tap is seen.
    canvas_->subtitleLabel()->setColor(Qt::transparent);
    QTimer::singleShot(kRetryBlinkMilliseconds, this, &PasscodeUnlockView::redraw);
}

void PasscodeUnlockView::redraw() {
    const QString error = appLock_.errorMessage();
    canvas_->setSubtitle(error.isEmpty() ? QStringLiteral("Введи код, чтобы открыть копилку") : error,
                         !error.isEmpty());
    canvas_->setLength(int(passcode_.size()));
    retry_->setVisible(appLock_.isKeychainUnavailable() && !appLock_.isUnlocked());
    biometricsButton_->setVisible(!appLock_.isVerifyingBiometrics() && biometricsOffered());
    prompt_->setVisible(appLock_.isVerifyingBiometrics());
    if (prompt_->isVisible()) prompt_->raise();
    layoutOverlays();
}

void PasscodeUnlockView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    redraw();
    if (biometricsOffered()) appLock_.unlockWithBiometrics();
}

void PasscodeUnlockView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutOverlays();
}

void PasscodeUnlockView::layoutOverlays() {
    const QSize hint = biometricsButton_->sizeHint();
    biometricsButton_->setGeometry((width() - hint.width()) / 2, height() - hint.height() - 10, hint.width(),
                                   hint.height());
    biometricsButton_->raise();
    prompt_->setGeometry(rect());
}

// --- PasscodeSetupView -------------------------------------------------------

const QString PasscodeSetupView::kMismatchText = QStringLiteral("Коды не совпали. Попробуй ещё раз.");

PasscodeSetupView::PasscodeSetupView(AppLockModel& appLock, Haptics& haptics, const QString& title,
                                     QWidget* parent)
    : QWidget(parent), appLock_(appLock), haptics_(haptics), title_(title) {
    setObjectName(QStringLiteral("passcodeSetupView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new PasscodeCanvas(this);
    layout->addWidget(canvas_);
    connect(canvas_, &PasscodeCanvas::keyPressed, this, &PasscodeSetupView::enter);

    cancel_ = new Button(QStringLiteral("Отмена"), Button::Style::Plain, {}, this);
    cancel_->setObjectName(QStringLiteral("passcodeCancelButton"));
    cancel_->setTint(QColor(Qt::white));
    connect(cancel_, &QAbstractButton::clicked, this, [this] { close(false); });
    redraw();
}

void PasscodeSetupView::enter(const PasscodeKey& key) {
    if (closed_) return;
    if (key.isDelete()) {
        if (!passcode_.isEmpty()) passcode_.chop(1);
        redraw();
        return;
    }
    if (passcode_.size() >= kCodeLength) return;
    message_.clear();
    passcode_ += key.digit;
    if (passcode_.size() == kCodeLength) {
        if (!isConfirming_) {
            firstPasscode_ = passcode_;
            passcode_.clear();
            isConfirming_ = true;
        } else if (passcode_ != firstPasscode_) {
            ++mismatchCount_;
            haptics_.play(Haptics::Feedback::error);
            message_ = kMismatchText;
            passcode_.clear();
        } else if (appLock_.setPasscode(passcode_)) {
            passcode_.clear();
            redraw();
            close(true);
            return;
        } else {
            // The keychain refused the code: say so, not that the codes differ.
            haptics_.play(Haptics::Feedback::error);
            message_ = appLock_.errorMessage();
            if (message_.isEmpty()) message_ = AppLockModel::kSaveFailedText;
            passcode_.clear();
        }
    }
    redraw();
}

void PasscodeSetupView::redraw() {
    canvas_->setTitle(isConfirming_ ? QStringLiteral("Повтори код") : title_);
    if (!message_.isEmpty())
        canvas_->setSubtitle(message_, true);
    else
        canvas_->setSubtitle(isConfirming_ ? QStringLiteral("Введи те же четыре цифры ещё раз")
                                           : QStringLiteral("Он защитит баланс и историю операций"),
                             false);
    canvas_->setLength(int(passcode_.size()));
}

void PasscodeSetupView::close(bool stored) {
    if (closed_) return;
    closed_ = true;
    emit finished(stored);
    if (Sheet* sheet = Sheet::of(this)) sheet->dismiss();
}

void PasscodeSetupView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The canvas runs to the sheet's top edge, under its grabber.
    if (Sheet* sheet = Sheet::of(this)) sheet->setBackground(Qt::black);
}

void PasscodeSetupView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize hint = cancel_->sizeHint();
    cancel_->setGeometry(16, 12, hint.width(), hint.height());
    cancel_->raise();
}

// --- LaunchSplashView --------------------------------------------------------

LaunchSplashView::LaunchSplashView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("launchSplashView"));
    setAccessibleName(QStringLiteral("Zanbeck. Твои деньги, твои правила"));
}

void LaunchSplashView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (appeared_) return;  // springs into place once, never again while shown
    appeared_ = true;
    animation_ = new QVariantAnimation(this);
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    animation_->setDuration(700);
    animation_->setEasingCurve(QEasingCurve::OutBack);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        progress_ = value.toReal();
        update();
    });
    animation_->start(QAbstractAnimation::DeleteWhenStopped);
}

void LaunchSplashView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);
    const qreal t = progress_;
    const QPointF centre = QRectF(rect()).center();
    auto blurredCircle = [&](QColor colour, qreal diameter, QPointF offset, qreal blur) {
        QRadialGradient glow(centre + offset, diameter / 2 + blur);
        glow.setColorAt(0, colour);
        glow.setColorAt(qMax(0.0, 1 - 2 * blur / (diameter / 2 + blur)), colour);
        colour.setAlpha(0);
        glow.setColorAt(1, colour);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(centre + offset, diameter / 2 + blur, diameter / 2 + blur);
    };
    blurredCircle(passcodeLime(), 330, QPointF(250 + (155 - 250) * t, -450 + (-330 + 450) * t), 8);
    QColor purple = Theme::colorFor(ColorRole::Purple, ColorScheme::Dark);
    purple.setAlphaF(0.7f);
    blurredCircle(purple, 260, QPointF(-270 + (-170 + 270) * t, 470 + (350 - 470) * t), 24);

    // The wordmark, scaled from 0.82 about the centre and faded in.
    p.save();
    p.setOpacity(qBound(0.0, t, 1.0));
    const qreal scale = 0.82 + 0.18 * t;
    p.translate(centre);
    p.scale(scale, scale);
    p.translate(-centre);
    QFont word = Theme::font(TextStyle::LargeTitle, QFont::Black);
    word.setPixelSize(67);
    word.setLetterSpacing(QFont::AbsoluteSpacing, -4);
    const QFontMetricsF metrics(word);
    QFont tagline = Theme::font(TextStyle::Callout, QFont::DemiBold);
    tagline.setLetterSpacing(QFont::AbsoluteSpacing, 0.15);
    const QFontMetricsF taglineMetrics(tagline);
    const qreal line = metrics.height() - 10;
    const qreal blockHeight = 2 * line + 28 + taglineMetrics.height() * 2;
    const qreal left = 30;
    qreal y = centre.y() - blockHeight / 2;
    p.setFont(word);
    p.setPen(Qt::white);
    p.drawText(QPointF(left, y + metrics.ascent()), QStringLiteral("ZAN"));
    y += line;
    p.setPen(passcodeLime());
    p.drawText(QPointF(left, y + metrics.ascent()), QStringLiteral("BECK"));
    y += line + 28;
    p.setFont(tagline);
    p.setPen(whiteAt(0.62));
    p.drawText(QRectF(left, y, width() - 2 * left, taglineMetrics.height() * 3), Qt::TextWordWrap,
               QStringLiteral("твои деньги · твои правила"));
    p.restore();
}

// --- SecuritySuggestionView --------------------------------------------------

SecuritySuggestionView::SecuritySuggestionView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("securitySuggestionView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(22, 22, 22, 22);
    outer->addStretch(1);

    auto* card = new QWidget(this);
    card->setObjectName(QStringLiteral("suggestionCard"));
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(20);

    auto* badge = new SymbolView(QStringLiteral("lock.shield.fill"), 38, card);
    badge->setObjectName(QStringLiteral("suggestionBadge"));
    badge->setTint(QColor(Qt::black));
    badge->setFixedSize(72, 72);
    column->addWidget(badge, 0, Qt::AlignLeft);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    auto* title = new TextLabel(QStringLiteral("Защити копилку"), TextStyle::Title, ColorRole::Label, card);
    title->setTextStyle(TextStyle::Title, QFont::Black);
    title->setWordWrap(true);
    auto* detail = new TextLabel(QStringLiteral("Создай код из четырёх цифр. Мы будем спрашивать его при каждом входе."),
                                 TextStyle::Body, ColorRole::SecondaryLabel, card);
    detail->setWordWrap(true);
    texts->addWidget(title);
    texts->addWidget(detail);
    column->addLayout(texts);

    create_ = new Button(QStringLiteral("Создать код"), Button::Style::BorderedProminent, {}, card);
    create_->setObjectName(QStringLiteral("suggestionCreateButton"));
    create_->setTextStyle(TextStyle::Body, QFont::Bold);
    create_->setFullWidth(true);
    create_->setControlSize(Button::Size::Large);
    create_->setTint(QColor(Qt::black));
    create_->setLabelColor(Qt::white);
    column->addWidget(create_);

    later_ = new Button(QStringLiteral("Пока без кода"), Button::Style::Plain, {}, card);
    later_->setObjectName(QStringLiteral("suggestionLaterButton"));
    later_->setTextStyle(TextStyle::Body, QFont::DemiBold);
    later_->setFullWidth(true);
    later_->setTint(ColorRole::SecondaryLabel);
    column->addWidget(later_);

    outer->addWidget(card);
    outer->addStretch(1);

    connect(create_, &QAbstractButton::clicked, this, &SecuritySuggestionView::createPasscode);
    connect(later_, &QAbstractButton::clicked, this, &SecuritySuggestionView::continueWithoutPasscode);
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

void SecuritySuggestionView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.62f));
    auto* card = findChild<QWidget*>(QStringLiteral("suggestionCard"));
    if (!card) return;
    const QRectF box = QRectF(card->geometry());
    // A soft shadow below the card.
    for (int i = 0; i < 12; ++i) {
        QPainterPath shadow;
        const qreal grow = 30 - i * 2.5;
        shadow.addRoundedRect(box.translated(0, 12).adjusted(-grow / 2, -grow / 2, grow / 2, grow / 2), 32 + grow / 2,
                              32 + grow / 2);
        p.fillPath(shadow, QColor::fromRgbF(0, 0, 0, 0.3f / 12));
    }
    QPainterPath path;
    path.addRoundedRect(box, 32, 32);
    p.fillPath(path, Theme::current().color(ColorRole::Background));
    if (auto* badge = card->findChild<QWidget*>(QStringLiteral("suggestionBadge"))) {
        QPainterPath badgePath;
        badgePath.addRoundedRect(QRectF(badge->geometry()).translated(box.topLeft()), 24, 24);
        p.fillPath(badgePath, passcodeLime());
    }
}

void SecuritySuggestionView::mousePressEvent(QMouseEvent* event) {
    // The dimmed backdrop swallows taps: the root view below waits for an answer.
    event->accept();
}
