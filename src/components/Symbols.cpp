#include "components/Symbols.h"

#include "components/SymbolTable.h"

#include <QFile>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPalette>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <optional>

static void initIconResources() {
    // The icons live in a static library: make sure the linker keeps them.
    Q_INIT_RESOURCE(zanbeck_icons);
}

namespace {

using symbol_table::Decoration;
using symbol_table::Entry;
using symbol_table::IconStyle;

const Entry kFallback{"questionmark.square.dashed", IconStyle::Outline, "circle-dashed", Decoration::None};

const QHash<QString, const Entry*>& index() {
    static const QHash<QString, const Entry*> map = [] {
        initIconResources();
        QHash<QString, const Entry*> m;
        for (const Entry& e : symbol_table::entries()) m.insert(QString::fromLatin1(e.name), &e);
        return m;
    }();
    return map;
}

const Entry& entryFor(const QString& name) {
    const auto it = index().constFind(name);
    return it == index().constEnd() ? kFallback : **it;
}

QString pathOf(const Entry& e) {
    return QStringLiteral(":/zanbeck/icons/%1/%2.svg")
        .arg(e.style == IconStyle::Filled ? QStringLiteral("filled") : QStringLiteral("outline"),
             QString::fromLatin1(e.icon));
}

QByteArray svgBytes(const QString& path) {
    static QHash<QString, QByteArray> cache;
    auto it = cache.find(path);
    if (it == cache.end()) {
        QFile f(path);
        it = cache.insert(path, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    }
    return *it;
}

void renderSvg(QPainter& p, const QString& path, const QRectF& target, const QColor& color) {
    QByteArray svg = svgBytes(path);
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    // A little heavier than the icon set's default, closer to symbols set beside text.
    svg.replace("stroke-width=\"2\"", "stroke-width=\"2.25\"");
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return;
    p.save();
    p.setOpacity(p.opacity() * color.alphaF());
    renderer.render(&p, target);
    p.restore();
}

}  // namespace

namespace Symbols {

bool resolves(const QString& name) {
    const auto it = index().constFind(name);
    return it != index().constEnd() && QFile::exists(pathOf(**it));
}

QStringList tableNames() {
    QStringList names;
    for (const Entry& e : symbol_table::entries()) names << QString::fromLatin1(e.name);
    return names;
}

const QStringList& screenNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const char* n : symbol_table::screenNames()) list << QString::fromLatin1(n);
        return list;
    }();
    return names;
}

QString resourcePath(const QString& name) {
    index();
    return pathOf(entryFor(name));
}

int sizeForText(int pixelSize) {
    return static_cast<int>(std::lround(pixelSize * 1.2));
}

QPixmap pixmap(const QString& name, int size, const QColor& tint, qreal dpr) {
    if (size <= 0) return {};
    static QHash<QString, QPixmap> cache;
    const QString key = QStringLiteral("%1|%2|%3|%4").arg(name).arg(size).arg(tint.rgba()).arg(dpr);
    if (const auto it = cache.constFind(key); it != cache.constEnd()) return *it;

    const Entry& e = entryFor(name);
    const int device = static_cast<int>(std::ceil(size * dpr));
    QPixmap pm(device, device);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF full(0, 0, device, device);
        switch (e.decoration) {
        case Decoration::None:
            renderSvg(p, pathOf(e), full, tint);
            break;
        case Decoration::Circle: {
            const qreal w = device / 12.0;
            p.setPen(QPen(tint, w));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(full.adjusted(w, w, -w, -w));
            renderSvg(p, pathOf(e), full.adjusted(device * 0.24, device * 0.24, -device * 0.24, -device * 0.24), tint);
            break;
        }
        case Decoration::CircleFill: {
            // The glyph is cut out of the filled disc, as the platform draws it.
            QPixmap glyph(device, device);
            glyph.fill(Qt::transparent);
            {
                QPainter g(&glyph);
                g.setRenderHint(QPainter::Antialiasing);
                renderSvg(g, pathOf(e), full.adjusted(device * 0.22, device * 0.22, -device * 0.22, -device * 0.22),
                          QColor(Qt::black));
            }
            QColor solid = tint;
            solid.setAlpha(255);
            p.setOpacity(tint.alphaF());
            p.setPen(Qt::NoPen);
            p.setBrush(solid);
            p.drawEllipse(full.adjusted(device * 0.04, device * 0.04, -device * 0.04, -device * 0.04));
            p.setOpacity(1.0);
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            p.drawPixmap(0, 0, glyph);
            break;
        }
        }
    }
    pm.setDevicePixelRatio(dpr);
    if (cache.size() > 2000) cache.clear();
    cache.insert(key, pm);
    return pm;
}

namespace {

// Draws a symbol in colours looked up at paint time.
class LiveSymbolEngine : public QIconEngine {
public:
    LiveSymbolEngine(const QString& name, std::optional<ColorRole> role) : name_(name), role_(role) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const int side = std::min(rect.width(), rect.height());
        const QRect square(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2, side, side);
        painter->drawPixmap(square, Symbols::pixmap(name_, side, colorFor(mode), dpr));
    }
    // Qt asks for device pixels and sets the ratio itself.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        return Symbols::pixmap(name_, std::min(size.width(), size.height()), colorFor(mode), 1.0);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }
    QIconEngine* clone() const override { return new LiveSymbolEngine(name_, role_); }
    QString key() const override { return QStringLiteral("zanbeckLiveSymbol"); }

private:
    QColor colorFor(QIcon::Mode mode) const {
        const QPalette palette = QGuiApplication::palette();
        if (role_)
            return Theme::current().color(mode == QIcon::Disabled ? ColorRole::TertiaryLabel : *role_);
        if (mode == QIcon::Disabled) return palette.color(QPalette::Disabled, QPalette::Text);
        if (mode == QIcon::Active || mode == QIcon::Selected) return palette.color(QPalette::HighlightedText);
        return palette.color(QPalette::Text);
    }

    QString name_;
    std::optional<ColorRole> role_;  // none: the menu's palette
};

}  // namespace

QIcon icon(const QString& name, ColorRole role) { return QIcon(new LiveSymbolEngine(name, role)); }

QIcon menuIcon(const QString& name) { return QIcon(new LiveSymbolEngine(name, std::nullopt)); }

QIcon icon(const QString& name, const QColor& tint, int size) {
    QIcon result;
    result.addPixmap(pixmap(name, size, tint, 1.0));
    result.addPixmap(pixmap(name, size, tint, 2.0));
    return result;
}

}  // namespace Symbols
