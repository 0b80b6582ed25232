#include "views/calculator/CalculatorView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>

#include "components/Button.h"
#include "components/Card.h"
#include "components/PageBody.h"
#include "components/SegmentedControl.h"
#include "components/TextLabel.h"
#include "components/TileButton.h"
#include "platform/Haptics.h"
#include "services/GlobalPreferences.h"
#include "services/Preferences.h"
#include "views/calculator/CalculatorStyle.h"

namespace style = calculator_style;

namespace {

enum class KeyRole { digit, operation, control, bracket, equals };

struct KeyInfo {
    CalculatorKey key;
    const char* name;  // of the button: "calculatorKey_<name>"
    const char* face;
    const char* label;
    KeyRole role;
};

// clang-format off
constexpr std::array<KeyInfo, 20> kKeys = {{
    {CalculatorKey::clear, "clear", "C", "Очистить", KeyRole::control},
    {CalculatorKey::open, "open", "(", "Открывающая скобка", KeyRole::bracket},
    {CalculatorKey::close, "close", ")", "Закрывающая скобка", KeyRole::bracket},
    {CalculatorKey::backspace, "backspace", "⌫", "Удалить последний символ", KeyRole::control},
    {CalculatorKey::seven, "seven", "7", "7", KeyRole::digit},
    {CalculatorKey::eight, "eight", "8", "8", KeyRole::digit},
    {CalculatorKey::nine, "nine", "9", "9", KeyRole::digit},
    {CalculatorKey::divide, "divide", "÷", "Разделить", KeyRole::operation},
    {CalculatorKey::four, "four", "4", "4", KeyRole::digit},
    {CalculatorKey::five, "five", "5", "5", KeyRole::digit},
    {CalculatorKey::six, "six", "6", "6", KeyRole::digit},
    {CalculatorKey::multiply, "multiply", "×", "Умножить", KeyRole::operation},
    {CalculatorKey::one, "one", "1", "1", KeyRole::digit},
    {CalculatorKey::two, "two", "2", "2", KeyRole::digit},
    {CalculatorKey::three, "three", "3", "3", KeyRole::digit},
    {CalculatorKey::subtract, "subtract", "−", "Вычесть", KeyRole::operation},
    {CalculatorKey::zero, "zero", "0", "0", KeyRole::digit},
    {CalculatorKey::decimal, "decimal", ".", "Десятичная точка", KeyRole::digit},
    {CalculatorKey::equals, "equals", "=", "Равно", KeyRole::equals},
    {CalculatorKey::add, "add", "+", "Прибавить", KeyRole::operation},
}};
// clang-format on

const KeyInfo& info(CalculatorKey key) { return kKeys[static_cast<std::size_t>(key)]; }

// The operators of the input rules: the keypad's own symbols ("-" is not one).
bool isOperator(const QString& text) {
    return text == QStringView(u"+") || text == QStringView(u"−") || text == QStringView(u"×") ||
           text == QStringView(u"÷");
}

// The whole text as one decimal number ("-12.5", "5.", ".5"), read in the C
// locale; nothing else (an expression, "Ошибка", "inf").
std::optional<double> decimalNumber(const QString& text) {
    const QByteArray latin = text.toLatin1();  // anything beyond Latin-1 becomes "?" and fails
    const char* first = latin.constData();
    const char* last = first + latin.size();
    const char* body = first + (first != last && *first == '-');
    if (body == last || !((*body >= '0' && *body <= '9') || *body == '.')) return std::nullopt;
    double value = 0;
    // Exponent forms too: "±" and "%" show them for the values below.
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || end != last) return std::nullopt;
    return value;
}

QAbstractButton* makeKeyButton(const KeyInfo& key) {
    ColorRole fill = ColorRole::SecondaryGroupedBackground;
    ColorRole text = ColorRole::Label;
    qreal opacity = 1.0;
    switch (key.role) {
        case KeyRole::digit:
            break;
        case KeyRole::operation:
            fill = text = ColorRole::Teal;
            opacity = style::operatorFillOpacity;
            break;
        case KeyRole::control:
            fill = text = ColorRole::Orange;
            opacity = style::controlFillOpacity;
            break;
        case KeyRole::bracket:
            fill = ColorRole::Orange;
            opacity = style::controlFillOpacity;
            break;
        case KeyRole::equals:
            fill = ColorRole::Teal;
            text = ColorRole::White;
            break;
    }
    auto* button = new TileButton(fill, opacity, style::keyRadius);
    button->setObjectName(QStringLiteral("calculatorKey_") + QLatin1String(key.name));
    button->setAccessibleName(QString::fromUtf8(key.label));
    button->setFocusPolicy(Qt::NoFocus);  // typed keys keep going to the calculator
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setMinimumSize(0, style::keyMinHeight);
    auto* row = new QHBoxLayout(button);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new TextLabel(QString::fromUtf8(key.face), TextStyle::Title2, text);
    label->setTextStyle(TextStyle::Title2, QFont::DemiBold);
    label->setAlignment(Qt::AlignCenter);
    row->addWidget(label);
    button->makeChildrenTransparent();
    return button;
}

}  // namespace

const std::array<CalculatorKey, 20>& CalculatorView::keys() {
    static const std::array<CalculatorKey, 20> all = [] {
        std::array<CalculatorKey, 20> list{};
        for (std::size_t i = 0; i < kKeys.size(); ++i) list[i] = kKeys[i].key;
        return list;
    }();
    return all;
}

QString CalculatorView::face(CalculatorKey key) { return QString::fromUtf8(info(key).face); }

QString CalculatorView::accessibilityLabel(CalculatorKey key) { return QString::fromUtf8(info(key).label); }

CalculatorView::CalculatorView(Haptics& haptics, QWidget* parent)
    : NavigationPage(QStringLiteral("Калькулятор"), parent), haptics_(haptics) {
    setObjectName(QStringLiteral("calculatorView"));
    setTitleDisplay(TitleDisplay::Inline);
    setFocusPolicy(Qt::StrongFocus);

    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(style::pageMargin, style::pageMargin, style::pageMargin, style::pageMargin);
    column->setSpacing(style::sectionSpacing);
    sectionPicker_ = new SegmentedControl;
    sectionPicker_->setObjectName(QStringLiteral("calculatorSection"));
    sectionPicker_->setAccessibleName(QStringLiteral("Раздел калькулятора"));
    sectionPicker_->addSegment(QStringLiteral("Калькулятор"), QStringLiteral("calculator"));
    sectionPicker_->addSegment(QStringLiteral("История"), QStringLiteral("history"));
    sectionPicker_->setCurrentTag(QStringLiteral("calculator"));
    connect(sectionPicker_, &SegmentedControl::currentTagChanged, this, [this](const QString& tag) {
        selectSection(tag == QLatin1String("history") ? CalculatorSection::history
                                                      : CalculatorSection::calculator);
    });
    column->addWidget(sectionPicker_);

    sections_ = new QStackedWidget;
    sections_->addWidget(buildCalculatorSection());
    historyView_ = new CalculatorHistoryView(
        history_,
        [this](const CalculationHistoryItem& item) {
            showResult(item.result);
            selectSection(CalculatorSection::calculator);
        },
        [this] {
            history_.clear();
            historyView_->setItems(history_);
        });
    sections_->addWidget(historyView_);
    column->addWidget(sections_, 1);
    setContent(content);

    showDisplay();
    drawCaption();
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key == QLatin1String(GlobalPreferences::kCurrencyCodeKey)) drawCaption();
    });
    connect(this, &NavigationPage::appeared, this, [this] {
        drawCaption();
        if (section_ == CalculatorSection::calculator) setFocus();
    });
}

QWidget* CalculatorView::buildCalculatorSection() {
    auto* section = new PageBody;
    section->setObjectName(QStringLiteral("calculatorKeypadSection"));
    section->setPadding(0);
    section->setSpacing(style::sectionSpacing);
    // The parts sit at the bottom: the stretch goes above them instead of below.
    QVBoxLayout* stack = section->stack();
    stack->setStretch(stack->count() - 1, 0);
    stack->insertStretch(0, 1);
    section->addWidget(buildDisplayCard());
    section->addWidget(buildMemoryRow());
    section->addWidget(buildKeypad());
    auto* hint = new TextLabel(QStringLiteral("Касайся цифр — выражение появится на экране"),
                               TextStyle::Footnote, ColorRole::SecondaryLabel);
    hint->setObjectName(QStringLiteral("calculatorHint"));
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignHCenter);
    section->addWidget(hint);
    return section;
}

QWidget* CalculatorView::buildDisplayCard() {
    auto* card = new Card;
    card->setObjectName(QStringLiteral("calculatorDisplayCard"));
    card->setPadding(style::displayPadding);
    card->setRadius(style::displayRadius);
    card->setSpacing(style::displayCaptionSpacing);
    caption_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    caption_->setObjectName(QStringLiteral("calculatorCurrency"));
    caption_->setTextStyle(TextStyle::Caption, QFont::Bold);
    caption_->setMonospaced(true);
    caption_->setElideMode(Qt::ElideRight);
    card->addWidget(caption_);
    displayLabel_ = new TextLabel({}, TextStyle::LargeTitle);
    displayLabel_->setObjectName(QStringLiteral("calculatorDisplay"));
    displayLabel_->setAccessibleName(QStringLiteral("Экран калькулятора"));
    displayLabel_->setPixelSize(style::displayPixelSize);
    displayLabel_->setTextStyle(TextStyle::LargeTitle, QFont::Bold);
    // Shrunk first, then cut (showDisplay picks the side).
    displayLabel_->setElideMode(Qt::ElideRight);
    displayLabel_->setMinimumScaleFactor(style::displayMinimumScale);
    displayLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    displayLabel_->setMinimumHeight(style::displayMinHeight);
    displayLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    card->addWidget(displayLabel_);
    return card;
}

QWidget* CalculatorView::buildMemoryRow() {
    auto* rowWidget = new QWidget;
    auto* row = new QHBoxLayout(rowWidget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(style::memorySpacing);
    const struct {
        const char* text;
        const char* name;
        void (CalculatorView::*action)();
    } buttons[] = {
        {"MC", "memoryClear", &CalculatorView::memoryClear},
        {"MR", "memoryRecall", &CalculatorView::memoryRecall},
        {"M+", "memoryAdd", &CalculatorView::memoryAdd},
        {"±", "toggleSign", &CalculatorView::toggleSign},
        {"%", "percent", &CalculatorView::percent},
    };
    for (const auto& entry : buttons) {
        auto* button = new Button(QString::fromUtf8(entry.text), Button::Style::Bordered);
        button->setObjectName(QLatin1String(entry.name));
        button->setFullWidth(true);
        connect(button, &QAbstractButton::clicked, this, entry.action);
        row->addWidget(button);
    }
    return rowWidget;
}

QWidget* CalculatorView::buildKeypad() {
    auto* grid = new QWidget;
    grid->setObjectName(QStringLiteral("calculatorKeypad"));
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(style::keySpacing);
    constexpr int kColumns = 4;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const KeyInfo& key = kKeys[i];
        QAbstractButton* button = makeKeyButton(key);
        keyButtons_[i] = button;
        connect(button, &QAbstractButton::clicked, this, [this, k = key.key] {
            press(k);
            setFocus();
        });
        layout->addWidget(button, static_cast<int>(i) / kColumns, static_cast<int>(i) % kColumns);
    }
    for (int c = 0; c < kColumns; ++c) layout->setColumnStretch(c, 1);
    return grid;
}

QAbstractButton* CalculatorView::keyButton(CalculatorKey key) const {
    return keyButtons_[static_cast<std::size_t>(key)];
}

void CalculatorView::selectSection(CalculatorSection section) {
    section_ = section;
    const bool calculator = section == CalculatorSection::calculator;
    sectionPicker_->setCurrentTag(calculator ? QStringLiteral("calculator") : QStringLiteral("history"));
    sections_->setCurrentIndex(calculator ? 0 : 1);
    if (calculator) setFocus();
}

void CalculatorView::press(CalculatorKey key) {
    ++feedbackCounter_;
    if (Preferences::standard().boolean(QStringLiteral("hapticsEnabled"), true))
        haptics_.play(Haptics::Feedback::selection);
    switch (key) {
        case CalculatorKey::equals:
            calculate();
            return;
        case CalculatorKey::backspace:
            display_.chop(1);
            if (display_.isEmpty()) display_ = QStringLiteral("0");
            resultIsShown_ = false;
            break;
        case CalculatorKey::clear:
            display_ = QStringLiteral("0");
            resultIsShown_ = false;
            break;
        default:
            append(face(key));
            return;
    }
    showDisplay();
}

void CalculatorView::append(const QString& text) {
    const bool operation = isOperator(text);
    if (resultIsShown_) {
        if (!operation) display_.clear();  // an operator continues from the result
        resultIsShown_ = false;
    }
    // A lone zero gives way to a digit or a bracket; "." and the operators follow it.
    if (display_ == QLatin1String("0") && !operation && text != QLatin1String(".")) display_.clear();
    // Every text here is one UTF-16 unit per character (keypad symbols, digits, "Ошибка").
    if (display_.size() < kMaxTypedLength) display_ += text;
    showDisplay();
}

void CalculatorView::calculate() {
    const QString expression = display_;
    QString mapped = expression;
    mapped.replace(u'−', u'-');
    const CalculatorEngine::Result result = engine_.evaluate(mapped);
    const double* value = std::get_if<double>(&result);
    if (!value) {
        showResult(QStringLiteral("Ошибка"));  // both errors alike, and no history row
        return;
    }
    const QString text = CalculatorEngine::formatResult(*value);
    history_.prepend({QUuid::createUuid(), expression, text});
    while (history_.size() > kHistoryLength) history_.removeLast();
    historyView_->setItems(history_);
    showResult(text);
}

QString CalculatorView::formatSignOrPercent(double value) {
    // Like a result of "=" wherever that text reads back as the same number.
    const QString fixed = CalculatorEngine::formatResult(value);
    // The same number with the same sign: "=" writes a zero without one, "%g" keeps it.
    const std::optional<double> readBack = decimalNumber(fixed);
    if (readBack == value && std::signbit(*readBack) == std::signbit(value)) return fixed;
    // Beyond it ("=" would show 0.000000001 as "0"): "%g", with more digits
    // only when six would change the number, up to the fifteen that any typed
    // number keeps (so 0.333333333 stays whole, while 1e-07 % shows 1e-09
    // rather than its binary neighbour 9.999999999999999e-10). Never zero.
    // to_chars, not snprintf: "." whatever LC_NUMERIC the process runs with.
    std::array<char, 32> buffer{};
    for (int precision = 6;; ++precision) {
        const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                             std::chars_format::general, precision);
        const QString text = QString::fromLatin1(buffer.data(), end - buffer.data());
        if (decimalNumber(text) == value || precision >= 15) return text;
    }
}

void CalculatorView::applyToNumber(double (*change)(double)) {
    const std::optional<double> value = decimalNumber(display_);
    if (!value) return;
    const double changed = change(*value);
    // A hundredth of the smallest double is no number the display can show.
    if (changed == 0 && *value != 0) return;
    showResult(formatSignOrPercent(changed));
}

void CalculatorView::toggleSign() {
    applyToNumber([](double value) { return -value; });
}

void CalculatorView::percent() {
    applyToNumber([](double value) { return value / 100; });
}

void CalculatorView::memoryClear() { memory_ = QStringLiteral("0"); }

void CalculatorView::memoryRecall() { showResult(memory_); }

void CalculatorView::memoryAdd() { memory_ = display_; }

void CalculatorView::showResult(const QString& text) {
    display_ = text;
    resultIsShown_ = true;
    showDisplay();
}

void CalculatorView::showDisplay() {
    // A result is cut at its end, so its sign and leading digits stay in view;
    // typed input at its start, so the key just pressed always shows.
    displayLabel_->setElideMode(resultIsShown_ ? Qt::ElideRight : Qt::ElideLeft);
    displayLabel_->setText(display_);
    displayLabel_->setAccessibleDescription(display_);  // the display's value
}

void CalculatorView::drawCaption() {
    caption_->setText(QStringLiteral("ZANBECK / ") + GlobalPreferences::currencyCode());
}

std::optional<CalculatorKey> CalculatorView::keyFor(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Enter:
        case Qt::Key_Return:
            return CalculatorKey::equals;
        case Qt::Key_Backspace:
            return CalculatorKey::backspace;
        case Qt::Key_Escape:
        case Qt::Key_Delete:
            return CalculatorKey::clear;
        default:
            break;
    }
    const QString text = event.text();
    if (text.size() != 1) return std::nullopt;
    // The keyboard's spellings of the keypad's symbols; "C" and "⌫" only through their keys above.
    const QChar typed = text.front();
    const QString face = typed == u','   ? QStringLiteral(".")
                         : typed == u'-' ? QStringLiteral("−")
                         : typed == u'*' ? QStringLiteral("×")
                         : typed == u'/' ? QStringLiteral("÷")
                                         : text;
    for (const KeyInfo& key : kKeys)
        if (key.role != KeyRole::control && face == QString::fromUtf8(key.face)) return key.key;
    return std::nullopt;
}

void CalculatorView::keyPressEvent(QKeyEvent* event) {
    const std::optional<CalculatorKey> key =
        section_ == CalculatorSection::calculator ? keyFor(*event) : std::nullopt;
    if (!key) {
        NavigationPage::keyPressEvent(event);
        return;
    }
    press(*key);
}
