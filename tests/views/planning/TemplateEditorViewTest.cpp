#include "PlannerFixture.h"
#include "components/SegmentedControl.h"

namespace {

class TemplateEditorTest : public EditorSheetFixture<TemplateEditorView> {
protected:
    void fill(const QString& title, const QString& amount, const QString& category) {
        type(editor->titleField(), title);
        type(editor->amountField(), amount);
        type(editor->categoryField(), category);
    }
};

}  // namespace

TEST_F(TemplateEditorTest, AddIsEnabledForATitleACategoryAndAnAmountAboveZero) {
    openEmpty();
    present();
    EXPECT_EQ(editor->page()->title(), "Новый шаблон");
    EXPECT_EQ(editor->kindPicker()->currentTag(), "expense");
    EXPECT_EQ(editor->kindPicker()->tags(), (QStringList{"income", "expense"}));
    const struct {
        const char *title, *amount, *category;
        bool enabled;
    } cases[] = {{"Кино", "2,5", "Досуг", true}, {" \t", "5", "Досуг", false},
                 {"Кино", "5", "  ", false},     {"Кино", "0", "Досуг", false},
                 {"Кино", "-1", "Досуг", false}, {"Кино", "abc", "Досуг", false},
                 {"Кино", "", "Досуг", false},   {" Кино ", "0,01", " Досуг", true},
                 // Every space separator is blank, not only U+0020 and the tab.
                 {"\u00A0", "5", "Досуг", false}, {"Кино", "5", "\u2007\u3000\t", false},
                 {"\u3000Кино", "5", "\u00A0Досуг", true}};
    for (const auto& c : cases) {
        fill(QString::fromUtf8(c.title), QString::fromUtf8(c.amount), QString::fromUtf8(c.category));
        EXPECT_EQ(editor->addButton()->isEnabled(), c.enabled)
            << c.title << "|" << c.amount << "|" << c.category;
    }
}

TEST_F(TemplateEditorTest, AddingStoresTheTextsAsTypedOnceAndCloses) {
    openEmpty();
    present();
    QSignalSpy dismissed(sheet.data(), &Sheet::dismissed);
    const int before = saves();
    fill("  Кино ", "2,5", " Досуг");
    click(qobject_cast<QAbstractButton*>(editor->kindPicker()->segment("income")));
    QTest::mouseClick(editor->addButton(), Qt::LeftButton);
    QTest::mouseClick(editor->addButton(), Qt::LeftButton);  // a second tap while the sheet closes
    settle();
    EXPECT_EQ(saves(), before + 1);
    EXPECT_EQ(dismissed.count(), 1);
    ASSERT_EQ(store->data().quickTemplates->size(), 1u);
    const QuickTemplate& added = store->data().quickTemplates->front();
    EXPECT_EQ(added.title, "  Кино ");
    EXPECT_EQ(added.category, " Досуг");
    EXPECT_EQ(added.amount, dec("2.5"));
    EXPECT_EQ(added.kind, TransactionKind::income);
}

TEST_F(TemplateEditorTest, CancelWritesNothing) {
    openEmpty();
    present();
    const int before = saves();
    fill("Кино", "5", "Досуг");
    click(editor->cancelButton());
    EXPECT_TRUE(sheet.isNull() || sheet->isDismissed());
    EXPECT_EQ(saves(), before);
    EXPECT_EQ(store->data().quickTemplates, std::vector<QuickTemplate>{});
}
