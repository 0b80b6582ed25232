#include "views/family/TaskComposer.h"

#include <locale.h>

#include <QActionGroup>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <cctype>
#include <clocale>
#include <cstdlib>

#include "account/AccountSession.h"
#include "components/Button.h"
#include "components/Chip.h"
#include "components/Spinner.h"
#include "components/SymbolView.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/TileButton.h"
#include "services/GlobalPreferences.h"
#include "services/Preferences.h"
#include "views/family/FamilyStyle.h"
#include "views/family/ParentCenterParts.h"

namespace {

// A field on the secondary grouped background of a rounded box.
QWidget* fieldBox(QWidget* field, int padding, QWidget* parent) {
    auto* box = new Card(parent);
    box->setBackground(ColorRole::TertiaryGroupedBackground);
    box->setRadius(FamilyStyle::fieldRadius);
    box->setPadding(padding);
    box->addWidget(field);
    return box;
}

void makeBare(QLineEdit* field) {
    field->setFrame(false);
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }"));
}

// A one-line field whose font shrinks (to half its size at most) so that the
// whole text, or the placeholder while it is empty, fits its width; its
// height stays that of the full-size font, so the row never jumps.
class ShrinkingLineEdit : public QLineEdit {
public:
    explicit ShrinkingLineEdit(const QString& text) : QLineEdit(text) {
        connect(this, &QLineEdit::textChanged, this, [this] { fit(); });
    }
    void setBaseFont(const QFont& font) {
        base_ = font;
        setFont(font);
        setFixedHeight(sizeHint().height());
        fit();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLineEdit::resizeEvent(event);
        fit();
    }

private:
    void fit() {
        // QLineEdit keeps 2 px beside the text on each side, and the cursor's pixel.
        const qreal room = contentsRect().width() - 5;
        if (room <= 0) return;
        const QString shown = text().isEmpty() ? placeholderText() : text();
        const QFont fitted = TextFit::shrunkToFit(shown, base_, room);
        if (fitted != font()) setFont(fitted);
    }

    QFont base_ = font();
};

}  // namespace

const QStringList& TaskComposer::templates() {
    static const QStringList titles = {
        QStringLiteral("Помыл полы :)"), QStringLiteral("Помог маме/папе с IT и технологиями"),
        QStringLiteral("Убрал комнату"), QStringLiteral("Сделал домашнее задание")};
    return titles;
}

double TaskComposer::rewardFromText(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace(',', '.');
    if (bytes.isEmpty() || std::isspace(static_cast<unsigned char>(bytes.front()))) return 0;
    // Qt sets LC_NUMERIC from the environment, so the plain strtod would
    // read "12.5" as 12 under a decimal-comma locale.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const char* begin = bytes.constData();
    char* end = nullptr;
    const double value = strtod_l(begin, &end, cLocale);
    if (end != begin + bytes.size()) return 0;
    return value;
}

TaskComposer::TaskComposer(AccountSession& account, QWidget* parent) : Card(parent), account_(account) {
    setObjectName(QStringLiteral("taskComposer"));
    setPadding(FamilyStyle::sectionCardPadding);
    setRadius(FamilyStyle::sectionCardRadius);
    setSpacing(FamilyStyle::composerSpacing);

    auto* header = new QHBoxLayout;
    header->addWidget(
        parentcenter::sectionTitle(QStringLiteral("Новое задание"), QStringLiteral("plus.circle.fill")));
    header->addStretch(1);
    auto* quickCaption =
        new TextLabel(QStringLiteral("Быстрый старт"), TextStyle::Caption, ColorRole::SecondaryLabel);
    quickCaption->setTextStyle(TextStyle::Caption, QFont::Bold);
    header->addWidget(quickCaption);
    stack()->addLayout(header);

    auto* quick = new ChipRow(FamilyStyle::quickStartSpacing, this);
    quick->setObjectName(QStringLiteral("quickStartRow"));
    for (const QString& title : templates()) {
        auto* button = new Button(title, Button::Style::Bordered);
        button->setObjectName(QStringLiteral("quickStart"));
        button->setTextStyle(TextStyle::Caption, QFont::DemiBold);
        button->setTint(ColorRole::Label);
        quick->addWidget(button);
        quickStart_.append(button);
        connect(button, &QAbstractButton::clicked, this, [this, title] { title_->setText(title); });
    }
    addWidget(quick);

    title_ = new QLineEdit;
    title_->setObjectName(QStringLiteral("taskTitleField"));
    title_->setPlaceholderText(QStringLiteral("Что нужно сделать?"));
    title_->setAccessibleName(QStringLiteral("Что нужно сделать?"));
    title_->setFont(Theme::font(TextStyle::Headline));
    makeBare(title_);
    addWidget(fieldBox(title_, FamilyStyle::fieldPadding, this));

    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    picker_ = new TileButton(ColorRole::TertiaryGroupedBackground, 1.0, FamilyStyle::fieldRadius);
    picker_->setObjectName(QStringLiteral("childPicker"));
    picker_->setAccessibleName(QStringLiteral("Ребёнок"));
    picker_->setCursor(Qt::PointingHandCursor);
    auto* pickerLine = new QHBoxLayout(picker_);
    pickerLine->setContentsMargins(8, FamilyStyle::rewardBoxPadding, 8, FamilyStyle::rewardBoxPadding);
    auto* pickerTitle =
        new TextLabel(QStringLiteral("Ребёнок"), TextStyle::Subheadline, ColorRole::SecondaryLabel);
    pickerLine->addWidget(pickerTitle);
    pickerLabel_ = new TextLabel({}, TextStyle::Subheadline, ColorRole::Accent);
    pickerLabel_->setObjectName(QStringLiteral("childPickerLabel"));
    pickerLabel_->setElideMode(Qt::ElideRight);
    pickerLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pickerLine->addWidget(pickerLabel_, 1);
    auto* chevron = new SymbolView(QStringLiteral("chevron.down"), 12);
    pickerLine->addWidget(chevron);
    picker_->makeChildrenTransparent();
    row->addWidget(picker_, 1);
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("childMenu"));
    // One child a task: the rows are marked as a single choice, not as check boxes.
    childGroup_ = new QActionGroup(menu_);
    childGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    connect(picker_, &QAbstractButton::clicked, this, [this] {
        if (children_.isEmpty()) return;
        menu_->popup(picker_->mapToGlobal(QPoint(0, picker_->height())));
    });

    auto* rewardBox = new Card;
    rewardBox->setObjectName(QStringLiteral("rewardBox"));
    rewardBox->setBackground(ColorRole::TertiaryGroupedBackground);
    rewardBox->setRadius(FamilyStyle::fieldRadius);
    rewardBox->setPadding(FamilyStyle::rewardBoxPadding);
    rewardBox->setFixedWidth(FamilyStyle::rewardBoxWidth);
    auto* rewardLine = new QHBoxLayout;
    rewardLine->setSpacing(5);
    auto* reward = new ShrinkingLineEdit(QStringLiteral("25"));
    reward_ = reward;
    reward_->setObjectName(QStringLiteral("rewardField"));
    reward_->setPlaceholderText(QStringLiteral("25"));
    reward_->setAccessibleName(QStringLiteral("Награда"));
    reward_->setAlignment(Qt::AlignRight);
    reward_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    makeBare(reward_);
    reward->setBaseFont(reward_->font());
    rewardLine->addWidget(reward_, 1);
    currency_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    currency_->setObjectName(QStringLiteral("rewardCurrency"));
    currency_->setTextStyle(TextStyle::Caption, QFont::Black);
    rewardLine->addWidget(currency_);
    rewardBox->stack()->addLayout(rewardLine);
    row->addWidget(rewardBox);
    stack()->addLayout(row);

    send_ = new Button(QStringLiteral("Отправить ребёнку"), Button::Style::BorderedProminent,
                       QStringLiteral("paperplane.fill"));
    send_->setObjectName(QStringLiteral("sendTaskButton"));
    send_->setTextStyle(TextStyle::Body, QFont::Black);
    send_->setFullWidth(true);
    send_->setControlSize(Button::Size::Large);
    send_->setTint(parentcenter::lime());
    send_->setLabelColor(Qt::black);
    auto* sendLine = new QHBoxLayout(send_);
    sendLine->setContentsMargins(16, 0, 0, 0);
    spinner_ = new Spinner(Spinner::kDefaultSize, send_);
    spinner_->setAttribute(Qt::WA_TransparentForMouseEvents);
    spinner_->hide();
    sendLine->addWidget(spinner_, 0, Qt::AlignVCenter);
    sendLine->addStretch(1);
    addWidget(send_);

    connect(title_, &QLineEdit::textChanged, this, &TaskComposer::updateSend);
    connect(send_, &QAbstractButton::clicked, this, &TaskComposer::createTask);
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key == QLatin1String(GlobalPreferences::kCurrencyCodeKey)) drawCurrency();
    });
    drawCurrency();
    drawChild();
    updateSend();
}

void TaskComposer::setChildren(const QList<FamilyMember>& children) {
    children_ = children;
    menu_->clear();
    for (const FamilyMember& child : children_) {
        // A menu row reads "&" as a shortcut marker; doubled it shows as itself.
        QAction* action =
            menu_->addAction(QString(child.nickname).replace(QLatin1Char('&'), QStringLiteral("&&")));
        action->setCheckable(true);
        action->setActionGroup(childGroup_);
        action->setChecked(child.id == childId_);
        const QString id = child.id;
        connect(action, &QAction::triggered, this, [this, id] { setChildId(id); });
    }
    drawChild();
}

void TaskComposer::setChildId(const QString& id) {
    childId_ = id;
    const auto actions = menu_->actions();
    for (qsizetype i = 0; i < actions.size() && i < children_.size(); ++i)
        actions[i]->setChecked(children_[i].id == id);
    drawChild();
    updateSend();
}

void TaskComposer::drawChild() {
    QString nickname;
    for (const FamilyMember& child : children_)
        if (child.id == childId_) nickname = child.nickname;
    pickerLabel_->setText(nickname);
}

void TaskComposer::drawCurrency() { currency_->setText(GlobalPreferences::currencyCode()); }

void TaskComposer::updateSend() {
    send_->setText(creating_ ? QStringLiteral("Отправляем…") : QStringLiteral("Отправить ребёнку"));
    send_->setSymbol(creating_ ? QString() : QStringLiteral("paperplane.fill"));
    send_->setAccessibleName(send_->text());
    spinner_->setVisible(creating_);
    const bool enabled = !title_->text().trimmed().isEmpty() && !childId_.isEmpty() && !creating_;
    if (!enabled && send_->hasFocus()) send_->clearFocus();
    send_->setEnabled(enabled);
}

void TaskComposer::createTask() {
    const QString title = title_->text().trimmed();
    if (title.isEmpty() || childId_.isEmpty() || creating_) return;
    const Draft draft{title, rewardFromText(reward_->text()), childId_};
    if (draft != keyedDraft_) {
        keyedDraft_ = draft;
        idempotencyKey_ = AccountSession::newIdempotencyKey();
    }
    creating_ = true;
    updateSend();
    send(draft.title, draft.reward, draft.childId, idempotencyKey_);
}

QCoro::Task<> TaskComposer::send(QString title, double reward, QString childId, QString key) {
    // The parent center may be gone ("Выйти") before the answer; the session outlives it.
    QPointer<TaskComposer> self(this);
    AccountSession* account = &account_;
    co_await account->addTask(title, reward, childId, key);
    if (!self) co_return;
    if (!account->errorMessage()) {
        title_->clear();
        // Sent: the same words again are a new task.
        keyedDraft_.reset();
    }
    creating_ = false;
    updateSend();
}
