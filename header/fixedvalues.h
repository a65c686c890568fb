#pragma once

// The fixed texts and addresses of the maker header: every text it shows and every address it
// opens. Both programs carry the same values. Where the companion product registers itself and
// the version from which it counts as installed are in companion_detection.h.

#include <QStringView>

namespace MakerHeader {

// The shell's open call gets the address in a 256-character buffer.
inline constexpr qsizetype MaxAddressLength = 255;

// The logo's hint and the target of its click.
inline constexpr QStringView MakerAddress = u"http://www.qingtang.example.com/";

// Two download pages of the companion product, on two different download sites; a click on
// the companion button opens one of them, each half of the time.
inline constexpr QStringView DownloadPageA = u"http://soft.example.net/download/dovrel.html";
inline constexpr QStringView DownloadPageB = u"http://www.example.org/soft/dovrel/download.htm";

// The companion button's hint: the product, what it does, and the invitation to get it.
// 267 bytes in GBK; lines are separated by single line feeds.
inline constexpr QStringView PromotionHint = u"Dovrel 晴棠录播大师 V5.1：网络节目录制好帮手\n"
                                             u"边看边录，一键保存正在播放的网络电视和在线视频；\n"
                                             u"支持定时录制和多频道同时录制，节目自动分类存放；\n"
                                             u"还能把节目转成 MP4、MP3 等格式，带到手机上看。\n"
                                             u"点击本按钮即可免费下载 Dovrel 安装程序，\n"
                                             u"安装并运行它，精彩节目从此不再错过！";

// What screen readers announce for the two controls.
inline constexpr QStringView LogoAccessibleName = u"晴棠软件网站";
inline constexpr QStringView DovrelAccessibleName = u"下载 Dovrel";

} // namespace MakerHeader
