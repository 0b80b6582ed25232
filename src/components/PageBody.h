#pragma once

#include <QScrollArea>

class QVBoxLayout;

// The scrolling body of a page: a vertical stack (padding 16, spacing 18 unless
// set) on the grouped background, scrolling vertically only. Widgets added
// stack from the top; the rest of the height stays empty.
class PageBody : public QScrollArea {
    Q_OBJECT
public:
    explicit PageBody(QWidget* parent = nullptr);

    void addWidget(QWidget* widget, int stretch = 0, Qt::Alignment alignment = {});
    void addLayout(QLayout* layout);
    void addSpacing(int size);
    // Deletes every widget added (for display-only parts rebuilt on a redraw).
    void clear();
    QVBoxLayout* stack() const { return stack_; }
    QWidget* content() const { return content_; }

    void setPadding(int padding);
    void setSpacing(int spacing);

private:
    void applyTheme();

    QWidget* content_;
    QVBoxLayout* stack_;
};
