#pragma once

#include <QHash>
#include <QWidget>

class QVBoxLayout;
class TextLabel;

// A group of rows as forms draw them: an optional header above a rounded
// panel whose rows are separated by hairlines. A hidden row takes its
// hairline with it.
class FormSection : public QWidget {
    Q_OBJECT
public:
    explicit FormSection(const QString& header = {}, QWidget* parent = nullptr);

    // Adds a row; the section owns it.
    void addRow(QWidget* row);
    // A row with a title at the leading edge and the control at the trailing edge.
    QWidget* addTitledRow(const QString& title, QWidget* control);

    void setRowVisible(QWidget* row, bool visible);
    bool isRowVisible(QWidget* row) const;

    TextLabel* headerLabel() const { return header_; }

private:
    TextLabel* header_ = nullptr;
    QWidget* panel_;
    QVBoxLayout* rows_;
    QHash<QWidget*, QWidget*> slots_;  // row -> its slot (hairline + row)
};
