#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class Alert;
class Sheet;

// Keeps the sheets and alerts shown inside one top-level window, above its
// content and in order (alerts above sheets), sized with the window. Made on
// first use as a child of the window; screens use Sheet and Alert instead.
class OverlayHost : public QObject {
    Q_OBJECT
public:
    static OverlayHost* forWindow(QWidget* window);

    QWidget* window() const { return window_; }
    QList<Sheet*> sheets() const;
    Sheet* topSheet() const;
    Alert* currentAlert() const;
    QList<Alert*> pendingAlerts() const;  // waiting behind the current one

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class Sheet;
    friend class Alert;
    explicit OverlayHost(QWidget* window);
    void addSheet(Sheet* sheet);
    void removeSheet(Sheet* sheet);
    void enqueue(Alert* alert);
    void removeAlert(Alert* alert);
    void showNextAlert();
    void layoutOverlays();

    QWidget* window_;
    QList<QPointer<Sheet>> sheets_;
    QList<QPointer<Alert>> alerts_;  // the first one is shown
};

// A sheet: content sliding over the window on a dimmed backdrop, with a
// grabber at the top. It is closed by dismiss() (the content finds its sheet
// with Sheet::of(this)), by a tap on the backdrop, by Escape or by dragging the
// grabber down; every way ends in the one dismissed() signal, once, after which
// the sheet and its content are deleted. Sheets shown from a sheet stack above
// it and are closed with it.
//
//   Sheet* sheet = Sheet::present(this, new NavigationStack(editorPage));
//   connect(sheet, &Sheet::dismissed, this, [this] { presentedSheet_.reset(); });
//   ... inside the editor: Sheet::of(this)->dismiss();
class Sheet : public QWidget {
    Q_OBJECT
public:
    enum class DismissReason {
        Programmatic,  // dismiss() called by the app
        Backdrop,      // tap outside the sheet
        Escape,        // Escape key
        Swipe,         // grabber dragged down
        Parent,        // a sheet below it was closed
    };
    Q_ENUM(DismissReason)

    static Sheet* present(QWidget* from, QWidget* content);
    // The sheet a widget is shown in (null when none).
    static Sheet* of(const QWidget* inside);

    QWidget* content() const { return content_; }
    QWidget* panel() const { return panel_; }
    bool isDismissed() const { return dismissed_; }

    // The panel's colour behind the content; an invalid colour returns to the
    // theme's. For content that paints its own full-bleed background.
    void setBackground(const QColor& color);
    QColor background() const;

    // Blocks the backdrop, Escape and swipe; dismiss() still closes.
    void setInteractiveDismissDisabled(bool disabled);

    // How tall the panel is: Large fills the window below a small gap; Fitted
    // takes the height its content asks for at the window's width, at the
    // bottom (a short list of choices), and no more than Large.
    enum class Detent { Large, Fitted };
    void setDetent(Detent detent);
    Detent detent() const { return detent_; }

    void dismiss(DismissReason reason = DismissReason::Programmatic);

signals:
    void dismissed(Sheet::DismissReason reason);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class OverlayHost;
    Sheet(QWidget* window, QWidget* content);
    void interactiveDismiss(DismissReason reason);
    int topGap() const;
    void placePanel();

    QWidget* panel_;
    QWidget* grabber_;
    QWidget* content_;
    OverlayHost* host_ = nullptr;
    QPointer<QWidget> opener_;  // had the focus when the sheet was shown
    QPointer<QWidget> from_;
    bool dismissed_ = false;
    bool interactiveDisabled_ = false;
    Detent detent_ = Detent::Large;
};

struct AlertButton {
    enum class Role { Default, Cancel, Destructive };
    QString title;
    Role role = Role::Default;
    std::function<void()> action = {};
};

// An alert inside the window. Alerts queue: a second one presented while one
// shows waits and appears when the first closes. A button closes the alert and
// then runs its action; Escape presses the cancel-role button. With no buttons
// the alert gets one "OK" cancel button.
//
//   Alert::present(this, "Ошибка сохранения", store.saveError(),
//                  {{"OK", AlertButton::Role::Cancel, [&] { store.clearSaveError(); }}});
//   Alert::present(this, "Убрать защиту?", "...",
//                  {{"Отмена", AlertButton::Role::Cancel}, {"Убрать код", AlertButton::Role::Destructive,
//                  remove}});
class Alert : public QObject {
    Q_OBJECT
public:
    static Alert* present(QWidget* from, const QString& title, const QString& message,
                          QList<AlertButton> buttons = {});

    QString title() const { return title_; }
    QString message() const { return message_; }
    const QList<AlertButton>& buttons() const { return buttons_; }
    bool isShowing() const { return box_ != nullptr; }
    // The shown alert's widget (null while waiting): buttons are named "alertButton_<index>".
    QWidget* box() const { return box_; }

    // Presses a button by index, as a click does.
    void press(int index);
    // Closes (or drops from the queue) without running any action.
    void cancel();

signals:
    // The pressed button's index; -1 when cancelled.
    void finished(int index);

private:
    friend class OverlayHost;
    Alert(OverlayHost* host, QString title, QString message, QList<AlertButton> buttons);
    void show();
    void finish(int index);

    OverlayHost* host_;
    QString title_;
    QString message_;
    QList<AlertButton> buttons_;
    QPointer<QWidget> box_;
    bool finished_ = false;
};

// An alert a screen presented and may take back: replacing it, reset() or the
// handle's end (the screen's destructor) cancels the alert without running the
// screen's handlers of its `finished`. An alert that finished by itself leaves
// the handle empty.
class HeldAlert {
public:
    explicit HeldAlert(QObject* owner) : owner_(owner) {}
    ~HeldAlert() { reset(); }
    HeldAlert(const HeldAlert&) = delete;
    HeldAlert& operator=(const HeldAlert&) = delete;

    // Holds `alert` (null when none could be shown) after cancelling the one held.
    Alert* hold(Alert* alert);
    void reset();
    Alert* get() const { return alert_; }
    explicit operator bool() const { return alert_ != nullptr; }

private:
    QObject* owner_;
    QPointer<Alert> alert_;
};

