#include "views/planning/ToolRows.h"

#include <QPainter>
#include <QVBoxLayout>

#include "components/Card.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "views/planning/KeyedRowList.h"
#include "views/planning/ToolsStyle.h"

namespace {
constexpr int kHairline = 1;
constexpr qsizetype kKeptTexts = 10'000;  // bounded: a list's distinct texts are few
}  // namespace

int ToolRowDelegate::wrappedHeight(const QString& text, const QFont& font, int width) const {
    const QString key = font.key() + QChar(0) + QString::number(width) + QChar(0) + text;
    if (const auto it = wrapped_.constFind(key); it != wrapped_.cend()) return *it;
    if (wrapped_.size() > kKeptTexts) wrapped_.clear();
    return *wrapped_.insert(key, TextFit::wrappedHeight(text, font, width));
}

int ToolRowDelegate::widestWord(const QString& text, const QFont& font) const {
    const QString key = font.key() + QChar(0) + text;
    if (const auto it = widest_.constFind(key); it != widest_.cend()) return *it;
    if (widest_.size() > kKeptTexts) widest_.clear();
    return *widest_.insert(key, TextFit::widestWord(text, font));
}

int ToolRowDelegate::contentTop(const QString& id) const {
    return (id == first_ ? 0 : kHairline) + tools_style::listRowPadding;
}

int ToolRowDelegate::rowHeight(const QString& id, int width, bool) const {
    return contentTop(id) + contentHeight(id, width) + tools_style::listRowPadding;
}

QList<PaintedButton> ToolRowDelegate::buttons(const QString& id, int width, bool) const {
    QList<PaintedButton> shown = contentButtons(id, width);
    const int top = contentTop(id);
    for (PaintedButton& button : shown) button.rect.translate(0, top);
    return shown;
}

void ToolRowDelegate::paintRow(QPainter* painter, const QString& id, const QRect& rect,
                               const PaintedRowState& state) const {
    const int top = contentTop(id);
    if (id != first_)
        painter->fillRect(QRect(rect.left(), rect.top(), rect.width(), kHairline),
                          Theme::current().color(ColorRole::Separator));
    const QRect content(rect.left(), rect.top() + top, rect.width(),
                        rect.height() - top - tools_style::listRowPadding);
    painter->save();
    paintContent(painter, id, content, state);
    painter->restore();
}

PaintedToolList::PaintedToolList(ToolRowDelegate& delegate, QWidget* parent)
    : QWidget(parent), delegate_(delegate) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    panel_ = new Card;
    // The rows carry their own paddings above and below.
    panel_->setPadding(Spacing::pagePadding, 0);
    list_ = new PaintedList(delegate_);
    panel_->addWidget(list_);
    panel_->setVisible(false);
    column->addWidget(panel_);
}

QStringList PaintedToolList::keysOf(const QStringList& ids) { return KeyedRowList::uniqueKeys(ids); }

void PaintedToolList::setRows(const QStringList& keys, const QStringList& changed) {
    panel_->setVisible(!keys.isEmpty());
    const QString oldFirst = list_->rows().value(0);
    const QString newFirst = keys.value(0);
    delegate_.setFirstRow(newFirst);
    if (keys != list_->rows()) list_->setRows(keys);
    // The first row has no hairline: a row that becomes or stops being the
    // first changes its height.
    QStringList update = changed;
    if (oldFirst != newFirst) update << oldFirst << newFirst;
    for (const QString& key : std::as_const(update))
        if (!key.isEmpty() && list_->contains(key)) list_->updateRow(key);
}
