#include "views/shell/SecuritySuggestionView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "components/Theme.h"
#include "views/shell/PasscodeStyle.h"

SecuritySuggestionView::SecuritySuggestionView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("securitySuggestionView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(22, 22, 22, 22);
    outer->addStretch(1);

    auto* card = new QWidget(this);
    card_ = card;
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
    auto* detail =
        new TextLabel(QStringLiteral("Создай код из четырёх цифр. Мы будем спрашивать его при каждом входе."),
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
    const QWidget* card = card_;
    const QRectF box = QRectF(card->geometry());
    // A soft shadow below the card.
    for (int i = 0; i < 12; ++i) {
        QPainterPath shadow;
        const qreal grow = 30 - i * 2.5;
        shadow.addRoundedRect(box.translated(0, 12).adjusted(-grow / 2, -grow / 2, grow / 2, grow / 2),
                              32 + grow / 2, 32 + grow / 2);
        p.fillPath(shadow, QColor::fromRgbF(0, 0, 0, 0.3f / 12));
    }
    QPainterPath path;
    path.addRoundedRect(box, 32, 32);
    p.fillPath(path, cardColor(Theme::current().scheme()));
    if (auto* badge = card->findChild<QWidget*>(QStringLiteral("suggestionBadge"))) {
        QPainterPath badgePath;
        badgePath.addRoundedRect(QRectF(badge->geometry()).translated(box.topLeft()), 24, 24);
        p.fillPath(badgePath, passcodeLime());
    }
}

QColor SecuritySuggestionView::cardColor(ColorScheme scheme) {
    // The dark system background of a raised surface (a sheet, a card over
    // the screen) is the secondary one.
    return Theme::colorFor(scheme == ColorScheme::Dark ? ColorRole::SecondaryGroupedBackground
                                                       : ColorRole::Background,
                           scheme);
}

void SecuritySuggestionView::mousePressEvent(QMouseEvent* event) {
    // The dimmed backdrop swallows taps: the root view below waits for an answer.
    event->accept();
}
