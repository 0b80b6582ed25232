#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

#include "components/PaintedList.h"
#include "components/TextFit.h"
#include "features/FeatureCatalog.h"

// The feature center's modules as rows of one painted list: a group's header
// (its symbol and title) above the group's modules. A module row is one
// button ("open") over the whole row: its symbol tile (black on orange when
// it works), the title over the detail (at most two lines), "Работает" or
// "Скоро", and a chevron.
//
// Rows are named by the module's id; a header by headerId(group). The first
// shown header sits closer to what is above the list: tell the delegate which
// one it is (setFirstHeader) and update the rows whose height that changes.
class FeatureRowDelegate : public PaintedRowDelegate {
public:
    static constexpr const char* kOpen = "open";

    static QString headerId(FeatureGroup group);

    // Adds a module row's record (the catalogue never changes while shown).
    void addModule(const FeatureModule& module, bool isWorking);
    bool isHeader(const QString& id) const { return headers_.contains(id); }
    const FeatureModule* module(const QString& id) const;
    // "Работает" or "Скоро"; empty for an unknown id.
    QString badgeText(const QString& id) const;
    // The header's group title; empty when the id is not a header.
    QString headerTitle(const QString& id) const;
    void setFirstHeader(const QString& id) { firstHeader_ = id; }
    const QString& firstHeader() const { return firstHeader_; }

    int rowHeight(const QString& id, int width, bool busy) const override;
    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    void forgetMeasurements() const override { layouts_.clear(); }
    // A module: "<title>, <detail>, <Работает or Скоро>"; a header: its group's title.
    QString accessibleName(const QString& id) const override;

private:
    struct Record {
        FeatureModule module;
        bool working = false;
    };
    // One module row laid out at a width: kept until the width or the theme
    // changes, so that painting a row lays out no text again.
    struct Layout {
        int width = -1;
        int textWidth = 0;
        int badgeWidth = 0;
        int titleHeight = 0;
        int detailHeight = 0;
        int height = 0;
        std::shared_ptr<const TextFit::WrappedText> title;
        QStringList detail;
    };
    const Layout& layout(const QString& id, const Record& record, int width) const;
    int headerGap(const QString& id) const;
    void paintHeader(QPainter* painter, const QString& id, const QRect& rect) const;

    QHash<QString, Record> records_;
    QHash<QString, FeatureGroup> headers_;
    QString firstHeader_;
    mutable QHash<QString, Layout> layouts_;
};
