#pragma once

#include <QLineEdit>

// A search field: a magnifier before the text, a clear button after it, and
// a prompt that always shows whole: the field's face shrinks (down to three
// quarters of the body size) until the prompt fits the room the two icons
// leave, rather than cut it off at a phone's width.
class SearchField : public QLineEdit {
    Q_OBJECT
public:
    explicit SearchField(const QString& prompt, QWidget* parent = nullptr);

    // The width the text gets between the icons.
    int textRoom() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitPrompt();
};
