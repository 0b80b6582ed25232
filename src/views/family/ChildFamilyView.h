#pragma once

#include <QCoroTask>
#include <QSet>
#include <QWidget>

class AccountSession;
class Button;
class ChildTaskList;
class ContentUnavailableView;
class EditorSection;
class PageBody;
class PullToRefresh;
class QrImageView;
class TextLabel;

// The child's family screen, shown in the family tab once a child is signed
// in: the pairing card whose QR code a parent scans, the money tasks with
// "Готово" on the active ones, and "Выйти". Everything shown comes from the
// session and the "currencyCode" preference and is redrawn from their change
// signals, part by part: the rows are kept by task id, and a flip of a busy
// flag or of the message touches only what shows it. Pull to refresh reloads
// the family; its failure shows nothing.
class ChildFamilyView : public QWidget {
    Q_OBJECT
public:
    explicit ChildFamilyView(AccountSession& account, QWidget* parent = nullptr);

    // For tests and benchmarks.
    PageBody* body() const { return body_; }
    PullToRefresh* pullToRefresh() const { return pull_; }
    QrImageView* qrView() const { return qrView_; }
    QWidget* qrBlock() const { return qrBlock_; }
    QWidget* creatingRow() const { return creatingRow_; }
    ContentUnavailableView* pairingPlaceholder() const { return pairingPlaceholder_; }
    TextLabel* errorLabel() const { return error_; }
    Button* createButton() const { return create_; }
    ContentUnavailableView* tasksPlaceholder() const { return tasksPlaceholder_; }
    ContentUnavailableView* tasksNotLoadedPlaceholder() const { return tasksNotLoaded_; }
    ChildTaskList* taskList() const { return tasks_; }
    Button* signOutButton() const { return signOut_; }

private:
    void drawPairing();
    void drawError();
    void drawTasks();
    QCoro::Task<> complete(QString taskId);

    AccountSession& account_;
    PageBody* body_;
    PullToRefresh* pull_;
    EditorSection* pairingSection_;
    QWidget* qrBlock_;
    QrImageView* qrView_;
    QWidget* creatingRow_;
    ContentUnavailableView* pairingPlaceholder_;
    TextLabel* error_;
    Button* create_;
    ContentUnavailableView* tasksPlaceholder_;
    ContentUnavailableView* tasksNotLoaded_;
    ChildTaskList* tasks_;
    Button* signOut_;
    // Tasks whose "complete" is being sent.
    QSet<QString> acting_;
};
