#include "components/SwipeRows.h"

#include <QMenu>
#include <QPainter>
#include <QPaintDevice>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "components/Popups.h"
#include "components/Symbols.h"
#include "components/Theme.h"

SwipeRows::SwipeRows(QList<SwipeAction> leading, QList<SwipeAction> trailing, Host host)
    : leading_(std::move(leading)),
      trailing_(std::move(trailing)),
      host_(std::move(host)),
      gesture_(int(leading_.size()), int(trailing_.size())) {}

bool SwipeRows::hasAction(const QString& key) const {
    const auto same = [&key](const SwipeAction& a) { return a.key == key; };
    return std::any_of(leading_.begin(), leading_.end(), same) ||
           std::any_of(trailing_.begin(), trailing_.end(), same);
}

QString SwipeRows::pressedRow() const { return isFollowing() ? gesture_.pressedKey() : QString(); }

void SwipeRows::closeOpenRow() {
    const QString open = gesture_.openKey();
    gesture_.closeOpenRow();
    if (!open.isEmpty()) host_.repaintRow(open);
}

void SwipeRows::dropGone(const std::function<bool(const QString&)>& shown) {
    // A row that went can be neither open nor dragged.
    if ((!gesture_.openKey().isEmpty() && !shown(gesture_.openKey())) ||
        (!gesture_.pressedKey().isEmpty() && !shown(gesture_.pressedKey())))
        gesture_.reset();
}

int SwipeRows::widthOf(const QString& id) const { return id.isEmpty() ? 0 : host_.rowRect(id).width(); }

void SwipeRows::press(const QPoint& pos, const QPoint& globalPos, bool doubleClick) {
    // On the screen: the list may move under the finger while it scrolls, so
    // the drag is followed in global coordinates.
    gesture_.press(globalPos, host_.rowAt(pos));
    fromDoubleClick_ = doubleClick;
    QScrollBar* bar = host_.scrollBar ? host_.scrollBar() : nullptr;
    scrollStart_ = bar ? bar->value() : 0;
}

SwipeRows::Move SwipeRows::move(const QPoint& globalPos) {
    if (!isFollowing()) return Move::none;
    QString closed;
    const QString pressed = gesture_.pressedKey();
    const SwipeGesture::Phase phase = gesture_.move(globalPos, widthOf(pressed), &closed);
    if (!closed.isEmpty()) host_.repaintRow(closed);
    if (phase == SwipeGesture::Phase::pending) return Move::pending;
    if (phase == SwipeGesture::Phase::swipe) {
        host_.repaintRow(pressed);
    } else if (QScrollBar* bar = host_.scrollBar ? host_.scrollBar() : nullptr) {
        bar->setValue(scrollStart_ - gesture_.scrollDelta(globalPos));
    }
    return Move::dragging;
}

std::optional<SwipeAction> SwipeRows::openActionAt(const QPoint& pos) const {
    const QRect rect = gesture_.openKey().isEmpty() ? QRect() : host_.rowRect(gesture_.openKey());
    if (rect.isEmpty() || pos.y() < rect.top() || pos.y() > rect.bottom()) return std::nullopt;
    const int side = gesture_.openSide();
    const std::optional<int> index = gesture_.buttonAt(side > 0 ? pos.x() - rect.left() : rect.right() - pos.x());
    if (!index) return std::nullopt;
    return (side > 0 ? leading_ : trailing_).value(*index);
}

SwipeRows::Outcome SwipeRows::release(const QPoint& pos) {
    if (!isFollowing()) return {};
    const QString pressed = gesture_.pressedKey();
    // Read before the release: a tap on an open row's action needs the row still open.
    const std::optional<SwipeAction> action = openActionAt(pos);
    const bool doubleClick = std::exchange(fromDoubleClick_, false);
    const SwipeGesture::Release release = gesture_.release(host_.rowAt(pos), widthOf(pressed));
    using Kind = SwipeGesture::Release::Kind;
    switch (release.kind) {
        case Kind::tapWhileOpen:
            // While a row is open a press only runs one of its actions or closes it.
            closeOpenRow();
            if (action && !doubleClick) return {Outcome::Kind::action, release.key, action->key};
            return {Outcome::Kind::handled, release.key, {}};
        case Kind::fullSwipe: {
            host_.repaintRow(release.key);
            const QList<SwipeAction>& side = release.side > 0 ? leading_ : trailing_;
            if (side.isEmpty()) return {Outcome::Kind::handled, release.key, {}};
            return {Outcome::Kind::action, release.key, side.first().key};
        }
        case Kind::settled:
            host_.repaintRow(release.key);
            return {Outcome::Kind::handled, release.key, {}};
        case Kind::tap:
            // The second press of a double-click is not a tap of its own.
            if (doubleClick) return {Outcome::Kind::handled, release.key, {}};
            return {Outcome::Kind::tap, release.key, {}};
        case Kind::none:
            break;
    }
    // A press that became a scroll, or one that ended off its row.
    return {};
}

void SwipeRows::paintActions(QPainter* p, const QRect& rowRect, int offset) const {
    const QList<SwipeAction>& actions = offset > 0 ? leading_ : trailing_;
    if (actions.isEmpty() || offset == 0) return;
    const int shown = std::abs(offset);
    const QRect area = offset > 0 ? QRect(rowRect.left(), rowRect.top(), shown, rowRect.height())
                                  : QRect(rowRect.right() + 1 - shown, rowRect.top(), shown, rowRect.height());
    const Theme& theme = Theme::current();
    const QColor white = theme.color(ColorRole::White);
    const int symbol = 20;
    const int slot = std::max(shown / int(actions.size()), 1);
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < actions.size(); ++i) {
        const SwipeAction& action = actions.at(i);
        // The first action at the outer edge; a full swipe widens it alone.
        const int width = i == 0 ? shown - slot * (int(actions.size()) - 1) : slot;
        const int fromEdge = i == 0 ? 0 : shown - slot * (int(actions.size()) - i);
        const QRect cell = offset > 0 ? QRect(area.left() + fromEdge, area.top(), width, area.height())
                                      : QRect(area.right() + 1 - fromEdge - width, area.top(), width, area.height());
        p->fillRect(cell, theme.color(action.color));
        // The label stays beside the row as the cell widens.
        const int labelWidth = std::min(cell.width(), SwipeGesture::kActionWidth);
        const QRect label = offset > 0 ? QRect(cell.right() + 1 - labelWidth, cell.top(), labelWidth, cell.height())
                                       : QRect(cell.left(), cell.top(), labelWidth, cell.height());
        if (label.width() < symbol) continue;
        p->drawPixmap(label.center().x() - symbol / 2, label.center().y() - symbol,
                      Symbols::pixmap(action.symbol, symbol, white, dpr));
        p->setPen(white);
        p->setFont(Theme::font(TextStyle::Caption));
        p->drawText(label.adjusted(0, symbol + 4, 0, 0), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                    action.title);
    }
    p->restore();
}

void SwipeRows::paintKeyboardRow(QPainter* p, const QRect& rowRect) {
    QColor tint = Theme::current().color(ColorRole::Accent);
    tint.setAlphaF(0.16f);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(tint);
    p->drawRoundedRect(QRectF(rowRect), Spacing::controlRadius, Spacing::controlRadius);
    p->restore();
}

QMenu* SwipeRows::showMenu(QWidget* parent, const QString& id, const QPoint& globalPos,
                           std::function<void(const QString&, const QString&)> run) const {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("rowActionsMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const SwipeAction& action : actions()) {
        const bool destructive = action.color == ColorRole::Red;
        QAction* item = menu->addAction(destructive ? Symbols::icon(action.symbol, ColorRole::Red)
                                                    : Symbols::menuIcon(action.symbol),
                                        action.title);
        item->setObjectName(QStringLiteral("rowAction_") + action.key);
        if (destructive) Popups::setDestructive(item);
        QObject::connect(item, &QAction::triggered, menu, [run, id, key = action.key] { run(id, key); });
    }
    menu->popup(globalPos);
    // Nothing is chosen until the user moves to an action: a second Enter
    // or Space right after the one that opened the menu runs nothing.
    menu->setActiveAction(nullptr);
    return menu;
}
