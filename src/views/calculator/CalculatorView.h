#pragma once

#include <QList>
#include <QString>
#include <array>
#include <optional>

#include "calculator/CalculatorEngine.h"
#include "components/NavigationStack.h"
#include "views/calculator/CalculatorHistoryView.h"

class Haptics;
class QAbstractButton;
class QStackedWidget;
class SegmentedControl;
class TextLabel;

// The keypad's keys, in its order (four a row).
// clang-format off
enum class CalculatorKey {
    clear, open, close, backspace,
    seven, eight, nine, divide,
    four, five, six, multiply,
    one, two, three, subtract,
    zero, decimal, equals, add,
};
// clang-format on

enum class CalculatorSection { calculator, history };

// The "Калькулятор" tab: a display, a memory row and a keypad that build an
// expression as text, evaluated in double precision by CalculatorEngine, and
// the last twenty results. Everything lives as long as the view; nothing is
// stored and the ledger is never touched. Keypad presses (typed keys too)
// play the selection haptic while "hapticsEnabled" is on; the memory row
// never does.
class CalculatorView : public NavigationPage {
    Q_OBJECT
public:
    static constexpr int kMaxTypedLength = 30;
    static constexpr int kHistoryLength = 20;

    explicit CalculatorView(Haptics& haptics, QWidget* parent = nullptr);

    static const std::array<CalculatorKey, 20>& keys();
    // The key's face, which is also the text it appends.
    static QString face(CalculatorKey key);
    // What a screen reader says for the key.
    static QString accessibilityLabel(CalculatorKey key);
    // What "±" and "%" show: the text "=" would show (CalculatorEngine::formatResult)
    // when it reads back as the value, sign included, else the "%g" form
    // (1e-09, -0), as many digits as the value needs.
    static QString formatSignOrPercent(double value);

    void press(CalculatorKey key);
    void append(const QString& text);
    void calculate();
    // "±" and "%": act only when the whole display is one decimal number.
    void toggleSign();
    void percent();
    void memoryClear();
    void memoryRecall();
    void memoryAdd();

    QString display() const { return display_; }
    bool resultIsShown() const { return resultIsShown_; }
    QString memory() const { return memory_; }
    int feedbackCounter() const { return feedbackCounter_; }
    const QList<CalculationHistoryItem>& history() const { return history_; }
    CalculatorSection selectedSection() const { return section_; }
    void selectSection(CalculatorSection section);

    QAbstractButton* keyButton(CalculatorKey key) const;
    TextLabel* displayLabel() const { return displayLabel_; }
    TextLabel* currencyCaption() const { return caption_; }
    CalculatorHistoryView* historyView() const { return historyView_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildCalculatorSection();
    QWidget* buildDisplayCard();
    QWidget* buildMemoryRow();
    QWidget* buildKeypad();
    void showDisplay();
    void drawCaption();
    void showResult(const QString& text);
    void applyToNumber(double (*change)(double));
    static std::optional<CalculatorKey> keyFor(const QKeyEvent& event);

    Haptics& haptics_;
    CalculatorEngine engine_;
    QString display_ = QStringLiteral("0");
    bool resultIsShown_ = false;
    int feedbackCounter_ = 0;
    QString memory_ = QStringLiteral("0");
    CalculatorSection section_ = CalculatorSection::calculator;
    QList<CalculationHistoryItem> history_;

    SegmentedControl* sectionPicker_ = nullptr;
    QStackedWidget* sections_ = nullptr;
    TextLabel* caption_ = nullptr;
    TextLabel* displayLabel_ = nullptr;
    std::array<QAbstractButton*, 20> keyButtons_{};
    CalculatorHistoryView* historyView_ = nullptr;
};
