#pragma once

#include <QCoroTask>
#include <QList>
#include <QWidget>
#include <optional>

#include "account/FamilyRecords.h"
#include "components/Card.h"

class AccountSession;
class QActionGroup;
class Button;
class QLineEdit;
class QMenu;
class Spinner;
class TextLabel;
class TileButton;

// "Новое задание": the quick-start titles, the title, the child and the
// reward, sent to the chosen child with "Отправить ребёнку". Its fields live
// as long as the parent center; a successful send clears only the title.
class TaskComposer : public Card {
    Q_OBJECT
public:
    static const QStringList& templates();

    explicit TaskComposer(AccountSession& account, QWidget* parent = nullptr);

    // The family's children, in the picker's order (the choice is left alone).
    void setChildren(const QList<FamilyMember>& children);
    QString childId() const { return childId_; }
    void setChildId(const QString& id);
    bool isCreatingTask() const { return creating_; }

    // The reward typed, in currency units: "," read as ".", then the whole
    // text by the C library's rules in the "C" locale, whatever the process's
    // own; a text that does not read to its end, or begins with a blank, is 0.
    static double rewardFromText(const QString& text);

    // Sends the composed task (nothing without a title or a child).
    void createTask();

    // For tests.
    QLineEdit* titleField() const { return title_; }
    QLineEdit* rewardField() const { return reward_; }
    TextLabel* currencyLabel() const { return currency_; }
    TileButton* childPicker() const { return picker_; }
    TextLabel* childPickerLabel() const { return pickerLabel_; }
    QMenu* childMenu() const { return menu_; }
    Button* sendButton() const { return send_; }
    QList<Button*> quickStartButtons() const { return quickStart_; }

private:
    void updateSend();
    void drawCurrency();
    void drawChild();
    QCoro::Task<> send(QString title, double reward, QString childId, QString key);

    AccountSession& account_;
    QLineEdit* title_;
    QLineEdit* reward_;
    TextLabel* currency_;
    TileButton* picker_;
    TextLabel* pickerLabel_;
    QMenu* menu_;
    QActionGroup* childGroup_;
    Button* send_;
    Spinner* spinner_;
    QList<Button*> quickStart_;
    QList<FamilyMember> children_;
    QString childId_;
    bool creating_ = false;
    // The draft whose "Idempotency-Key" is kept until it is sent successfully:
    // sending the same draft again (after a time-out, say) repeats the key, so
    // the server stores that task once; any other draft gets a new key.
    struct Draft {
        QString title;
        double reward = 0;
        QString childId;
        bool operator==(const Draft&) const = default;
    };
    std::optional<Draft> keyedDraft_;
    QString idempotencyKey_;
};
