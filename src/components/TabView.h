#pragma once

#include <QAbstractButton>
#include <QFont>
#include <QList>
#include <QWidget>

class QStackedLayout;
class QHBoxLayout;

// The bottom tab bar: one button per tab (symbol over title), named "tab_<tag>"
// and carrying its symbol name in the property "symbol"; the selected one in
// the accent, the others grey.
class TabBar : public QWidget {
    Q_OBJECT
public:
    explicit TabBar(QWidget* parent = nullptr);

    QAbstractButton* addTab(const QString& tag, const QString& title, const QString& symbol);
    QAbstractButton* button(const QString& tag) const;
    QStringList tags() const;
    void setCurrentTag(const QString& tag);
    QString currentTag() const { return current_; }

    QSize sizeHint() const override;

    // The font of a tab's title: the caption2 style, made smaller (down to
    // kMinimumTitleSize) and then narrower until the title fits the width.
    static constexpr int kMinimumTitleSize = 9;
    static QFont titleFont(const QString& title, int width);
    // The one face every tab's title is drawn in: the largest in which all
    // of them fit their tabs, so that no title looks smaller than the others.
    QFont titleFont() const;

signals:
    void tabClicked(const QString& tag);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHBoxLayout* row_;
    QList<QPair<QString, QAbstractButton*>> buttons_;
    QString current_;
};

// Tabs with a bottom bar, selected by tag. The content of each tab is kept
// while other tabs are shown.
//
//   auto* tabs = new TabView;
//   tabs->addTab("family", "Задания", "checklist", new NavigationStack(familyPage));
//   tabs->addTab("dashboard", "Главная", "house.fill", new NavigationStack(dashboardPage));
//   tabs->setCurrentTag("family");
class TabView : public QWidget {
    Q_OBJECT
public:
    explicit TabView(QWidget* parent = nullptr);

    void addTab(const QString& tag, const QString& title, const QString& symbol, QWidget* content);
    QStringList tags() const { return tabBar_->tags(); }
    QWidget* content(const QString& tag) const;
    QWidget* currentContent() const { return content(current_); }
    TabBar* tabBar() const { return tabBar_; }

    // An unknown tag changes nothing.
    void setCurrentTag(const QString& tag);
    QString currentTag() const { return current_; }

signals:
    void currentTagChanged(const QString& tag);

private:
    QStackedLayout* pages_;
    TabBar* tabBar_;
    QList<QPair<QString, QWidget*>> contents_;
    QString current_;
};
