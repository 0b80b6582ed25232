#include "components/SearchField.h"

#include <QEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/Theme.h"

namespace {
constexpr qreal kPromptMinimumScale = 0.75;
constexpr int kTextMargin = 2;  // the line edit's own margin on each side of its text
}  // namespace

SearchField::SearchField(const QString& prompt, QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(prompt);
    setClearButtonEnabled(true);
    addAction(
        Symbols::icon(QStringLiteral("magnifyingglass"), ColorRole::SecondaryLabel),
        QLineEdit::LeadingPosition);
    connect(&Theme::current(), &Theme::changed, this, &SearchField::fitPrompt);
    fitPrompt();
}

int SearchField::textRoom() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    int left = contents.left();
    int right = contents.right() + 1;
    // The icons sit inside the contents; the text runs between them.
    for (const QToolButton* icon : findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
        const QRect r = icon->geometry();
        if (r.center().x() < contents.center().x())
            left = std::max(left, r.right() + 1);
        else
            right = std::min(right, r.left());
    }
    return right - left - 2 * kTextMargin;
}

void SearchField::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    fitPrompt();
}

void SearchField::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::StyleChange) fitPrompt();
}

void SearchField::fitPrompt() {
    const QFont body = Theme::font(TextStyle::Body);
    const QFont fitted = width() > 0 && textRoom() > 0
                             ? TextFit::shrunkToFit(placeholderText(), body, textRoom(), kPromptMinimumScale)
                             : body;
    if (font() != fitted) setFont(fitted);
}
