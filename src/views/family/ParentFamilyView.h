#pragma once

#include <QCoroTask>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "account/FamilyRecords.h"
#include "components/Overlays.h"

class AccountSession;
class QrCodeScannerFactory;
class Chip;
class ChipRow;
class EmptyFamilyCard;
class FamilyConnectionCard;
class LazyColumn;
class PageBody;
class PullToRefresh;
class TaskBoard;
class TaskComposer;
class TextLabel;
class TileButton;

// The parent center, shown in the family tab once a parent is signed in:
// the family's figures, the session's last error, the child chips, the
// composer and the board (or the empty-family card while there is no child),
// the connection card and the link to the feature center, in one lazy column
// (the last two built once scrolled near, which a long board puts off). Everything shown
// comes from the session and is redrawn part by part from its signals; the
// typed texts, the chosen child, the filters and the scroll position live as
// long as the page. Scanned codes go to the invite claim when they name
// "family/parent", otherwise to the pairing claim.
class ParentFamilyView : public QWidget {
    Q_OBJECT
public:
    // `scanners` makes a fresh camera scanner for each scanner sheet.
    ParentFamilyView(AccountSession& account, QrCodeScannerFactory& scanners, QWidget* parent = nullptr);
    ~ParentFamilyView() override;

    // Reloads the family and drops a failure (pull, "Обновить").
    static QCoro::Task<> refreshQuietly(AccountSession* account);

    QList<FamilyMember> children() const;
    QList<FamilyMember> parents() const;
    // Keeps the composer's child one of the family's children.
    void selectFirstChildIfNeeded();
    QString childFilter() const { return childFilter_; }

    // Opens the scanner sheet, as both scan buttons do.
    void presentScanner();
    // The scanner's two answers.
    void scanned(const QString& code);
    void scannerFailed(const QString& message);

    // For tests and benchmarks.
    PageBody* body() const { return body_; }
    PullToRefresh* pullToRefresh() const { return pull_; }
    QList<TextLabel*> figures() const { return figures_; }
    QWidget* errorBanner() const { return banner_; }
    TextLabel* errorLabel() const { return bannerText_; }
    QWidget* childSelector() const { return selector_; }
    QList<Chip*> childChips() const { return childChips_; }
    TaskComposer* composer() const { return composer_; }
    TaskBoard* board() const { return board_; }
    // Built now if not yet scrolled to (a scanned code lands in the card).
    FamilyConnectionCard* connectionCard();
    EmptyFamilyCard* emptyFamilyCard() const { return empty_; }
    TileButton* featureCenterLink();
    LazyColumn* cards() const { return cards_; }
    Sheet* scannerSheet() const { return scanner_; }
    Alert* scannerAlert() const { return alert_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void addCardsBelowTheBoard();
    void drawMembers();
    void drawError();
    void drawReviewFigure();
    void drawChildChips(const QList<FamilyMember>& children);
    void setChildFilter(const QString& id);
    QCoro::Task<> claimScanned(QString code);

    AccountSession& account_;
    QrCodeScannerFactory& scanners_;
    PageBody* body_;
    PullToRefresh* pull_;
    QList<TextLabel*> figures_;
    QWidget* banner_;
    TextLabel* bannerText_;
    QWidget* selector_;
    ChipRow* chipRow_;
    QList<Chip*> childChips_;
    TaskComposer* composer_;
    TaskBoard* board_;
    EmptyFamilyCard* empty_;
    LazyColumn* cards_;
    int connectionIndex_ = -1;
    int featureLinkIndex_ = -1;
    QPointer<Sheet> scanner_;
    QPointer<Alert> alert_;
    QString childFilter_;
    QStringList childIds_;
    QList<FamilyMember> shownChildren_;
};
