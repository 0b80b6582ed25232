#pragma once

#include <QWidget>

#include "components/Theme.h"

class QAbstractButton;
class QVBoxLayout;
class TextLabel;
class SymbolView;

// A titled section that opens and closes its content: the title with a
// chevron that turns down while open. The content keeps its widgets (and
// their typed text) while closed.
class DisclosureGroup : public QWidget {
    Q_OBJECT
public:
    DisclosureGroup(const QString& title, QWidget* content, QWidget* parent = nullptr);

    void setExpanded(bool expanded);
    bool isExpanded() const { return expanded_; }
    void setTextStyle(TextStyle style, int weight = -1);
    // Space between the title row and the open content.
    void setContentSpacing(int spacing);

    QAbstractButton* header() const { return header_; }
    QWidget* content() const { return content_; }

signals:
    void expandedChanged(bool expanded);

private:
    QAbstractButton* header_;
    TextLabel* title_;
    SymbolView* chevron_;
    QWidget* content_;
    QVBoxLayout* column_;
    bool expanded_ = false;
};
