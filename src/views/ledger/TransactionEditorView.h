#pragma once

#include <QByteArray>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "models/MoneyModels.h"
#include "services/ReceiptStore.h"
#include "views/ledger/TransactionFormParts.h"

class Button;
class EditorSection;
class MoneyStore;
class NavigationPage;
class PhotoPicker;
class QDateTimeEdit;
class QLineEdit;
class ReceiptImageView;
class ReceiptPhotoView;
class SegmentedControl;
class ToggleRow;

// The sheet that changes one existing transaction. It edits a copy taken when
// it is built: "Сохранить" writes the changed copy back (after storing a newly
// picked receipt photo), "Создать копию" has the store duplicate the stored
// transaction, and both close the sheet, as "Отмена" does. Nothing here reads
// the store's state, so a store change never disturbs what is being typed.
//
//   Sheet::present(this, new TransactionEditorView(store, transaction, services.photos));
class TransactionEditorView : public QWidget {
    Q_OBJECT
public:
    TransactionEditorView(MoneyStore& store, MoneyTransaction transaction, PhotoPicker& photos,
                          QWidget* parent = nullptr);
    ~TransactionEditorView() override;

    const MoneyTransaction& transaction() const { return transaction_; }

    // The amount text and a category that is not blank.
    bool canSave() const;
    // Writes the edited copy and closes; an invalid amount does nothing.
    void save();
    // Has the store copy the stored transaction (not the edits) and closes.
    void duplicate();
    // Closes without saving.
    void cancel();

    // The newly picked photo's bytes, while there is one.
    const std::optional<QByteArray>& replacementReceiptData() const { return replacementReceiptData_; }

    // Widgets, for the screens' tests.
    NavigationPage* page() const { return page_; }
    Button* saveButton() const { return saveButton_; }
    Button* cancelButton() const { return cancelButton_; }
    SegmentedControl* kindPicker() const { return kindPicker_; }
    QLineEdit* amountField() const { return amountField_; }
    QLineEdit* categoryField() const { return categoryField_; }
    QLineEdit* noteField() const { return noteField_; }
    QLineEdit* walletField() const { return walletField_; }
    QLineEdit* tagsField() const { return tagsField_; }
    QDateTimeEdit* datePicker() const { return datePicker_; }
    ToggleRow* favoriteRow() const { return favoriteRow_; }
    Button* receiptPickerButton() const { return receiptButton_; }
    ReceiptPhotoView* replacementPreview() const { return preview_; }
    // The stored receipt's view; null when the transaction has none.
    ReceiptImageView* storedReceiptView() const { return storedReceipt_; }
    Button* duplicateButton() const { return duplicateButton_; }

signals:
    // Emitted as the editor closes, before its sheet (if any) is dismissed.
    void closeRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildForm();
    void updateSaveEnabled();
    void pickReceipt();
    void setReplacementReceipt(std::optional<QByteArray> bytes);
    void updateReceiptArea();
    void close();

    MoneyStore& store_;
    MoneyTransaction transaction_;
    ReceiptStore receipts_;
    transaction_form::ReceiptPhotoRequest receiptRequest_;

    TransactionKind kind_;
    QDateTime date_;  // UTC; the picker only replaces it when the user edits it
    std::optional<QByteArray> replacementReceiptData_;
    QImage replacementImage_;
    bool shownOnce_ = false;

    NavigationPage* page_ = nullptr;
    Button* saveButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    SegmentedControl* kindPicker_ = nullptr;
    QLineEdit* amountField_ = nullptr;
    QLineEdit* categoryField_ = nullptr;
    QLineEdit* noteField_ = nullptr;
    QLineEdit* walletField_ = nullptr;
    QLineEdit* tagsField_ = nullptr;
    QDateTimeEdit* datePicker_ = nullptr;
    ToggleRow* favoriteRow_ = nullptr;
    Button* receiptButton_ = nullptr;
    ReceiptPhotoView* preview_ = nullptr;
    ReceiptImageView* storedReceipt_ = nullptr;
    EditorSection* fields_ = nullptr;
    Button* duplicateButton_ = nullptr;
};
