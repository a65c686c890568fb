#pragma once

#include "tv/guide.h"

#include <QDateTime>
#include <QString>

// What the window says of a channel's guide: the programme on air and the one after it,
// in the viewer's own time zone.

// "正在播放：新闻联播 19:00–19:30 · 下一个：焦点访谈 19:38"; empty when the guide knows
// nothing on air or to come.
QString NowAndNextText(const TGuide& guide, int position, const QDateTime& now);
// "新闻联播 19:00–19:30", for the line over the picture; empty when nothing is on.
QString OnAirText(const TGuide& guide, int position, const QDateTime& now);
// When what NowAndNextText says next changes: the end of the programme on air or the
// start of the next; invalid when nothing is to come.
QDateTime NextChange(const TGuide& guide, int position, const QDateTime& now);
