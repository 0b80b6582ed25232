#include "views/family/ParentFamilyView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "account/AccountSession.h"
#include "components/Card.h"
#include "components/Chip.h"
#include "components/LazyColumn.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "components/PullToRefresh.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "components/TileButton.h"
#include "platform/QrCodeScanner.h"
#include "views/family/FamilyConnectionCard.h"
#include "views/family/FamilyStyle.h"
#include "views/family/ParentCenterParts.h"
#include "views/family/QRCodeScannerSheet.h"
#include "views/family/TaskBoard.h"
#include "views/family/TaskComposer.h"
#include "features/FeatureCatalog.h"
#include "views/shell/ScreenFactories.h"

namespace {

QColor whiteAt(qreal opacity) {
    QColor color(Qt::white);
    color.setAlphaF(float(opacity));
    return color;
}

// A symbol on a rounded tile.
QWidget* symbolTile(const QString& symbol, int symbolSize, const QColor& tint, const QColor& fill, int side,
                    int radius) {
    auto* tile = new Card;
    tile->setBackground(fill);
    tile->setRadius(radius);
    tile->setPadding(0);
    auto* view = new SymbolView(symbol, symbolSize);
    view->setTint(tint);
    tile->addWidget(view);
    tile->setFixedSize(side, side);
    return tile;
}

// The dark card with the lime circle peeking in at its bottom trailing corner.
class SummaryCard : public Card {
public:
    SummaryCard() {
        setObjectName(QStringLiteral("summaryCard"));
        setGradient(Qt::black, QColor::fromRgbF(0.12f, 0.14f, 0.12f));
        setRadius(FamilyStyle::summaryRadius);
        setPadding(FamilyStyle::summaryPadding);
        setSpacing(FamilyStyle::summaryRowSpacing);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        Card::paintEvent(event);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), radius(), radius());
        p.setClipPath(clip);
        QColor circle = parentcenter::lime();
        circle.setAlphaF(0.08f);
        p.setPen(Qt::NoPen);
        p.setBrush(circle);
        const int side = FamilyStyle::summaryCircle;
        p.drawEllipse(QRectF(width() - side + FamilyStyle::summaryCircleShiftX,
                             height() - side + FamilyStyle::summaryCircleShiftY, side, side));
    }
};

// The link to the parent's feature list.
TileButton* makeFeatureLink() {
    auto* featureLink = new TileButton(ColorRole::SecondaryGroupedBackground, 1.0, FamilyStyle::linkRadius);
    featureLink->setObjectName(QStringLiteral("featureCenterLink"));
    featureLink->setAccessibleName(QStringLiteral("Все возможности"));
    featureLink->setCursor(Qt::PointingHandCursor);
    auto* link = new QHBoxLayout(featureLink);
    link->setContentsMargins(FamilyStyle::linkPadding, FamilyStyle::linkPadding, FamilyStyle::linkPadding,
                             FamilyStyle::linkPadding);
    link->setSpacing(FamilyStyle::linkSpacing);
    link->addWidget(symbolTile(QStringLiteral("sparkles.rectangle.stack.fill"), 24, parentcenter::lime(),
                               Qt::black, FamilyStyle::linkTile, FamilyStyle::linkTileRadius));
    auto* linkTexts = new QVBoxLayout;
    linkTexts->setSpacing(3);
    linkTexts->addWidget(new TextLabel(QStringLiteral("Все возможности"), TextStyle::Headline));
    auto* linkCaption = new TextLabel(QStringLiteral("Цели, награды, долги и настройки"), TextStyle::Caption,
                                      ColorRole::SecondaryLabel);
    linkCaption->setWordWrap(true);
    linkTexts->addWidget(linkCaption);
    link->addLayout(linkTexts, 1);
    auto* chevron = new SymbolView(QStringLiteral("chevron.right"), 14);
    chevron->setTint(ColorRole::SecondaryLabel);
    link->addWidget(chevron);
    featureLink->makeChildrenTransparent();
    return featureLink;
}

}  // namespace

ParentFamilyView::ParentFamilyView(AccountSession& account, QrCodeScannerFactory& scanners, QWidget* parent)
    : QWidget(parent), account_(account), scanners_(scanners) {
    setObjectName(QStringLiteral("parentFamilyView"));
    setWindowTitle(QStringLiteral("Родительский центр"));
    body_ = new PageBody(this);
    body_->setObjectName(QStringLiteral("parentCenterBody"));
    body_->stack()->setContentsMargins(FamilyStyle::sectionCardPadding, 0, FamilyStyle::sectionCardPadding,
                                       FamilyStyle::centerBottom);
    body_->setSpacing(FamilyStyle::centerSpacing);
    // One column holds every section: those on screen from the start, and
    // below the board (which a family's tasks make long) the cards built once
    // scrolled near. It measures each section itself, once per content and width.
    cards_ = LazyColumn::addTo(body_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(body_);

    // The summary: three lines, the tile, and the three figures.
    auto* summary = new SummaryCard;
    auto* header = new QHBoxLayout;
    auto* headerTexts = new QVBoxLayout;
    headerTexts->setSpacing(5);
    auto* kicker = new TextLabel(QStringLiteral("СЕМЕЙНЫЙ ПУЛЬТ"), TextStyle::Caption2);
    kicker->setTextStyle(TextStyle::Caption2, QFont::Black);
    kicker->setColor(parentcenter::lime());
    QFont kickerFont = kicker->font();
    kickerFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    kicker->setFont(kickerFont);
    headerTexts->addWidget(kicker);
    auto* headline = new TextLabel(QStringLiteral("Всё под контролем"), TextStyle::Title2);
    headline->setTextStyle(TextStyle::Title2, QFont::Black);
    headline->setColor(Qt::white);
    headline->setMinimumScaleFactor(0.7);
    headerTexts->addWidget(headline);
    auto* subline = new TextLabel(QStringLiteral("Задания, проверки и успехи детей"), TextStyle::Subheadline);
    subline->setColor(whiteAt(0.65));
    subline->setWordWrap(true);
    headerTexts->addWidget(subline);
    header->addLayout(headerTexts, 1);
    header->addWidget(
        symbolTile(QStringLiteral("person.2.badge.gearshape.fill"), 26, Qt::black, parentcenter::lime(),
                   FamilyStyle::summaryTile, FamilyStyle::summaryTileRadius),
        0, Qt::AlignTop);
    summary->stack()->addLayout(header);
    auto* metrics = new QHBoxLayout;
    metrics->setSpacing(FamilyStyle::metricSpacing);
    const struct {
        const char* label;
        QColor color;
        const char* name;
    } figures[] = {{"детей", parentcenter::lime(), "childrenFigure"},
                   {"родителя", Theme::colorFor(ColorRole::Cyan, ColorScheme::Dark), "parentsFigure"},
                   {"проверить", parentcenter::gold(), "reviewFigure"}};
    for (const auto& figure : figures) {
        auto* metric = new Card;
        metric->setBackground(whiteAt(0.07));
        metric->setRadius(FamilyStyle::metricRadius);
        metric->setPadding(FamilyStyle::metricPadding);
        metric->setSpacing(2);
        auto* value = new TextLabel(QStringLiteral("0"), TextStyle::Title3);
        value->setObjectName(QString::fromLatin1(figure.name));
        value->setTextStyle(TextStyle::Title3, QFont::Black);
        value->setColor(figure.color);
        value->setMinimumScaleFactor(0.6);
        metric->addWidget(value);
        auto* label = new TextLabel(QString::fromUtf8(figure.label), TextStyle::Caption2);
        label->setTextStyle(TextStyle::Caption2, QFont::DemiBold);
        label->setColor(whiteAt(0.55));
        label->setMinimumScaleFactor(0.7);
        metric->addWidget(label);
        metrics->addWidget(metric, 1);
        figures_.append(value);
    }
    summary->stack()->addLayout(metrics);
    cards_->addWidget(summary);

    // The session's last error, as it set it.
    auto* banner = new Card;
    banner->setObjectName(QStringLiteral("errorBanner"));
    QColor bannerFill = Theme::current().color(ColorRole::Red);
    bannerFill.setAlphaF(0.1f);
    banner->setBackground(bannerFill);
    banner->setRadius(FamilyStyle::bannerRadius);
    banner->setPadding(FamilyStyle::bannerPadding);
    auto* bannerLine = new QHBoxLayout;
    auto* bannerIcon = new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), 14);
    bannerIcon->setTint(ColorRole::Red);
    bannerLine->addWidget(bannerIcon, 0, Qt::AlignTop);
    bannerText_ = new TextLabel({}, TextStyle::Footnote, ColorRole::Red);
    bannerText_->setObjectName(QStringLiteral("errorBannerText"));
    bannerText_->setTextStyle(TextStyle::Footnote, QFont::DemiBold);
    bannerText_->setWordWrap(true);
    bannerLine->addWidget(bannerText_, 1);
    banner->stack()->addLayout(bannerLine);
    banner_ = banner;
    cards_->addWidget(banner_);

    empty_ = new EmptyFamilyCard;
    cards_->addWidget(empty_);

    selector_ = new QWidget;
    selector_->setObjectName(QStringLiteral("childSelector"));
    auto* selectorColumn = new QVBoxLayout(selector_);
    selectorColumn->setContentsMargins(0, 0, 0, 0);
    selectorColumn->setSpacing(FamilyStyle::selectorSpacing);
    selectorColumn->addWidget(
        parentcenter::sectionTitle(QStringLiteral("Дети"), QStringLiteral("person.2.fill")));
    chipRow_ = new ChipRow(FamilyStyle::childChipSpacing, selector_);
    selectorColumn->addWidget(chipRow_);
    cards_->addWidget(selector_);

    composer_ = new TaskComposer(account_);
    cards_->addWidget(composer_);
    board_ = new TaskBoard(account_);
    cards_->addWidget(board_);
    addCardsBelowTheBoard();

    pull_ = new PullToRefresh(
        body_, [account = &account_] { return account->refresh(); }, this);

    connect(empty_, &EmptyFamilyCard::scanRequested, this, &ParentFamilyView::presentScanner);
    connect(&account_, &AccountSession::membersChanged, this, &ParentFamilyView::drawMembers);
    connect(&account_, &AccountSession::errorMessageChanged, this, &ParentFamilyView::drawError);
    connect(&account_, &AccountSession::tasksChanged, this, &ParentFamilyView::drawReviewFigure);
    drawMembers();
    drawError();
    drawReviewFigure();
}

void ParentFamilyView::addCardsBelowTheBoard() {
    connectionIndex_ = cards_->addCard(
        [this]() -> QWidget* {
            auto* card = new FamilyConnectionCard(account_);
            connect(card, &FamilyConnectionCard::scanRequested, this, &ParentFamilyView::presentScanner);
            return card;
        },
        [this](QWidget* card) {
            static_cast<FamilyConnectionCard*>(card)->setFamilySize(int(parents().size()), int(children().size()));
        },
        FamilyStyle::connectionCardEstimate);
    featureLinkIndex_ = cards_->addCard(
        [this]() -> QWidget* {
            TileButton* link = makeFeatureLink();
            connect(link, &QAbstractButton::clicked, this, [this] {
                if (NavigationStack* stack = NavigationStack::of(this))
                    stack->push(screens::featureCenter(nullptr, FeatureAudience::parent));
            });
            return link;
        },
        {}, FamilyStyle::featureLinkEstimate);
}

FamilyConnectionCard* ParentFamilyView::connectionCard() {
    return static_cast<FamilyConnectionCard*>(cards_->card(connectionIndex_));
}

TileButton* ParentFamilyView::featureCenterLink() {
    return static_cast<TileButton*>(cards_->card(featureLinkIndex_));
}

ParentFamilyView::~ParentFamilyView() {
    // The sheet and the alert belong to the window, which outlives this page
    // (signing out deletes it); neither may call back into it.
    if (alert_) alert_->cancel();
    if (scanner_ && !scanner_->isDismissed()) scanner_->dismiss();
}

void ParentFamilyView::drawReviewFigure() {
    int review = 0;
    for (const FamilyTask& task : account_.tasks()) review += task.status == QLatin1String("review");
    figures_[2]->setText(QString::number(review));
}

QCoro::Task<> ParentFamilyView::refreshQuietly(AccountSession* account) {
    try {
        co_await account->refresh();
    } catch (...) {
        // A failed refresh shows nothing; the lists keep what they had.
    }
}

QList<FamilyMember> ParentFamilyView::children() const {
    QList<FamilyMember> result;
    for (const FamilyMember& member : account_.members())
        if (member.role == AppAccountRole::child) result.append(member);
    return result;
}

QList<FamilyMember> ParentFamilyView::parents() const {
    QList<FamilyMember> result;
    for (const FamilyMember& member : account_.members())
        if (member.role == AppAccountRole::parent) result.append(member);
    return result;
}

void ParentFamilyView::selectFirstChildIfNeeded() {
    const QList<FamilyMember> kids = children();
    for (const FamilyMember& child : kids)
        if (child.id == composer_->childId()) return;
    composer_->setChildId(kids.isEmpty() ? QString() : kids.first().id);
}

void ParentFamilyView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    selectFirstChildIfNeeded();
}

void ParentFamilyView::drawMembers() {
    const QList<FamilyMember> kids = children();
    const int parentCount = int(parents().size());
    figures_[0]->setText(QString::number(kids.size()));
    figures_[1]->setText(QString::number(parentCount));
    // The connection card shows the family's size once built (its draw does then).
    if (QWidget* card = cards_->builtCard(connectionIndex_))
        static_cast<FamilyConnectionCard*>(card)->setFamilySize(parentCount, int(kids.size()));

    const bool hasChildren = !kids.isEmpty();
    empty_->setVisible(!hasChildren);
    selector_->setVisible(hasChildren);
    composer_->setVisible(hasChildren);
    board_->setVisible(hasChildren);

    // Nicknames may change without the ids changing; the chips and the picker follow both.
    bool sameChildren = kids.size() == shownChildren_.size();
    for (qsizetype i = 0; sameChildren && i < kids.size(); ++i)
        sameChildren = kids[i].id == shownChildren_[i].id && kids[i].nickname == shownChildren_[i].nickname;
    if (sameChildren) return;
    shownChildren_ = kids;
    drawChildChips(kids);
    composer_->setChildren(kids);
    QStringList ids;
    for (const FamilyMember& child : kids) ids.append(child.id);
    if (ids != childIds_) {
        childIds_ = ids;
        selectFirstChildIfNeeded();
    }
}

void ParentFamilyView::drawChildChips(const QList<FamilyMember>& kids) {
    chipRow_->clear();
    childChips_.clear();
    const Chip::Colors selected{parentcenter::lime(), Qt::black};
    const Chip::Colors normal{};
    auto add = [&](const QString& id, const QString& title, const QString& symbol) {
        auto* chip = new Chip(title, symbol);
        chip->setObjectName(QStringLiteral("childChip"));
        chip->setProperty("childId", id);
        chip->setColors(selected, normal);
        chip->setSelected(childFilter_ == id);
        connect(chip, &QAbstractButton::clicked, this, [this, id] { setChildFilter(id); });
        chipRow_->addWidget(chip);
        childChips_.append(chip);
    };
    add(QString(), QStringLiteral("Все"), QStringLiteral("person.2.fill"));
    for (const FamilyMember& child : kids)
        add(child.id, child.nickname, QStringLiteral("person.crop.circle.fill"));
}

void ParentFamilyView::setChildFilter(const QString& id) {
    childFilter_ = id;
    for (Chip* chip : std::as_const(childChips_))
        chip->setSelected(chip->property("childId").toString() == id);
    board_->setChildFilter(id);
}

void ParentFamilyView::drawError() {
    const auto& message = account_.errorMessage();
    bannerText_->setText(message.value_or(QString()));
    banner_->setVisible(message.has_value());
}

void ParentFamilyView::presentScanner() {
    if (scanner_ && !scanner_->isDismissed()) return;
    scanner_ = QRCodeScannerSheet::present(
        this, scanners_.makeScanner(), [this](const QString& code) { scanned(code); },
        [this](const QString& message) { scannerFailed(message); });
}

void ParentFamilyView::scanned(const QString& code) {
    connectionCard()->setPairingCode(code);
    if (scanner_ && !scanner_->isDismissed()) scanner_->dismiss();
    claimScanned(code);
}

QCoro::Task<> ParentFamilyView::claimScanned(QString code) {
    AccountSession* account = &account_;
    // Only a scanned invite joins another family; a typed code never does.
    if (code.contains(QLatin1String("family/parent"), Qt::CaseSensitive))
        co_await account->claimFamilyInvite(code);
    else
        co_await account->claim(code);
}

void ParentFamilyView::scannerFailed(const QString& message) {
    if (scanner_ && !scanner_->isDismissed()) scanner_->dismiss();
    if (alert_) alert_->cancel();
    const QString text =
        message.isEmpty() ? QStringLiteral("Проверьте доступ к камере в настройках iPhone.") : message;
    alert_ = Alert::present(this, QStringLiteral("Не удалось открыть сканер"), text,
                            {{QStringLiteral("Хорошо"), AlertButton::Role::Cancel}});
}
