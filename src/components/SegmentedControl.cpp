#include "components/SegmentedControl.h"

#include "components/Theme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

class SegmentButton : public QAbstractButton {
public:
    SegmentButton(const QString& title, QWidget* parent) : QAbstractButton(parent) {
        setText(title);
        setAccessibleName(title);
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        const QFontMetrics fm(Theme::font(TextStyle::Footnote, QFont::DemiBold));
        return {fm.horizontalAdvance(text()) + 20, 28};
    }
    QSize minimumSizeHint() const override { return {24, 28}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const Theme& theme = Theme::current();
        if (isChecked()) {
            const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
            QPainterPath shadow;
            shadow.addRoundedRect(r.translated(0, 1), 7, 7);
            p.fillPath(shadow, QColor(0, 0, 0, 25));
            QPainterPath path;
            path.addRoundedRect(r, 7, 7);
            p.fillPath(path, theme.isDark() ? QColor(99, 99, 102) : QColor(Qt::white));
        }
        const QFont font = Theme::font(TextStyle::Footnote, isChecked() ? QFont::DemiBold : QFont::Normal);
        p.setFont(font);
        p.setPen(theme.color(ColorRole::Label));
        if (!isEnabled()) p.setOpacity(0.4);
        p.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignCenter | Qt::TextSingleLine,
                   QFontMetrics(font).elidedText(text(), Qt::ElideRight, width() - 8));
    }
};

}  // namespace

SegmentedControl::SegmentedControl(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("segmentedControl"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    connect(&Theme::current(), &Theme::changed, this, [this] {
        update();
        for (const Segment& s : segments_) s.button->update();
    });
}

QAbstractButton* SegmentedControl::addSegment(const QString& title, const QString& tag) {
    auto* button = new SegmentButton(title, this);
    button->setObjectName(QStringLiteral("segment_") + tag);
    button->setChecked(tag == current_);
    layout()->addWidget(button);
    segments_.append({tag, button});
    connect(button, &QAbstractButton::clicked, this, [this, tag] {
        const bool changed = tag != current_;
        setCurrentTag(tag);
        if (!changed) segment(tag)->setChecked(true);
    });
    return button;
}

QStringList SegmentedControl::tags() const {
    QStringList list;
    for (const Segment& s : segments_) list << s.tag;
    return list;
}

QAbstractButton* SegmentedControl::segment(const QString& tag) const {
    for (const Segment& s : segments_)
        if (s.tag == tag) return s.button;
    return nullptr;
}

void SegmentedControl::setCurrentTag(const QString& tag) {
    const bool changed = tag != current_;
    current_ = tag;
    for (const Segment& s : segments_) s.button->setChecked(s.tag == tag);
    update();
    if (changed) emit currentTagChanged(tag);
}

QSize SegmentedControl::sizeHint() const {
    int w = 4;
    for (const Segment& s : segments_) w += s.button->sizeHint().width() + 2;
    return {w, 32};
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 9, 9);
    p.fillPath(path, Theme::current().color(ColorRole::TertiaryFill));
    // Hairlines between two unselected neighbours.
    p.setPen(QPen(Theme::current().color(ColorRole::Separator), 1));
    for (int i = 1; i < segments_.size(); ++i) {
        if (segments_[i].button->isChecked() || segments_[i - 1].button->isChecked()) continue;
        const int x = segments_[i].button->geometry().left() - 1;
        p.drawLine(QPointF(x, 8), QPointF(x, height() - 8));
    }
}
