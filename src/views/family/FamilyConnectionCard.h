#pragma once

#include <QCoroTask>

#include "components/Card.h"

class AccountSession;
class Button;
class DisclosureGroup;
class QLineEdit;
class QrImageView;
class SymbolLabel;
class TextLabel;

// "Большая семья": the family's size, the scanner, the second parent's
// invite (its QR code, or the dual-approval note from two parents) and the
// code typed or pasted by hand, which always goes to the child pairing claim.
class FamilyConnectionCard : public Card {
    Q_OBJECT
public:
    explicit FamilyConnectionCard(AccountSession& account, QWidget* parent = nullptr);

    void setFamilySize(int parents, int children);
    // A scanned code lands in the manual field.
    void setPairingCode(const QString& code);

    // For tests.
    TextLabel* sizeLabel() const { return size_; }
    Button* scanButton() const { return scan_; }
    QWidget* inviteBlock() const { return inviteBlock_; }
    QrImageView* inviteQr() const { return inviteQr_; }
    Button* inviteButton() const { return invite_; }
    SymbolLabel* dualApprovalLabel() const { return dualApproval_; }
    DisclosureGroup* manualCode() const { return manual_; }
    QLineEdit* codeField() const { return code_; }
    Button* claimButton() const { return claim_; }

signals:
    void scanRequested();

private:
    void drawInvite();
    void updateClaim();
    QCoro::Task<> sendClaim(QString code);

    AccountSession& account_;
    TextLabel* size_;
    Button* scan_;
    QWidget* inviteBlock_;
    QrImageView* inviteQr_;
    Button* invite_;
    SymbolLabel* dualApproval_;
    DisclosureGroup* manual_;
    QLineEdit* code_;
    Button* claim_;
    int parents_ = 0;
    bool claiming_ = false;
};

// Stands in for the child selector, composer and board while the family has
// no child: how to add the first one, and "Открыть сканер".
class EmptyFamilyCard : public Card {
    Q_OBJECT
public:
    explicit EmptyFamilyCard(QWidget* parent = nullptr);
    Button* scanButton() const { return scan_; }

signals:
    void scanRequested();

private:
    Button* scan_;
};
