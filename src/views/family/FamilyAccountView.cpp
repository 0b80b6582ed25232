#include "views/family/FamilyAccountView.h"

#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QVBoxLayout>

#include "account/AccountSession.h"
#include "account/AppAccountRole.h"
#include "components/Button.h"
#include "components/ListPickerSheet.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "components/Popups.h"
#include "components/Symbols.h"
#include "components/TextLabel.h"
#include "components/Theme.h"
#include "services/GlobalPreferences.h"
#include "services/PickerTitles.h"
#include "services/Preferences.h"
#include "views/family/ChildFamilyView.h"
#include "views/family/ParentFamilyView.h"
#include "views/shell/PasscodeStyle.h"

namespace {

// The signed-in family screen of each build, and the body it scrolls in.
struct FamilyScreen {
    QWidget* screen;
    PageBody* body;
};
FamilyScreen familyScreenFor(AppAccountRole role, AccountSession& account, const PlatformServices& services) {
    if (role == AppAccountRole::parent) {
        auto* center = new ParentFamilyView(account, services.qrScanners);
        return {center, center->body()};
    }
    auto* child = new ChildFamilyView(account);
    return {child, child->body()};
}

const QString kCurrencyKey = QString::fromLatin1(GlobalPreferences::kCurrencyCodeKey);
const QString kLanguageKey = QString::fromLatin1(GlobalPreferences::kAppLanguageKey);

QString storedCurrency() {
    return Preferences::standard().string(kCurrencyKey,
                                          QString::fromLatin1(GlobalPreferences::kDefaultCurrencyCode));
}
QString storedLanguage() {
    return Preferences::standard().string(kLanguageKey,
                                          QString::fromLatin1(GlobalPreferences::kAutoLanguage));
}

// Characters as a reader counts them (one emoji or accented letter is one).
int characterCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0) ++count;
    return count;
}

// The lime tile with the form's symbol.
class SignInBadge : public QWidget {
public:
    SignInBadge(const QString& symbol, QWidget* parent) : QWidget(parent), symbol_(symbol) {
        setFixedSize(82, 82);
        setObjectName(QStringLiteral("signInBadge"));
        setAccessibleName(symbol);
    }
    QString symbol() const { return symbol_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 27, 27);
        p.fillPath(path, passcodeLime());
        const QPixmap icon = Symbols::pixmap(symbol_, 44, Qt::black, devicePixelRatioF());
        const QSizeF logical = QSizeF(icon.size()) / icon.devicePixelRatio();
        p.drawPixmap(QPointF((width() - logical.width()) / 2, (height() - logical.height()) / 2), icon);
    }

private:
    QString symbol_;
};

}  // namespace

FamilyAccountView::FamilyAccountView(AccountSession& account, const PlatformServices& services,
                                     QWidget* parent)
    : NavigationPage(QString(), parent), account_(account), services_(services) {
    setObjectName(QStringLiteral("familyAccountView"));
    const bool parentBuild = AppAccountRole::build() == AppAccountRole::parent;

    auto* container = new QWidget;
    container->setObjectName(QStringLiteral("familyContent"));
    auto* containerLayout = new QVBoxLayout(container);
    containerLayout->setContentsMargins(0, 0, 0, 0);

    // The sign-in form, in a scroll view; kept for the life of the page so
    // that typed text survives every redraw.
    // The page's large title scrolls in it, at the side padding of every page;
    // the form makes up the rest of its 24-point inset.
    auto* scroll = new PageBody(container);
    scroll->setObjectName(QStringLiteral("loginScroll"));
    scroll->setPadding(0);
    scroll->stack()->setContentsMargins(Spacing::pagePadding, 0, Spacing::pagePadding, 0);
    loginScroll_ = scroll;
    loginView_ = new QWidget;
    loginView_->setObjectName(QStringLiteral("loginView"));
    auto* form = new QVBoxLayout(loginView_);
    constexpr int formInset = 24;
    form->setContentsMargins(formInset - Spacing::pagePadding, formInset, formInset - Spacing::pagePadding,
                             formInset);
    form->setSpacing(18);
    form->addWidget(new SignInBadge(parentBuild ? QStringLiteral("person.2.badge.gearshape.fill")
                                                : QStringLiteral("star.circle.fill"),
                                    loginView_),
                    0, Qt::AlignHCenter);
    auto* caption = new TextLabel(
        QStringLiteral("Версия: ") + (parentBuild ? QStringLiteral("Родитель") : QStringLiteral("Ребёнок")),
        TextStyle::Title, ColorRole::Label, loginView_);
    caption->setTextStyle(TextStyle::Title, QFont::Black);
    caption->setAlignment(Qt::AlignHCenter);
    caption->setObjectName(QStringLiteral("versionCaption"));
    form->addWidget(caption);
    auto* hint = new TextLabel(QStringLiteral("Войдите в аккаунт с сайта ") + signInHost(), TextStyle::Body,
                               ColorRole::SecondaryLabel, loginView_);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignHCenter);
    hint->setObjectName(QStringLiteral("signInHint"));
    form->addWidget(hint);

    email_ = new QLineEdit(loginView_);
    email_->setObjectName(QStringLiteral("emailField"));
    email_->setPlaceholderText(QStringLiteral("Электронная почта"));
    email_->setAccessibleName(QStringLiteral("Электронная почта"));
    email_->setInputMethodHints(Qt::ImhEmailCharactersOnly | Qt::ImhNoAutoUppercase);
    form->addWidget(email_);
    password_ = new QLineEdit(loginView_);
    password_->setObjectName(QStringLiteral("passwordField"));
    password_->setPlaceholderText(QStringLiteral("Пароль"));
    password_->setAccessibleName(QStringLiteral("Пароль"));
    password_->setEchoMode(QLineEdit::Password);
    form->addWidget(password_);

    error_ = new TextLabel({}, TextStyle::Footnote, ColorRole::Red, loginView_);
    error_->setWordWrap(true);
    error_->setObjectName(QStringLiteral("signInError"));
    form->addWidget(error_);

    signIn_ = new Button(QStringLiteral("Войти"), Button::Style::BorderedProminent, {}, loginView_);
    signIn_->setObjectName(QStringLiteral("signInButton"));
    signIn_->setTextStyle(TextStyle::Body, QFont::Bold);
    signIn_->setFullWidth(true);
    signIn_->setControlSize(Button::Size::Large);
    signIn_->setTint(QColor(Qt::black));
    signIn_->setLabelColor(Qt::white);
    form->addWidget(signIn_);
    form->addStretch(1);
    scroll->addWidget(loginView_);
    containerLayout->addWidget(scroll);
    setContent(container);

    connect(email_, &QLineEdit::textChanged, this, &FamilyAccountView::updateForm);
    connect(password_, &QLineEdit::textChanged, this, &FamilyAccountView::updateForm);
    connect(password_, &QLineEdit::returnPressed, this, &FamilyAccountView::startSignIn);
    connect(signIn_, &QAbstractButton::clicked, this, &FamilyAccountView::startSignIn);

    // "Язык и валюта": two pickers whose rows write the preferences. The
    // lists are long (hundreds of currencies), so each opens as a list sheet.
    menuButton_ = addToolbarButton(QStringLiteral("Язык и валюта"), QStringLiteral("globe"),
                                   ToolbarPlacement::Trailing);
    menuButton_->setObjectName(QStringLiteral("preferencesMenuButton"));
    menu_ = new QMenu(QStringLiteral("Язык и валюта"), this);
    menu_->setObjectName(QStringLiteral("preferencesMenu"));
    currencyAction_ =
        menu_->addAction(Symbols::menuIcon(QStringLiteral("banknote")), QStringLiteral("Валюта"));
    currencyAction_->setObjectName(QStringLiteral("currencyPickerAction"));
    connect(currencyAction_, &QAction::triggered, this, &FamilyAccountView::showCurrencyPicker);
    languageAction_ =
        menu_->addAction(Symbols::menuIcon(QStringLiteral("globe")), QStringLiteral("Язык"));
    languageAction_->setObjectName(QStringLiteral("languagePickerAction"));
    connect(languageAction_, &QAction::triggered, this, &FamilyAccountView::showLanguagePicker);
    connect(menuButton_, &QAbstractButton::clicked, this, [this] {
        updateMenuRows();
        menu_->popup(menuButton_->mapToGlobal(
            QPoint(menuButton_->width() - menu_->sizeHint().width(), menuButton_->height())));
    });

    // The parent center's own menu, beside it: reload, or sign out at once.
    if (parentBuild) {
        centerMenuButton_ = addToolbarButton(QStringLiteral("Ещё"), QStringLiteral("ellipsis.circle.fill"),
                                             ToolbarPlacement::Trailing);
        centerMenuButton_->setObjectName(QStringLiteral("centerMenuButton"));
        centerMenu_ = new QMenu(this);
        centerMenu_->setObjectName(QStringLiteral("centerMenu"));
        refreshAction_ = centerMenu_->addAction(Symbols::menuIcon(QStringLiteral("arrow.clockwise")),
                                                QStringLiteral("Обновить"));
        refreshAction_->setObjectName(QStringLiteral("refreshAction"));
        connect(refreshAction_, &QAction::triggered, this,
                [this] { ParentFamilyView::refreshQuietly(&account_); });
        signOutAction_ =
            centerMenu_->addAction(Symbols::icon(QStringLiteral("rectangle.portrait.and.arrow.right"), ColorRole::Red),
                                   QStringLiteral("Выйти"));
        signOutAction_->setObjectName(QStringLiteral("signOutAction"));
        Popups::setDestructive(signOutAction_);
        connect(signOutAction_, &QAction::triggered, this, [this] { account_.logout(); });
        connect(centerMenuButton_, &QAbstractButton::clicked, this, [this] {
            centerMenu_->popup(centerMenuButton_->mapToGlobal(QPoint(
                centerMenuButton_->width() - centerMenu_->sizeHint().width(), centerMenuButton_->height())));
        });
    }

    currencyCode_ = storedCurrency();
    languageCode_ = storedLanguage();
    connect(&Preferences::standard(), &Preferences::changed, this, &FamilyAccountView::preferenceChanged);

    // Each time the page comes on screen (also when its tab is chosen again).
    connect(this, &NavigationPage::appeared, this, [this] { account_.restore(); });
    connect(&account_, &AccountSession::changed, this, &FamilyAccountView::redraw);
    redraw();
}

QString FamilyAccountView::signInHost() const {
    const QString host = account_.baseURL().host();
    return host.isEmpty() ? account_.baseURL().toString() : host;
}

bool FamilyAccountView::canSignIn(const QString& email, const QString& password, bool busy) {
    return !email.isEmpty() && characterCount(password) >= 8 && !busy;
}

void FamilyAccountView::redraw() {
    const bool signedIn = account_.user().has_value();
    const AppAccountRole role = AppAccountRole::build();
    if (signedIn && !familyView_) {
        const FamilyScreen screen = familyScreenFor(role, account_, services_);
        familyView_ = screen.screen;
        familyBody_ = screen.body;
        content()->layout()->addWidget(familyView_);
    } else if (!signedIn && familyView_) {
        // The large title leaves the family screen's body before it goes.
        setScrollingBody(loginScroll_);
        familyBody_ = nullptr;
        familyView_->hide();
        familyView_->deleteLater();  // a sign-out may come from inside it
        familyView_ = nullptr;
    }
    loginScroll_->setVisible(!signedIn);
    setScrollingBody(familyView_ ? familyBody_ : loginScroll_);
    if (familyView_) familyView_->setVisible(signedIn);
    menuButton_->setVisible(signedIn);
    if (centerMenuButton_) centerMenuButton_->setVisible(signedIn);
    if (!signedIn) {
        menu_->hide();
        if (centerMenu_) centerMenu_->hide();
        if (Sheet* sheet = picker_ ? Sheet::of(picker_) : nullptr) sheet->dismiss();
    }

    QString title = role == AppAccountRole::parent ? QStringLiteral("Семья") : QStringLiteral("Мои задания");
    if (familyView_ && !familyView_->windowTitle().isEmpty()) title = familyView_->windowTitle();
    setTitle(title);
    updateForm();
}

void FamilyAccountView::updateForm() {
    const auto& message = account_.errorMessage();
    error_->setText(message.value_or(QString()));
    error_->setVisible(message.has_value());
    signIn_->setText(account_.isBusy() ? QStringLiteral("Входим…") : QStringLiteral("Войти"));
    signIn_->setAccessibleName(signIn_->text());
    signIn_->setEnabled(canSignIn(email_->text(), password_->text(), account_.isBusy()));
}

void FamilyAccountView::startSignIn() {
    if (!signIn_->isEnabled()) return;
    // Sent exactly as typed: no trimming, no change of case.
    account_.login(email_->text(), password_->text());
}

void FamilyAccountView::updateMenuRows() {
    // Each row shows its current choice at the trailing edge.
    currencyAction_->setText(QStringLiteral("Валюта\t") + storedCurrency());
    languageAction_->setText(QStringLiteral("Язык\t") + PickerTitles::language(storedLanguage()));
}

ListPickerSheet* FamilyAccountView::showCurrencyPicker() {
    // An unknown stored code (written by the server) checks no row.
    return showPicker(QStringLiteral("Валюта"), kCurrencyKey, currencyPickerEntries(), storedCurrency());
}

ListPickerSheet* FamilyAccountView::showLanguagePicker() {
    return showPicker(QStringLiteral("Язык"), kLanguageKey, languagePickerEntries(), storedLanguage());
}

ListPickerSheet* FamilyAccountView::showPicker(const QString& title, const QString& key,
                                               const QList<ListPickerEntry>& rows, const QString& current) {
    picker_ = ListPickerSheet::present(this, title, rows, current);
    connect(picker_, &ListPickerSheet::picked, this,
            [this, key](const QString& value) { choose(key, value); });
    return picker_;
}

void FamilyAccountView::choose(const QString& key, const QString& value) {
    Preferences::standard().setValue(key, value);
}

void FamilyAccountView::preferenceChanged(const QString& key) {
    // Any writer counts (the pickers, the settings screen, a refresh from the
    // server), but only a value that differs from the one last seen.
    if (key == kCurrencyKey) {
        const QString value = storedCurrency();
        if (value == currencyCode_) return;
        currencyCode_ = value;
        syncPreferences();
    } else if (key == kLanguageKey) {
        const QString value = storedLanguage();
        if (value == languageCode_) return;
        languageCode_ = value;
        syncPreferences();
    }
}

void FamilyAccountView::syncPreferences() {
    if (!account_.user()) return;
    // Sends the values stored when it runs, so two quick changes send the latest twice.
    AccountSession* account = &account_;
    QTimer::singleShot(0, account,
                       [account] { account->updatePreferences(storedCurrency(), storedLanguage()); });
}
