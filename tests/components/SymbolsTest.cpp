#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSet>

#include "KitFixture.h"
#include "components/Symbols.h"
#include "features/FeatureCatalog.h"

namespace {

// Dotted literals that are not symbols: file names, domains, reverse-DNS ids.
bool looksLikeFileOrDomain(const QString& name) {
    static const QSet<QString> extensions = {"json", "ini", "png",  "svg",   "csv",   "txt",  "desktop",
                                             "qrc",  "jpg", "jpeg", "heic",  "plist", "html", "xml",
                                             "conf", "com", "org",  "net",   "ru",    "cn",   "local",
                                             "lock", "tmp", "bak",  "sqlite"};
    static const QSet<QString> prefixes = {"com", "org", "net", "group", "io", "www", "qrc", "http", "https"};
    const QStringList parts = name.split(QLatin1Char('.'));
    return extensions.contains(parts.last()) || prefixes.contains(parts.first());
}

// Symbol names written in the program's sources: every dotted lower-case literal
// ("chart.pie") and every one-word literal on a line that speaks of a symbol or
// a system image ("plus").
QMap<QString, QString> symbolNamesInSources() {
    static const QRegularExpression literal(QStringLiteral(R"re("([0-9a-z][0-9a-z]*(?:\.[0-9a-z]+)*)")re"));
    static const QRegularExpression symbolContext(QStringLiteral(R"((?i)symbol|systemImage|systemName))"));
    static const QRegularExpression dotted(QStringLiteral(R"(^[0-9a-z]+(\.[0-9a-z]+)+$)"));
    static const QRegularExpression version(QStringLiteral(R"(^[0-9.]+$)"));
    QMap<QString, QString> found;  // name -> where
    const QString root = QDir(QStringLiteral(ZANBECK_SOURCE_DIR)).filePath(QStringLiteral("src"));
    QDirIterator it(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        int lineNo = 0;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine());
            ++lineNo;
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1String("#include")) || trimmed.startsWith(QLatin1String("//")))
                continue;
            const bool context = symbolContext.match(line).hasMatch();
            for (auto m = literal.globalMatch(line); m.hasNext();) {
                const QString name = m.next().captured(1);
                if (version.match(name).hasMatch()) continue;
                const bool isDotted = dotted.match(name).hasMatch();
                if ((isDotted && !looksLikeFileOrDomain(name)) || (!isDotted && context))
                    found.insert(
                        name, QDir(root).relativeFilePath(path) + QLatin1Char(':') + QString::number(lineNo));
            }
        }
    }
    return found;
}

QColor dominantOpaqueColour(const QImage& image) {
    QMap<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = image.pixel(x, y);
            if (qAlpha(px) == 255) ++counts[px];
        }
    QRgb best = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    return QColor::fromRgba(best);
}

}  // namespace

TEST_F(KitTest, EveryTableEntryAndScreenSymbolHasABundledIcon) {
    QSet<QString> seen;
    for (const QString& name : Symbols::tableNames()) {
        EXPECT_FALSE(seen.contains(name)) << "twice in the table: " << name.toStdString();
        seen.insert(name);
        EXPECT_TRUE(QFile::exists(Symbols::resourcePath(name))) << name.toStdString();
    }
    EXPECT_TRUE(QFile::exists(Symbols::resourcePath(QStringLiteral("no.such.symbol"))));
    // The names the screens are designed with, whether or not a source spells them yet.
    EXPECT_GE(Symbols::screenNames().size(), 120);
    for (const QString& name : Symbols::screenNames())
        EXPECT_TRUE(Symbols::resolves(name)) << name.toStdString();
    // The feature catalogue names its symbols as data.
    for (const FeatureModule& module : FeatureCatalog::modules)
        EXPECT_TRUE(Symbols::resolves(module.symbolName())) << module.id;
    for (const FeatureGroup group : kFeatureGroups) EXPECT_TRUE(Symbols::resolves(symbol(group)));
}

TEST_F(KitTest, EverySymbolNameInTheSourcesResolves) {
    const QMap<QString, QString> used = symbolNamesInSources();
    // The scan itself must see the kit's own uses.
    ASSERT_TRUE(used.contains(QStringLiteral("arrow.down.left")));
    ASSERT_TRUE(used.contains(QStringLiteral("chevron.left")));
    for (auto it = used.cbegin(); it != used.cend(); ++it)
        EXPECT_TRUE(Symbols::resolves(it.key()))
            << "symbol \"" << it.key().toStdString() << "\" at " << it.value().toStdString()
            << " has no icon: add it to components/SymbolTable.cpp";
}

TEST_F(KitTest, SymbolsAreDrawnInTheirTintAndUnknownNamesDrawTheFallback) {
    EXPECT_FALSE(Symbols::resolves(QStringLiteral("no.such.symbol")));
    EXPECT_FALSE(Symbols::resolves(QStringLiteral("House.Fill")));  // names are case-sensitive
    EXPECT_FALSE(Symbols::resolves(QString()));
    for (const auto& [name, tint] :
         {std::pair{"arrow.up.right", QColor(52, 199, 89)}, std::pair{"arrow.up.right", QColor(255, 149, 0)},
          std::pair{"no.such.symbol", QColor(Qt::red)}}) {
        const QImage image = Symbols::pixmap(QString::fromLatin1(name), 40, tint).toImage();
        EXPECT_EQ(image.size(), QSize(40, 40));
        EXPECT_EQ(dominantOpaqueColour(image), tint) << name;
    }
    // A drawn circle variant: a disc in the tint with the glyph cut out.
    const QImage disc =
        Symbols::pixmap(QStringLiteral("star.circle.fill"), 40, QColor(0, 122, 255)).toImage();
    EXPECT_EQ(dominantOpaqueColour(disc), QColor(0, 122, 255));
    EXPECT_EQ(qAlpha(disc.pixel(20, 20)), 0);  // the star's centre is see-through
    EXPECT_EQ(disc.pixel(20, 3), QColor(0, 122, 255).rgba());
    // Twice the device pixels at ratio 2.
    EXPECT_EQ(Symbols::pixmap(QStringLiteral("plus"), 20, Qt::black, 2.0).size(), QSize(40, 40));
}
