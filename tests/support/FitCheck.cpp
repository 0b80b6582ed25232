#include "FitCheck.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTextDocument>
#include <QTextLayout>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int kTolerance = 1;  // pixels of rounding a layout may leave
constexpr qsizetype kMostReported = 25;
// Empty pixels beside a label that count as the row's spacing, not as room
// (a transaction row keeps 36 before its amount).
constexpr int kRowGap = 40;

QString nameOf(const QWidget* widget) {
    QString name = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty()) name += QLatin1Char('#') + widget->objectName();
    return name;
}

QString describe(const QWidget* widget) {
    QStringList path;
    for (const QWidget* w = widget->parentWidget(); w && path.size() < 4; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            path.prepend(w->objectName());
    QString text = nameOf(widget);
    if (!path.isEmpty()) text += QStringLiteral(" in ") + path.join(QLatin1Char('/'));
    return text;
}

QString quoted(const QString& text) { return QStringLiteral(" «%1»").arg(text.left(60)); }

// The scroll area whose viewport this is, if any.
const QAbstractScrollArea* areaOfViewport(const QWidget* widget) {
    const auto* area = qobject_cast<const QAbstractScrollArea*>(widget ? widget->parentWidget() : nullptr);
    return area && area->viewport() == widget ? area : nullptr;
}

// The width a widget could have: its own plus the empty pixels beside it (up
// to the nearest widget on either side or its parent's inner edge), less the
// gap a row keeps between neighbours anyway.
int roomFor(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    if (!parent) return widget->width();
    const QLayout* layout = parent->layout();
    const QRect inside = layout ? layout->contentsRect() : parent->contentsRect();
    const QRect mine = widget->geometry();
    int left = inside.left();
    int right = inside.right();
    for (const QObject* object : parent->children()) {
        const auto* other = qobject_cast<const QWidget*>(object);
        if (!other || other == widget || other->isWindow() || !other->isVisibleTo(parent)) continue;
        const QRect theirs = other->geometry();
        // Anything beside it blocks, on its line or not (a row's amount sits
        // level with the two lines of text to its left).
        if (theirs.isEmpty()) continue;
        if (theirs.left() > mine.right()) right = std::min(right, theirs.left() - 1);
        if (theirs.right() < mine.left()) left = std::max(left, theirs.right() + 1);
    }
    const int freeRight = std::max(0, right - mine.right() - kRowGap);
    const int freeLeft = std::max(0, mine.left() - left - kRowGap);
    return mine.width() + freeRight + freeLeft;
}

bool isRichText(const QLabel* label) {
    return label->textFormat() == Qt::RichText ||
           (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
}

qreal advance(const QString& text, const QFont& font) {
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

QFont scaled(const QFont& font, qreal scale) {
    QFont smaller = font;
    if (font.pixelSize() > 0)
        smaller.setPixelSize(std::max(1, static_cast<int>(std::ceil(font.pixelSize() * scale))));
    else
        smaller.setPointSizeF(std::max(1.0, std::ceil(font.pointSizeF() * scale)));
    return smaller;
}

// The widest piece of the text that a wrapped line can never break inside.
qreal widestWord(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal widest = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(0);
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return widest;
}

void checkLabel(const QLabel* label, QStringList& out) {
    const QString text = label->text();
    if (text.trimmed().isEmpty() || isRichText(label) || !label->pixmap().isNull()) return;
    const qreal width = label->contentsRect().width() - 2 * label->margin();
    const int room = roomFor(label) - 2 * label->margin();
    // The kit's labels tell how they fit a text through these properties.
    const QVariant elideProperty = label->property("elideMode");
    const QVariant scaleProperty = label->property("minimumScaleFactor");
    const bool oneLine = elideProperty.isValid() && elideProperty.toInt() != Qt::ElideNone;
    const qreal scale = scaleProperty.isValid() ? scaleProperty.toReal() : 0;
    const QString flat = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));

    if (oneLine) {
        const qreal natural = advance(flat, label->font());
        if (natural <= width + 0.5) return;
        const qreal smallest = scale > 0 ? advance(flat, scaled(label->font(), scale)) : natural;
        const bool elided = smallest > width + 0.5;
        if (natural <= room - kTolerance)
            out << describe(label) +
                       QStringLiteral(": %1 though its row has room (needs %2 of %3, given %4)")
                           .arg(elided ? QStringLiteral("elided") : QStringLiteral("shrunk"))
                           .arg(std::ceil(natural))
                           .arg(room)
                           .arg(width) +
                       quoted(text);
        else if (elided && smallest <= room - kTolerance)
            out << describe(label) +
                       QStringLiteral(": elided though its row has room at the smallest size (needs %1 of %2)")
                           .arg(std::ceil(smallest))
                           .arg(room) +
                       quoted(text);
        return;
    }
    if (label->wordWrap()) {
        const int needed = label->heightForWidth(label->width());
        if (needed > label->height() + kTolerance)
            out << describe(label) +
                       QStringLiteral(": cut at the bottom (needs %1, given %2)").arg(needed).arg(label->height()) +
                       quoted(text);
        const qreal word = widestWord(text, label->font());
        if (word > width + 0.5 && word <= room - kTolerance)
            out << describe(label) +
                       QStringLiteral(": a word does not fit though its row has room (%1 of %2)")
                           .arg(std::ceil(word))
                           .arg(room) +
                       quoted(text);
        return;
    }
    // A plain one-line label never elides: what does not fit is cut.
    const qreal natural = advance(text, label->font());
    if (natural > width + 0.5)
        out << describe(label) +
                   QStringLiteral(": cut (needs %1, given %2)").arg(std::ceil(natural)).arg(width) + quoted(text);
}

void checkField(const QAbstractSpinBox* field, QStringList& out) {
    const auto* edit = field->findChild<QLineEdit*>();
    if (!edit || edit->text().isEmpty()) return;
    const QMargins margins = edit->textMargins();
    // QLineEdit keeps 2 pixels on either side of its text.
    const qreal inside = edit->contentsRect().width() - margins.left() - margins.right() - 4;
    const qreal needed = QFontMetricsF(edit->font()).horizontalAdvance(edit->text());
    if (needed > inside + 0.5)
        out << describe(field) +
                   QStringLiteral(": does not show its whole value (needs %1, shows %2)")
                       .arg(std::ceil(needed))
                       .arg(inside) +
                   quoted(edit->text());
}

// False when the widget is reported as out of place (its children are then not judged).
bool checkPlace(const QWidget* widget, QStringList& out) {
    const QWidget* parent = widget->parentWidget();
    const QRect geometry = widget->geometry();
    if (const QAbstractScrollArea* area = areaOfViewport(parent)) {
        const bool sideways = area->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff;
        const bool upAndDown = area->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff && !sideways;
        if (upAndDown && geometry.width() > parent->width() + kTolerance) {
            out << describe(widget) + QStringLiteral(": %1 wide in a page %2 wide, cut at the right")
                                          .arg(geometry.width())
                                          .arg(parent->width());
            return false;
        }
        if (sideways && geometry.height() > parent->height() + kTolerance) {
            out << describe(widget) + QStringLiteral(": %1 tall in a strip %2 tall")
                                          .arg(geometry.height())
                                          .arg(parent->height());
            return false;
        }
        return true;
    }
    const QRect inside = parent->rect().adjusted(-kTolerance, -kTolerance, kTolerance, kTolerance);
    if (!inside.contains(geometry)) {
        out << describe(widget) + QStringLiteral(": at (%1, %2) %3 × %4, outside its parent's %5 × %6")
                                      .arg(geometry.x())
                                      .arg(geometry.y())
                                      .arg(geometry.width())
                                      .arg(geometry.height())
                                      .arg(parent->width())
                                      .arg(parent->height());
        return false;
    }
    return true;
}

void visit(const QWidget* widget, QStringList& out) {
    for (const QObject* object : widget->children()) {
        const auto* child = qobject_cast<const QWidget*>(object);
        if (!child || child->isWindow() || !child->isVisible() || child->size().isEmpty()) continue;
        if (!checkPlace(child, out)) continue;
        if (const auto* label = qobject_cast<const QLabel*>(child)) checkLabel(label, out);
        if (const auto* field = qobject_cast<const QAbstractSpinBox*>(child)) checkField(field, out);
        visit(child, out);
    }
}

// Records the text a widget draws and nothing else.
class TextRecorder : public QPaintEngine {
public:
    TextRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return QPaintEngine::User; }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawTextItem(const QPointF& at, const QTextItem& item) override {
        const QTransform toDevice = painter()->deviceTransform();
        const QPointF baseline = toDevice.map(at);
        FitCheck::DrawnText piece;
        piece.text = item.text();
        piece.font = item.font();
        piece.color = painter()->pen().color();
        piece.box = QRectF(baseline.x(), baseline.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        piece.baseline = baseline.y();
        pieces.append(piece);
    }
    QList<FitCheck::DrawnText> pieces;
};

class RecordingDevice : public QPaintDevice {
public:
    explicit RecordingDevice(const QWidget& like) : size_(like.size()), dpiX_(like.logicalDpiX()), dpiY_(like.logicalDpiY()) {}
    QPaintEngine* paintEngine() const override { return &recorder_; }
    QList<FitCheck::DrawnText>& pieces() { return recorder_.pieces; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth: return size_.width();
            case PdmHeight: return size_.height();
            case PdmWidthMM: return size_.width() * 254 / (10 * dpiX_);
            case PdmHeightMM: return size_.height() * 254 / (10 * dpiY_);
            case PdmNumColors: return INT_MAX;
            case PdmDepth: return 32;
            case PdmDpiX:
            case PdmPhysicalDpiX: return dpiX_;
            case PdmDpiY:
            case PdmPhysicalDpiY: return dpiY_;
            case PdmDevicePixelRatio: return 1;
            case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
            default: return 0;
        }
    }

private:
    QSize size_;
    int dpiX_, dpiY_;
    mutable TextRecorder recorder_;
};

}  // namespace

namespace FitCheck {

int DrawnText::pixelSize() const {
    return font.pixelSize() > 0 ? font.pixelSize() : int(std::lround(QFontInfo(font).pixelSize()));
}

QList<DrawnText> drawnTexts(QWidget& widget) {
    RecordingDevice device(widget);
    widget.render(&device, QPoint(), QRegion(), QWidget::DrawChildren);
    QList<DrawnText> pieces = device.pieces();
    // Runs: pieces in drawing order that continue one another on one baseline.
    QList<DrawnText> runs;
    for (const DrawnText& piece : pieces) {
        if (!runs.isEmpty()) {
            DrawnText& last = runs.last();
            if (std::abs(last.baseline - piece.baseline) < 1.5 && std::abs(piece.box.left() - last.box.right()) < 1.5) {
                last.text += piece.text;
                last.box = last.box.united(piece.box);
                continue;
            }
        }
        runs.append(piece);
    }
    std::stable_sort(runs.begin(), runs.end(), [](const DrawnText& a, const DrawnText& b) {
        if (std::abs(a.baseline - b.baseline) >= 1) return a.baseline < b.baseline;
        return a.box.left() < b.box.left();
    });
    return runs;
}

QStringList problems(const QWidget& window) {
    QStringList out;
    visit(&window, out);
    if (out.size() > kMostReported) {
        const qsizetype more = out.size() - kMostReported;
        out.resize(kMostReported);
        out << QStringLiteral("… and %1 more").arg(more);
    }
    return out;
}

}  // namespace FitCheck
