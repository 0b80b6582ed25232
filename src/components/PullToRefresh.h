#pragma once

#include <QCoroTask>
#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QWidget>
#include <functional>

class PageBody;
class Spinner;

// Pull to refresh on a scrolling page: dragging the page down at its top (with
// the mouse, or a finger, whose touches arrive as mouse events), or scrolling
// on past the top with a wheel or touchpad, further than a threshold starts
// the refresh. A spinner shows at the top of the page until the awaited
// refresh ends; a pull meanwhile starts nothing. A failure of the refresh is
// the caller's to report; here it only ends the spinner.
//
// A pull may start anywhere on the page, on a painted list's rows or a
// button as well: the press goes on to what is under it, and once the drag
// goes down further than a tap's slop it becomes the pull and the press is
// let go outside its widget, so that a pull never presses a button. A tap
// stays the tap of what it touched.
//
//   new PullToRefresh(body, [&account] { return account.refresh(); }, this);
class PullToRefresh : public QObject {
    Q_OBJECT
public:
    static constexpr int kThreshold = 64;        // pull distance that starts a refresh
    static constexpr int kIndicatorHeight = 44;  // the spinner's strip while refreshing

    PullToRefresh(PageBody* body, std::function<QCoro::Task<>()> refresh, QObject* parent = nullptr);

    // Starts a refresh as a completed pull does (nothing while one runs).
    void refresh();
    bool isRefreshing() const { return refreshing_; }
    // The strip above the page's content holding the spinner.
    QWidget* indicator() const { return strip_; }
    Spinner* spinner() const { return spinner_; }

signals:
    void refreshFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool atTop() const;
    bool onPage(QObject* object) const;
    bool press(QObject* watched, class QMouseEvent* event);
    bool move(class QMouseEvent* event);
    // Lets go of the press a pull started with, away from its widget.
    void cancelPress();
    void pullTo(qreal distance);
    void release();
    bool wheel(class QWheelEvent* event);
    QCoro::Task<> run();

    PageBody* body_;
    std::function<QCoro::Task<>()> refresh_;
    QWidget* strip_;
    Spinner* spinner_;
    bool refreshing_ = false;
    bool tracking_ = false;  // a press at the top: it may become a pull
    bool dragging_ = false;  // it did
    bool cancelling_ = false;
    QPointF dragStart_;
    quint64 pressTime_ = 0;
    QPointer<QWidget> pressed_;
    qreal pull_ = 0;
    qreal wheelPull_ = 0;
    QElapsedTimer lastWheel_;
};
