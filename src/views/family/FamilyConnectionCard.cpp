#include "views/family/FamilyConnectionCard.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

#include "account/AccountSession.h"
#include "components/Button.h"
#include "components/DisclosureGroup.h"
#include "components/QrImage.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "views/family/FamilyStyle.h"
#include "views/family/ParentCenterParts.h"

namespace {

Button* blackButton(const QString& text, Button::Style style, const QString& symbol) {
    auto* button = new Button(text, style, symbol);
    button->setTint(QColor(Qt::black));
    button->setLabelColor(Qt::white);
    button->setTextStyle(TextStyle::Body, QFont::DemiBold);
    return button;
}

}  // namespace

FamilyConnectionCard::FamilyConnectionCard(AccountSession& account, QWidget* parent)
    : Card(parent), account_(account) {
    setObjectName(QStringLiteral("connectionCard"));
    setPadding(FamilyStyle::sectionCardPadding);
    setRadius(FamilyStyle::sectionCardRadius);
    setSpacing(FamilyStyle::connectionSpacing);

    auto* header = new QHBoxLayout;
    header->addWidget(
        parentcenter::sectionTitle(QStringLiteral("Большая семья"), QStringLiteral("person.3.fill")));
    header->addStretch(1);
    size_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    size_->setObjectName(QStringLiteral("familySizeLabel"));
    size_->setTextStyle(TextStyle::Caption, QFont::Black);
    header->addWidget(size_);
    stack()->addLayout(header);

    auto* about =
        new TextLabel(QStringLiteral("Сканируйте QR ребёнка или пригласите второго родителя. При двух "
                                     "родителях выплата требует подтверждения обоих."),
                      TextStyle::Subheadline, ColorRole::SecondaryLabel);
    about->setWordWrap(true);
    addWidget(about);

    scan_ = blackButton(QStringLiteral("Сканировать семейный QR"), Button::Style::BorderedProminent,
                        QStringLiteral("qrcode.viewfinder"));
    scan_->setObjectName(QStringLiteral("scanFamilyButton"));
    scan_->setControlSize(Button::Size::Large);
    scan_->setFullWidth(true);
    addWidget(scan_);

    auto* block = new Card;
    block->setObjectName(QStringLiteral("inviteBlock"));
    QColor tint = parentcenter::lime();
    tint.setAlphaF(0.13f);
    block->setBackground(tint);
    block->setRadius(FamilyStyle::inviteBlockRadius);
    block->setPadding(FamilyStyle::inviteBlockPadding);
    block->setSpacing(8);
    inviteQr_ = new QrImageView(FamilyStyle::inviteQrMaxWidth);
    inviteQr_->setObjectName(QStringLiteral("inviteQr"));
    inviteQr_->setAccessibleName(QStringLiteral("QR-приглашение второго родителя"));
    block->addWidget(inviteQr_);
    auto* hint = new TextLabel(QStringLiteral("Второй родитель должен отсканировать этот QR в Parent-версии. "
                                              "Код действует 10 минут."),
                               TextStyle::Caption, ColorRole::SecondaryLabel);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignHCenter);
    block->addWidget(hint);
    inviteBlock_ = block;
    addWidget(inviteBlock_);

    invite_ = new Button(QStringLiteral("Пригласить второго родителя"), Button::Style::Bordered,
                         QStringLiteral("person.badge.plus"));
    invite_->setObjectName(QStringLiteral("inviteButton"));
    invite_->setTint(ColorRole::Label);
    invite_->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    invite_->setFullWidth(true);
    addWidget(invite_);
    dualApproval_ =
        new SymbolLabel(QStringLiteral("Режим двойного подтверждения включён"),
                        QStringLiteral("checkmark.shield.fill"), TextStyle::Subheadline, ColorRole::Green);
    dualApproval_->setObjectName(QStringLiteral("dualApprovalLabel"));
    dualApproval_->setTextStyle(TextStyle::Subheadline, QFont::Bold);
    // Wider than a phone's card in bold: it wraps rather than widening the page.
    dualApproval_->titleLabel()->setWordWrap(true);
    addWidget(dualApproval_);

    auto* manual = new QWidget;
    manual->setObjectName(QStringLiteral("manualCodeContent"));
    auto* manualColumn = new QVBoxLayout(manual);
    manualColumn->setContentsMargins(0, 0, 0, 0);
    manualColumn->setSpacing(10);
    code_ = new QLineEdit;
    code_->setObjectName(QStringLiteral("pairingCodeField"));
    code_->setPlaceholderText(QStringLiteral("Содержимое QR-кода"));
    code_->setAccessibleName(QStringLiteral("Содержимое QR-кода"));
    code_->setInputMethodHints(Qt::ImhNoAutoUppercase);
    manualColumn->addWidget(code_);
    claim_ = new Button(QStringLiteral("Добавить в семью"), Button::Style::Plain,
                        QStringLiteral("person.badge.plus"));
    claim_->setObjectName(QStringLiteral("claimCodeButton"));
    manualColumn->addWidget(claim_, 0, Qt::AlignHCenter);
    manual_ = new DisclosureGroup(QStringLiteral("Вставить код вручную"), manual);
    manual_->setObjectName(QStringLiteral("manualCodeGroup"));
    manual_->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    addWidget(manual_);

    connect(scan_, &QAbstractButton::clicked, this, &FamilyConnectionCard::scanRequested);
    connect(invite_, &QAbstractButton::clicked, this, [this] { account_.createFamilyInvite(); });
    connect(code_, &QLineEdit::textChanged, this, &FamilyConnectionCard::updateClaim);
    connect(claim_, &QAbstractButton::clicked, this, [this] {
        if (claiming_ || code_->text().trimmed().isEmpty()) return;
        sendClaim(code_->text());  // untrimmed: the session finds the token in it
    });
    connect(&account_, &AccountSession::familyInvitePayloadChanged, this, &FamilyConnectionCard::drawInvite);
    connect(&account_, &AccountSession::isCreatingFamilyInviteChanged, this,
            &FamilyConnectionCard::drawInvite);
    drawInvite();
    updateClaim();
}

void FamilyConnectionCard::setFamilySize(int parents, int children) {
    parents_ = parents;
    size_->setText(QStringLiteral("%1 род. · %2 дет.").arg(parents).arg(children));
    drawInvite();
}

void FamilyConnectionCard::setPairingCode(const QString& code) { code_->setText(code); }

void FamilyConnectionCard::drawInvite() {
    const auto& payload = account_.familyInvitePayload();
    const std::optional<QImage> image = payload ? qrImage(*payload) : std::nullopt;
    if (image) inviteQr_->setImage(*image);
    inviteBlock_->setVisible(image.has_value());

    const bool creating = account_.isCreatingFamilyInvite();
    invite_->setText(creating ? QStringLiteral("Создаём приглашение…")
                              : QStringLiteral("Пригласить второго родителя"));
    invite_->setAccessibleName(invite_->text());
    if (creating && invite_->hasFocus()) invite_->clearFocus();
    invite_->setEnabled(!creating);
    invite_->setVisible(parents_ < 2);
    dualApproval_->setVisible(parents_ >= 2);
}

void FamilyConnectionCard::updateClaim() {
    const bool enabled = !claiming_ && !code_->text().trimmed().isEmpty();
    if (!enabled && claim_->hasFocus()) claim_->clearFocus();
    claim_->setEnabled(enabled);
}

QCoro::Task<> FamilyConnectionCard::sendClaim(QString code) {
    // A second claim of the same code would be refused after the first
    // succeeded and report a failure over a child that was added.
    claiming_ = true;
    updateClaim();
    QPointer<FamilyConnectionCard> self(this);
    AccountSession* account = &account_;
    co_await account->claim(code);
    if (!self) co_return;
    claiming_ = false;
    updateClaim();
}

EmptyFamilyCard::EmptyFamilyCard(QWidget* parent) : Card(parent) {
    setObjectName(QStringLiteral("emptyFamilyCard"));
    setPadding(FamilyStyle::emptyFamilyPadding);
    setRadius(FamilyStyle::sectionCardRadius);
    setSpacing(14);

    auto* tile = new SymbolView(QStringLiteral("person.2.badge.plus"), FamilyStyle::emptyFamilySymbol);
    tile->setTint(QColor(Qt::black));
    tile->setFixedSize(FamilyStyle::emptyFamilyTile, FamilyStyle::emptyFamilyTile);
    auto* tileCard = new Card;
    tileCard->setBackground(parentcenter::lime());
    tileCard->setRadius(FamilyStyle::emptyFamilyTileRadius);
    tileCard->setPadding(0);
    tileCard->addWidget(tile);
    tileCard->setFixedSize(FamilyStyle::emptyFamilyTile, FamilyStyle::emptyFamilyTile);
    addWidget(tileCard, 0, Qt::AlignHCenter);

    auto* title = new TextLabel(QStringLiteral("Добавьте первого ребёнка"), TextStyle::Title3);
    title->setTextStyle(TextStyle::Title3, QFont::Black);
    title->setWordWrap(true);
    title->setAlignment(Qt::AlignHCenter);
    addWidget(title);
    auto* text =
        new TextLabel(QStringLiteral("Отсканируйте QR-код из детской версии — после этого здесь появятся "
                                     "задания и прогресс."),
                      TextStyle::Subheadline, ColorRole::SecondaryLabel);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter);
    addWidget(text);
    scan_ = blackButton(QStringLiteral("Открыть сканер"), Button::Style::BorderedProminent,
                        QStringLiteral("qrcode.viewfinder"));
    scan_->setObjectName(QStringLiteral("openScannerButton"));
    scan_->setControlSize(Button::Size::Large);
    addWidget(scan_, 0, Qt::AlignHCenter);
    connect(scan_, &QAbstractButton::clicked, this, &EmptyFamilyCard::scanRequested);
}
