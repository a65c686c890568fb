#pragma once

#include <QStyledItemDelegate>

class TLogoCache;

// Paints a channel's row of the channel window: the star, the logo, the name, what is
// on with a thin bar of how far it has got, and what comes next. The star toggles the
// favourite. Rows are all one height, so the view never measures them.
class TChannelDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int RowHeight = 40;

    TChannelDelegate(TLogoCache& logos, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The star's place in a row.
    static QRect StarRect(const QRect& row);

signals:
    void favouriteClicked(const QModelIndex& index);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    TLogoCache& FLogos;
};
