#pragma once

#include <QAbstractButton>
#include <QList>
#include <QString>
#include <QWidget>

class PasscodeDots;
class QVBoxLayout;
class TextLabel;

// One key of the keypad: a digit ("0" to "9") or delete (empty digit).
struct PasscodeKey {
    QString digit;
    bool isDelete() const { return digit.isEmpty(); }
    static PasscodeKey deleteKey() { return {}; }
    bool operator==(const PasscodeKey&) const = default;
};

// The dark canvas shared by the unlock screen and the setup sheet: lock badge,
// title, subtitle (red while an error shows), four dots and the keypad. Keys
// are buttons named "passcodeKey_<digit>" and "passcodeDelete"; the digits and
// Backspace of the keyboard press them too.
class PasscodeCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PasscodeCanvas(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setSubtitle(const QString& subtitle, bool isError);
    void setLength(int length);
    // A control under the subtitle, owned by the canvas from then on.
    void addBelowSubtitle(QWidget* widget);

    QString title() const;
    QString subtitle() const;
    bool isError() const { return isError_; }
    int length() const;
    QAbstractButton* key(const QString& digit) const;  // "0".."9"
    QAbstractButton* deleteKey() const { return delete_; }
    TextLabel* titleLabel() const { return title_; }
    TextLabel* subtitleLabel() const { return subtitle_; }

signals:
    void keyPressed(const PasscodeKey& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitTitle();

    TextLabel* title_;
    TextLabel* subtitle_;
    QVBoxLayout* texts_;
    PasscodeDots* dots_;
    QList<QAbstractButton*> keys_;
    QAbstractButton* delete_;
    bool isError_ = false;
};
