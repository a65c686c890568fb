#include "tv/channeldelegate.h"

#include "tv/channelrows.h"
#include "tv/logocache.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Margin = 4;
constexpr int StarWidth = 20;
constexpr int LogoHeight = TChannelDelegate::RowHeight - 2 * Margin;
constexpr int LogoWidth = LogoHeight * 3 / 2;
constexpr int BarHeight = 2;

} // namespace

TChannelDelegate::TChannelDelegate(TLogoCache& logos, QObject* parent)
    : QStyledItemDelegate(parent), FLogos(logos) {}

QRect TChannelDelegate::StarRect(const QRect& row) {
    return {row.left() + Margin, row.top(), StarWidth, row.height()};
}

QSize TChannelDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {300, RowHeight};
}

void TChannelDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem base = option;
    initStyleOption(&base, index);
    base.text.clear();
    const QWidget* view = option.widget;
    QStyle* style = view ? view->style() : QApplication::style();
    // The selection and the focus as the style draws them, without the text.
    style->drawControl(QStyle::CE_ItemViewItem, &base, painter, view);

    const QRect row = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->save();
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(StarRect(row), Qt::AlignCenter,
                      index.data(TChannelRows::FavouriteRole).toBool() ? u"★"_s : u"☆"_s);

    const QRect logoBox(StarRect(row).right() + Margin, row.top() + Margin, LogoWidth, LogoHeight);
    const QPixmap logo = FLogos.Logo(index.data(TChannelRows::LogoRole).toString(), LogoHeight);
    if (!logo.isNull())
        painter->drawPixmap(logoBox.left() + (LogoWidth - logo.width()) / 2,
                            logoBox.top() + (LogoHeight - logo.height()) / 2, logo);

    const int textLeft = logoBox.right() + Margin * 2;
    const int textWidth = row.right() - Margin - textLeft;
    const int half = row.height() / 2;
    const int nameWidth = textWidth * 2 / 5;
    QFont font = option.font;
    const bool playing = index.data(TChannelRows::PlayingRole).toBool();
    font.setBold(playing);
    painter->setFont(font);
    const QRect nameRect(textLeft, row.top(), nameWidth, row.height());
    const QString name = (playing ? u"▶ "_s : QString()) + index.data(Qt::DisplayRole).toString();
    painter->drawText(nameRect, Qt::AlignVCenter | Qt::AlignLeft,
                      option.fontMetrics.elidedText(name, Qt::ElideRight, nameWidth));

    font.setBold(false);
    painter->setFont(font);
    const int guideLeft = nameRect.right() + Margin * 2;
    const int guideWidth = row.right() - Margin - guideLeft;
    const QString now = index.data(TChannelRows::NowRole).toString();
    const QString next = index.data(TChannelRows::NextRole).toString();
    painter->drawText(QRect(guideLeft, row.top(), guideWidth, half - BarHeight),
                      Qt::AlignBottom | Qt::AlignLeft,
                      option.fontMetrics.elidedText(now, Qt::ElideRight, guideWidth));
    const double progress = index.data(TChannelRows::ProgressRole).toDouble();
    if (progress >= 0) {
        const QRect bar(guideLeft, row.top() + half, guideWidth, BarHeight);
        painter->fillRect(bar, palette.color(QPalette::Mid));
        painter->fillRect(
            bar.adjusted(0, 0, int((progress - 1) * bar.width()), 0),
            palette.color(selected ? QPalette::HighlightedText : QPalette::Highlight));
    }
    painter->setPen(
        palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    painter->drawText(QRect(guideLeft, row.top() + half + BarHeight, guideWidth, half - BarHeight),
                      Qt::AlignTop | Qt::AlignLeft,
                      option.fontMetrics.elidedText(next, Qt::ElideRight, guideWidth));
    painter->restore();
}

bool TChannelDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            StarRect(option.rect).contains(mouse->position().toPoint())) {
            emit favouriteClicked(index);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
