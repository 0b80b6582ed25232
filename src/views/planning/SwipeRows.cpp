#include "views/planning/SwipeRows.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "components/Symbols.h"
#include "components/Theme.h"

SwipeRows::SwipeRows(QString actionTitle, QString actionSymbol, QObject* parent)
    : QObject(parent), title_(std::move(actionTitle)), symbol_(std::move(actionSymbol)) {}

SwipeCell* SwipeRows::wrap(QWidget* content, const QString& key, std::function<void()> action) {
    auto* cell = new SwipeCell(*this, content, key, std::move(action));
    cells_.append(cell);
    connect(cell, &QObject::destroyed, this, [this, cell] {
        cells_.removeOne(cell);
        if (gesture_.openKey() == cell->key_) gesture_.closeOpenRow();
    });
    return cell;
}

SwipeCell* SwipeRows::cell(const QString& key) const {
    for (SwipeCell* c : cells_)
        if (c->key_ == key) return c;
    return nullptr;
}

void SwipeRows::refresh(const QString& key) const {
    if (SwipeCell* c = cell(key)) c->place();
}

SwipeCell::SwipeCell(SwipeRows& rows, QWidget* content, const QString& key, std::function<void()> action)
    : rows_(rows), content_(content), key_(key), action_(std::move(action)) {
    setObjectName(QStringLiteral("swipeCell"));
    content_->setParent(this);
    // Buttons take the press themselves; watching them keeps a drag from
    // becoming their click.
    for (QAbstractButton* button : content_->findChildren<QAbstractButton*>())
        button->installEventFilter(this);
    content_->installEventFilter(this);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

int SwipeCell::offset() const { return rows_.gesture_.offsetOf(key_); }

QSize SwipeCell::sizeHint() const { return content_->sizeHint(); }

QSize SwipeCell::minimumSizeHint() const { return {0, heightForWidth(width())}; }

int SwipeCell::heightForWidth(int width) const {
    return content_->hasHeightForWidth() ? content_->heightForWidth(width) : content_->sizeHint().height();
}

void SwipeCell::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void SwipeCell::place() {
    content_->setGeometry(offset(), 0, width(), height());
    update();
}

void SwipeCell::paintEvent(QPaintEvent*) {
    const int shown = -offset();
    if (shown <= 0) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect area(width() - shown, 0, shown, height());
    p.fillRect(area, Theme::current().color(ColorRole::Red));
    const QColor white = Theme::current().color(ColorRole::White);
    const int symbol = 20;
    const QRect button(width() - qMin(shown, SwipeGesture::kActionWidth), 0, SwipeGesture::kActionWidth,
                       height());
    p.drawPixmap(button.center().x() - symbol / 2, button.center().y() - symbol,
                 Symbols::pixmap(rows_.actionSymbol(), symbol, white, devicePixelRatioF()));
    p.setPen(white);
    p.setFont(Theme::font(TextStyle::Caption));
    p.drawText(button.adjusted(0, symbol + 4, 0, 0), Qt::AlignHCenter | Qt::AlignVCenter,
               rows_.actionTitle());
}

QAbstractScrollArea* SwipeCell::scrollArea() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area;
    return nullptr;
}

bool SwipeCell::press(const QPoint& pos) {
    SwipeGesture& g = rows_.gesture_;
    if (g.phase() != SwipeGesture::Phase::idle) return true;
    g.press(pos, key_);
    if (QAbstractScrollArea* area = scrollArea()) scrollStart_ = area->verticalScrollBar()->value();
    // While another row is open any press here only closes it.
    return !g.openKey().isEmpty();
}

bool SwipeCell::moveTo(const QPoint& pos, QWidget* pressed) {
    SwipeGesture& g = rows_.gesture_;
    if (g.phase() == SwipeGesture::Phase::idle) return false;
    QString closed;
    const SwipeGesture::Phase phase = g.move(pos, width(), &closed);
    if (!closed.isEmpty()) rows_.refresh(closed);
    if (phase == SwipeGesture::Phase::pending) return false;
    if (auto* button = qobject_cast<QAbstractButton*>(pressed)) button->setDown(false);
    if (phase == SwipeGesture::Phase::swipe) {
        place();
    } else if (QAbstractScrollArea* area = scrollArea()) {
        area->verticalScrollBar()->setValue(scrollStart_ - g.scrollDelta(pos));
    }
    return true;
}

bool SwipeCell::release(const QPoint& pos) {
    SwipeGesture& g = rows_.gesture_;
    if (g.phase() == SwipeGesture::Phase::idle) return false;
    const bool wasPending = g.phase() == SwipeGesture::Phase::pending;
    const std::optional<int> button = g.openKey() == key_ ? g.buttonAt(width() - pos.x()) : std::nullopt;
    const SwipeGesture::Release r = g.release(key_, width());
    switch (r.kind) {
        case SwipeGesture::Release::Kind::tapWhileOpen: {
            const QString open = g.openKey();
            g.closeOpenRow();
            rows_.refresh(open);
            if (button && open == key_) runAction();
            return true;
        }
        case SwipeGesture::Release::Kind::fullSwipe:
            place();
            runAction();
            return true;
        case SwipeGesture::Release::Kind::settled:
            place();
            return true;
        default:
            return !wasPending;
    }
}

void SwipeCell::runAction() {
    // Later: the action may remove this very row, which is inside its own
    // event handler now.
    if (action_) QMetaObject::invokeMethod(this, action_, Qt::QueuedConnection);
}

void SwipeCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) press(mapFromGlobal(event->globalPosition().toPoint()));
    event->accept();
}

void SwipeCell::mouseMoveEvent(QMouseEvent* event) {
    moveTo(mapFromGlobal(event->globalPosition().toPoint()), nullptr);
    event->accept();
}

void SwipeCell::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) release(mapFromGlobal(event->globalPosition().toPoint()));
    event->accept();
}

bool SwipeCell::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const auto type = event->type();
    // The content is outside any layout: its new height reaches the list through the cell.
    if (watched == content_) {
        if (type == QEvent::LayoutRequest) updateGeometry();
        return QWidget::eventFilter(watched, event);
    }
    if (!widget || (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
                    type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick))
        return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    // From the screen position: the content, and the button under the finger
    // with it, moves while the row is dragged.
    const QPoint pos = mapFromGlobal(mouse->globalPosition().toPoint());
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        return mouse->button() == Qt::LeftButton && press(pos);
    if (type == QEvent::MouseMove) return moveTo(pos, widget);
    return mouse->button() == Qt::LeftButton && release(pos);
}
