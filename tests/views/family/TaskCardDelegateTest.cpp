#include <QFontMetrics>

#include "components/KitFixture.h"
#include "components/TextFit.h"
#include "views/family/TaskCardDelegate.h"

namespace {

class TaskCardDelegateTest : public KitTest {};

// A title is given a second line exactly when the drawing breaks it onto one:
// titles that end just short of or just past their width, at the phone's board
// width and around it, with rewards of several widths beside them.
TEST_F(TaskCardDelegateTest, ATitleGetsTheLinesItIsDrawnIn) {
    QHash<QString, FamilyTask> tasks;
    TaskCardDelegate delegate(tasks);
    delegate.setCurrencyCode(QStringLiteral("CNY"));
    for (int n = 1; n <= 400; ++n) {
        FamilyTask task;
        task.id = QString::number(n);
        task.title = QStringLiteral("Задание номер %1").arg(n);
        task.reward_cents = qint64(n) * 100 + (n % 3) * 100000;
        task.status = QStringLiteral("active");
        task.child_nickname = QStringLiteral("Coder");
        tasks.insert(task.id, task);
    }
    const QFont font = Theme::font(TextStyle::Headline);
    const int oneLine = QFontMetrics(font).height();
    int wrapped = 0;
    for (const int width : {300, 330, 345, 358, 372, 390}) {
        for (auto it = tasks.cbegin(); it != tasks.cend(); ++it) {
            const auto box = delegate.titleBox(it.key(), width);
            ASSERT_TRUE(box);
            const int lines = TextFit::WrappedText(it->title, font, box->width).lineCount();
            wrapped += lines > 1;
            EXPECT_EQ(box->height > oneLine, lines > 1) << it->title.toStdString() << " at " << width;
        }
    }
    EXPECT_GT(wrapped, 0) << "some titles wrap at these widths";
    EXPECT_FALSE(delegate.titleBox(QStringLiteral("gone"), 358));
}

}  // namespace
