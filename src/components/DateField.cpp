#include "components/DateField.h"

#include <QDateTimeEdit>
#include <QEvent>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QTimer>
#include <cmath>

namespace {

// QLineEdit keeps this much on either side of its text, and a cursor's width.
constexpr int kLineEditMargin = 2;
constexpr int kCursor = 1;

// Watches the field's text box: it is resized after the field has placed
// it inside its padding and chevron, so both geometries are final then.
class WholeValue : public QObject {
public:
    explicit WholeValue(QDateTimeEdit* field) : QObject(field), field_(field) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::FontChange:
            case QEvent::StyleChange:
                // Not while the field is being torn down (its text box outlives its date part).
                if (!qobject_cast<QDateTimeEdit*>(field_) || pending_) break;
                // After the event: widening the field while it is shown or resized re-enters both.
                pending_ = true;
                QTimer::singleShot(0, this, [this] {
                    pending_ = false;
                    if (const int needed = DateField::wholeValueWidth(*field_); needed > field_->minimumWidth())
                        field_->setMinimumWidth(needed);
                });
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QDateTimeEdit* field_;
    bool pending_ = false;
};

}  // namespace

namespace DateField {

int wholeValueWidth(const QDateTimeEdit& field) {
    const auto* edit = field.findChild<QLineEdit*>();
    if (!edit || edit->width() <= 0 || field.width() <= 0) return 0;
    // Everything around the text as the field is drawn now: padding, frame, chevron.
    const int chrome = field.width() - edit->contentsRect().width();
    const QMargins margins = edit->textMargins();
    // The value as the display format writes it; every digit as wide as the widest.
    QString widest = field.text();
    for (QChar& ch : widest)
        if (ch.isDigit()) ch = QLatin1Char('0');
    const QFontMetricsF metrics(edit->font());
    const qreal text = std::max(metrics.horizontalAdvance(widest), metrics.horizontalAdvance(field.text()));
    return chrome + margins.left() + margins.right() + 2 * kLineEditMargin + kCursor +
           static_cast<int>(std::ceil(text));
}

void showWholeValue(QDateTimeEdit* field) {
    if (field->property("zanbeckWholeValue").toBool()) return;
    field->setProperty("zanbeckWholeValue", true);
    auto* watcher = new WholeValue(field);
    field->installEventFilter(watcher);
    if (auto* edit = field->findChild<QLineEdit*>()) edit->installEventFilter(watcher);
}

}  // namespace DateField
