#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QStringList>
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
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class ReceiptPhotoView;
class SegmentedControl;
class TextLabel;
class ToggleRow;

// The sheet that records one new income or expense by hand. It keeps only its
// editing state: "Сохранить" stores a picked receipt photo, adds the
// transaction to the store and closes; "Отмена" closes and keeps nothing. The
// category list follows the store's custom categories on every change without
// disturbing the fields being typed into.
//
//   Sheet::present(this, new AddTransactionView(store, TransactionKind::expense, services.photos));
class AddTransactionView : public QWidget {
    Q_OBJECT
public:
    AddTransactionView(MoneyStore& store, TransactionKind initialKind, PhotoPicker& photos,
                       QWidget* parent = nullptr);
    ~AddTransactionView() override;

    // The built-in categories of a kind, in order.
    static QStringList categories(TransactionKind kind);
    // The wallets the form offers, in order.
    static QStringList wallets();

    // The built-in categories of the current kind, then the kind's custom
    // categories except those spelled exactly like a built-in one.
    QStringList availableCategories() const;

    TransactionKind kind() const { return kind_; }
    QString category() const { return category_; }
    QDateTime date() const { return date_; }
    bool isAddingCustomCategory() const { return addingCustomCategory_; }
    const std::optional<QByteArray>& receiptData() const { return receiptData_; }

    // The amount text parses and is above zero.
    bool canSave() const;
    // Adds the transaction and closes; an invalid amount does nothing.
    void save();
    // Closes without adding anything.
    void cancel();

    // Widgets, for the screens' tests.
    NavigationPage* page() const { return page_; }
    Button* saveButton() const { return saveButton_; }
    Button* cancelButton() const { return cancelButton_; }
    SegmentedControl* kindPicker() const { return kindPicker_; }
    TextLabel* currencySign() const { return currencySign_; }
    QLineEdit* amountField() const { return amountField_; }
    QComboBox* categoryPicker() const { return categoryPicker_; }
    Button* customCategoryButton() const { return customButton_; }
    QLineEdit* customCategoryField() const { return customField_; }
    Button* addCustomCategoryButton() const { return customAddButton_; }
    QLineEdit* noteField() const { return noteField_; }
    QComboBox* walletPicker() const { return walletPicker_; }
    QLineEdit* tagsField() const { return tagsField_; }
    ToggleRow* favoriteRow() const { return favoriteRow_; }
    Button* receiptPickerButton() const { return receiptButton_; }
    ReceiptPhotoView* receiptPreview() const { return preview_; }
    QDateTimeEdit* datePicker() const { return datePicker_; }

signals:
    // Emitted as the form closes, before its sheet (if any) is dismissed.
    void closeRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildForm();
    void setKind(TransactionKind kind);
    void refreshCategories();
    void setAddingCustomCategory(bool adding);
    void addCustomCategory();
    void updateSaveEnabled();
    void pickReceipt();
    void setReceiptData(std::optional<QByteArray> bytes);
    void close();

    MoneyStore& store_;
    ReceiptStore receipts_;
    transaction_form::ReceiptPhotoRequest receiptRequest_;

    TransactionKind kind_;
    QString category_;
    QDateTime date_;  // UTC; the picker only replaces it when the user edits it
    bool addingCustomCategory_ = false;
    std::optional<QByteArray> receiptData_;
    bool shownOnce_ = false;

    NavigationPage* page_ = nullptr;
    Button* saveButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    SegmentedControl* kindPicker_ = nullptr;
    TextLabel* currencySign_ = nullptr;
    QLineEdit* amountField_ = nullptr;
    EditorSection* details_ = nullptr;
    QComboBox* categoryPicker_ = nullptr;
    Button* customButton_ = nullptr;
    QWidget* customRow_ = nullptr;
    QLineEdit* customField_ = nullptr;
    Button* customAddButton_ = nullptr;
    QLineEdit* noteField_ = nullptr;
    QComboBox* walletPicker_ = nullptr;
    QLineEdit* tagsField_ = nullptr;
    ToggleRow* favoriteRow_ = nullptr;
    Button* receiptButton_ = nullptr;
    ReceiptPhotoView* preview_ = nullptr;
    QDateTimeEdit* datePicker_ = nullptr;
};
