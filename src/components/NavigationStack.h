#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class Button;
class NavigationStack;
class PageBody;
class QHBoxLayout;
class QVBoxLayout;
class TextLabel;

enum class ToolbarPlacement {
    Leading,
    Trailing,
    Cancellation,  // leading, the "Отмена" of a sheet
    Confirmation,  // trailing, semibold, the "Добавить" / "Сохранить" of a sheet
};

// One screen of a navigation stack: its own bar (back button, toolbar items,
// inline title) above a large title and the page's content.
//
//   auto* page = new NavigationPage("Настройки");
//   page->body()->addWidget(new MoneyCard(...));              // scrolling content
//   auto* add = page->addToolbarButton("Добавить", "plus", ToolbarPlacement::Trailing);
//   connect(add, &QAbstractButton::clicked, ...);
//   connect(page, &NavigationPage::appeared, ...);            // each time it is shown
//   NavigationStack::of(widget)->push(page);                  // from a screen inside a stack
class NavigationPage : public QWidget {
    Q_OBJECT
public:
    enum class TitleDisplay { Large, Inline };

    explicit NavigationPage(const QString& title = {}, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const { return title_; }
    void setTitleDisplay(TitleDisplay display);
    TitleDisplay titleDisplay() const { return display_; }

    // The scrolling body, created on first use (the large title scrolls with it).
    PageBody* body();
    // Or a content of the page's own (a list, a form): fills the page below the title.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }
    // A content that scrolls in a body of its own (a screen that switches
    // between bodies, as the family tab does between its form and the family
    // screen) names that body here: the large title moves into it and scrolls
    // away with it. Null puts the title back above the content. A body must be
    // released (another named, or null) before it is deleted.
    void setScrollingBody(PageBody* body);
    PageBody* scrollingBody() const { return scrolling_; }

    Button* addToolbarButton(const QString& text, const QString& symbol, ToolbarPlacement placement);
    void addToolbarItem(QWidget* item, ToolbarPlacement placement);
    void setBackButtonHidden(bool hidden);
    void setNavigationBarHidden(bool hidden);

    NavigationStack* navigationStack() const;
    bool isOnTop() const { return appeared_; }

    // For tests and screens.
    Button* backButton() const { return back_; }
    TextLabel* inlineTitleLabel() const { return inlineTitle_; }
    TextLabel* largeTitleLabel() const { return largeTitle_; }

signals:
    // The page became (or stopped being) the visible top of its stack: on push,
    // on returning by pop, when its tab or window is shown.
    void appeared();
    void disappeared();

private:
    friend class NavigationStack;
    void setBackTarget(const QString& previousTitle, bool hasPrevious);
    void setAppeared(bool appeared);
    void updateInlineTitle();

    QString title_;
    TitleDisplay display_ = TitleDisplay::Large;
    QWidget* bar_;
    QHBoxLayout* leading_;
    QHBoxLayout* trailing_;
    Button* back_;
    TextLabel* inlineTitle_;
    TextLabel* largeTitle_;
    QVBoxLayout* column_;
    PageBody* body_ = nullptr;
    PageBody* scrolling_ = nullptr;  // the body the large title scrolls in: body_ or a content's
    QWidget* content_ = nullptr;
    bool backHidden_ = false;
    bool hasPrevious_ = false;
    bool appeared_ = false;
};

// A stack of pages: push shows a new page with a back button, pop returns.
// Popped pages are deleted.
class NavigationStack : public QWidget {
    Q_OBJECT
public:
    explicit NavigationStack(NavigationPage* root = nullptr, QWidget* parent = nullptr);

    // The nearest stack around a widget (null outside any).
    static NavigationStack* of(const QWidget* widget);

    // Replaces every page by a new root.
    void setRoot(NavigationPage* root);
    void push(NavigationPage* page);
    void pop();
    void popToRoot();

    int depth() const { return pages_.size(); }
    NavigationPage* topPage() const { return pages_.isEmpty() ? nullptr : pages_.last().data(); }
    NavigationPage* rootPage() const { return pages_.isEmpty() ? nullptr : pages_.first().data(); }

signals:
    void pushed(NavigationPage* page);
    void popped();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateAppearance();
    void removeTop();

    QList<QPointer<NavigationPage>> pages_;
    class QStackedLayout* layers_;
};
