#pragma once

#include <QObject>
#include <QString>

class QApplication;
class QWidget;

// Gives the plain Qt input widgets the theme's input style sheet, each one as
// it is first polished, and every such widget the new sheet when the theme
// changes. No sheet is set on the application: with one, Qt restyles every
// widget subtree each time it is reparented, which most of the cost of
// opening a screen went to.
class InputStyler : public QObject {
    Q_OBJECT
public:
    // The styler of `app`, made and installed on first use.
    static InputStyler& of(QApplication& app);

    // The widgets that take the sheet: text fields and editors, spin boxes and
    // date fields, combo boxes (their pop-ups inherit it) and scroll bars.
    static bool takesInputStyle(const QWidget* widget);

    // Sets the sheet on the input widgets made so far and on those to come.
    // An input with a sheet of its own keeps it, after `textColours` (the
    // text and selection colours it took from the application's sheet).
    void setSheet(const QString& sheet, const QString& textColours);
    const QString& sheet() const { return sheet_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit InputStyler(QApplication& app);
    void style(QWidget* widget) const;

    QString sheet_;
    QString textColours_;
};
