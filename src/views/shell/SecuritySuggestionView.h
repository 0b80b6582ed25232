#pragma once

#include <QWidget>

#include "components/Theme.h"

class Button;

// The card over the root view that suggests a code while none exists.
// Buttons: "suggestionCreateButton", "suggestionLaterButton".
class SecuritySuggestionView : public QWidget {
    Q_OBJECT
public:
    explicit SecuritySuggestionView(QWidget* parent = nullptr);
    Button* createButton() const { return create_; }
    Button* laterButton() const { return later_; }
    QWidget* card() const { return card_; }

    // The card's surface: the system background. On the dark appearance that
    // is black, which vanishes against the dimmed backdrop, so the card takes
    // the raised variant of the same background there.
    static QColor cardColor(ColorScheme scheme);

signals:
    void createPasscode();
    void continueWithoutPasscode();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Button* create_;
    Button* later_;
    QWidget* card_;
};
