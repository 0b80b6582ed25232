#pragma once

#include <QAbstractButton>
#include <QList>
#include <QWidget>

// The platform's segmented picker. Each segment has a title and a tag; the
// selection is a tag. Segments are buttons named "segment_<tag>".
//
//   auto* theme = new SegmentedControl;
//   theme->addSegment("Как в iPhone", "system");
//   theme->addSegment("Светлая", "light");
//   theme->setCurrentTag(prefs.string("appTheme", "system"));
//   connect(theme, &SegmentedControl::currentTagChanged, ...);
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(QWidget* parent = nullptr);

    QAbstractButton* addSegment(const QString& title, const QString& tag);
    int count() const { return segments_.size(); }
    QStringList tags() const;
    QAbstractButton* segment(const QString& tag) const;

    // A tag matching no segment selects none.
    void setCurrentTag(const QString& tag);
    QString currentTag() const { return current_; }

    QSize sizeHint() const override;

signals:
    // Only on a change made by the user or by setCurrentTag with a new value.
    void currentTagChanged(const QString& tag);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Segment {
        QString tag;
        QAbstractButton* button;
    };
    QList<Segment> segments_;
    QString current_;
};
