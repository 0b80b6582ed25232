// The goal and the money-task editors share their form (NamedAmountEditor):
// its rules, run on both.
#include <QLineEdit>
#include <QSignalSpy>

#include "DashboardFixture.h"
#include "components/Button.h"
#include "components/Toggle.h"
#include "support/Gallery.h"
#include "views/ledger/GoalEditorView.h"
#include "views/ledger/RewardTaskEditorView.h"

namespace {

// Each editor's two fields, an example to fill them with, and its picture's name.
template <class Editor>
struct Form;
template <>
struct Form<GoalEditorView> {
    static QLineEdit* name(GoalEditorView& e) { return e.nameField(); }
    static QLineEdit* amount(GoalEditorView& e) { return e.amountField(); }
    static constexpr const char* example[2] = {"Велосипед", "1500"};
    static constexpr const char* picture = "goal-editor";
};
template <>
struct Form<RewardTaskEditorView> {
    static QLineEdit* name(RewardTaskEditorView& e) { return e.titleField(); }
    static QLineEdit* amount(RewardTaskEditorView& e) { return e.rewardField(); }
    static constexpr const char* example[2] = {"Полить цветы", "15"};
    static constexpr const char* picture = "reward-task-editor";
};

template <class Editor>
class NamedAmountEditorTest : public EditorSheetFixture<Editor> {
protected:
    using F = Form<Editor>;
    QLineEdit* name() const { return F::name(*this->editor); }
    QLineEdit* amount() const { return F::amount(*this->editor); }
    void presentFilled() {
        this->present();
        this->type(name(), QString::fromUtf8(F::example[0]));
        this->type(amount(), QString::fromUtf8(F::example[1]));
    }
};

using Editors = ::testing::Types<GoalEditorView, RewardTaskEditorView>;
TYPED_TEST_SUITE(NamedAmountEditorTest, Editors);

}  // namespace

TYPED_TEST(NamedAmountEditorTest, StartsEmptyOnTheNameAndAddsOnlyANameWithAPositiveAmount) {
    this->openEmpty();
    TypeParam& editor = this->present();
    EXPECT_TRUE(this->name()->text().isEmpty());
    EXPECT_EQ(this->window->focusWidget(), this->name());  // the keyboard opens on the name
    EXPECT_FALSE(editor.deadlineSwitch()->isChecked());
    EXPECT_FALSE(editor.isPickerShown());
    EXPECT_FALSE(editor.addButton()->isEnabled());

    this->type(this->amount(), "12,5");
    EXPECT_FALSE(editor.addButton()->isEnabled());  // no name yet
    this->type(this->name(), " \t ");
    EXPECT_FALSE(editor.addButton()->isEnabled());  // blanks are no name
    this->type(this->name(), "Велосипед");
    EXPECT_TRUE(editor.addButton()->isEnabled());
    for (const char* bad : {"0", "abc"}) {
        this->type(this->amount(), bad);
        EXPECT_FALSE(editor.addButton()->isEnabled()) << bad;
    }
    // Invalid input does nothing, whatever calls save.
    const int before = this->saves();
    editor.save();
    EXPECT_EQ(this->saves(), before);
    EXPECT_FALSE(this->sheet.isNull());
}

TYPED_TEST(NamedAmountEditorTest, CancelWritesNothingAndADoubleTapAddsOnce) {
    this->openEmpty();
    this->presentFilled();
    QSignalSpy requested(this->editor, &NamedAmountEditor::dismissRequested);
    const int before = this->saves();
    this->click(this->editor->cancelButton());
    EXPECT_EQ(requested.count(), 1);
    EXPECT_TRUE(this->sheet.isNull());
    EXPECT_EQ(this->saves(), before);

    this->presentFilled();
    QSignalSpy dismissed(this->sheet.data(), &Sheet::dismissed);
    Button* add = this->editor->addButton();
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);  // a second tap while the sheet closes adds nothing
    this->settle();
    EXPECT_EQ(this->saves(), before + 1);
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_TRUE(this->sheet.isNull());
}

TYPED_TEST(NamedAmountEditorTest, GalleryImages) {
    using F = Form<TypeParam>;
    this->openEmpty();
    this->presentFilled();
    this->click(this->editor->deadlineSwitch()->toggle());
    this->expectFitsWidth(this->editor->page()->body());
    EXPECT_FALSE(Gallery::save(*this->window, F::picture).isEmpty());
    this->setPreference("appTheme", "dark");
    Theme::current().refresh();
    EXPECT_FALSE(Gallery::save(*this->window, QString::fromUtf8(F::picture) + "-dark").isEmpty());
}
