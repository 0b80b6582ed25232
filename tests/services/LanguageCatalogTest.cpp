#include <gtest/gtest.h>

#include <QRegularExpression>

#include "services/LanguageCatalog.h"

TEST(LanguageCatalogTest, CodesAreSortedUniqueLanguageCodesWithoutAuto) {
    const QStringList& codes = LanguageCatalog::codes();
    ASSERT_GT(codes.size(), 100);
    for (qsizetype i = 1; i < codes.size(); ++i)
        EXPECT_LT(codes[i - 1], codes[i]) << "not strictly ascending at " << i;

    const QRegularExpression language("^[a-z]{2,3}$");  // never a region, script or "auto"
    for (const QString& code : codes) EXPECT_TRUE(language.match(code).hasMatch()) << code.toStdString();
    EXPECT_FALSE(codes.contains("auto"));
    for (const char* expected : {"de", "en", "kk", "ru", "zh"})
        EXPECT_TRUE(codes.contains(expected)) << expected;
}
