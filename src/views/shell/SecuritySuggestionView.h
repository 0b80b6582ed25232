#pragma once

#include <QWidget>

class Button;

// The card over the root view that suggests a code while none exists.
// Buttons: "suggestionCreateButton", "suggestionLaterButton".
class SecuritySuggestionView : public QWidget {
    Q_OBJECT
public:
    explicit SecuritySuggestionView(QWidget* parent = nullptr);
    Button* createButton() const { return create_; }
    Button* laterButton() const { return later_; }

signals:
    void createPasscode();
    void continueWithoutPasscode();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Button* create_;
    Button* later_;
};
