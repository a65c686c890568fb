#include "tv/channeltable.h"

#include <array>

namespace {

// The hosts are all under the reserved example domains: put a station's real address
// in place of its entry here.
constexpr std::array Movies{
    TChannel{u"N4", u"美亚卫视", true, u"rtsp://live.example.com/meiya/tv.sdp"},
    TChannel{u"N7", u"江苏影视台", true, u"mms://media.example.net/jsys"},
    TChannel{u"N8", u"常州电影频道", true, u"mms://tv.example.org:1755/czdy?bitrate=300"},
    TChannel{u"N10", u"凤凰电影台", true,
             u"rtsp://stream.example.com:554/phoenix/movie.sdp?auth=guest&lang=zh"},
    TChannel{u"N5", u"山东广电电影台", true, u"mms://media.example.net/sdgd/movie"},
    TChannel{u"CCTV61", u"CCTV6电影频道", true, u"mms://live.example.com/cctv6"},
};

constexpr std::array Sports{
    TChannel{u"CCTV51", u"CCTV5体育频道", false, u"mms://live.example.com/cctv5"},
    TChannel{u"N11", u"江苏卫视文体频道", true, u"mms://media.example.net/jsws/wenti?ch=2"},
    TChannel{u"N12", u"上海体育频道", true, u"rtsp://stream.example.org/shanghai/sports.sdp"},
    TChannel{u"ESPN1", u"ESPN体育频道", true, u"mms://sports.example.com/espn"},
    TChannel{u"CN81", u"美国CN8体育频道", true,
             u"mms://sports.example.com:8080/cn8?name=%E7%BE%8E%E5%9B%BDCN8&q=high"},
};

constexpr std::array Domestic{
    TChannel{u"N13", u"中央电视台新闻频道", true, u"mms://live.example.com/cctv-news"},
    TChannel{u"CCTV11", u"CCTV1综合频道", true, u"mms://live.example.com/cctv1"},
    TChannel{u"CCTV21", u"CCTV2经济频道", true, u"mmst://live.example.com:1755/cctv2?rate=350"},
    TChannel{u"N6", u"上海音乐频道", true, u"rtsp://stream.example.org/shanghai/music.sdp"},
    TChannel{u"CHANNELV1", u"CHANNEL-V", true, u"rtsp://music.example.net/channel-v/live.sdp"},
    TChannel{u"N9", u"东风卫视", true, u"rtsp://stream.example.net:8554/dongfeng?token=a1b2c3"},
    TChannel{u"N16", u"阳光卫视", true, u"rtsp://stream.example.net/sun-tv/live.sdp"},
    TChannel{u"N17", u"星空卫视", true, u"rtsp://stream.example.net/xingkong/live.sdp"},
    // The station published its main and its backup address as one text.
    TChannel{u"N19", u"台湾中天新闻台", true,
             u"mms://news.example.org/ctitv/live.asf?name=%E4%B8%AD%E5%A4%A9%E6%96%B0%E9%97%BB"
             u"&bitrate=300 mms://backup.example.org/ctitv/live.asf"},
};

constexpr std::array Foreign{
    TChannel{u"N18", u"美国国家地理频道", true, u"rtsp://world.example.com/natgeo/live.sdp"},
    TChannel{u"ABC1", u"美国ABC新闻台", true, u"mms://world.example.com/abc-news"},
    TChannel{u"BBSWORLD1", u"英国BBSWORLD", true, u"mms://world.example.com/bbs-world"},
    TChannel{u"BC1", u"韩国TBC台", true, u"mmst://korea.example.net:1755/tbc/live?quality=high"},
    TChannel{u"NOW1", u"NOW娱乐台", true, u"mms://asia.example.org/now"},
    TChannel{u"N14", u"意大利音乐台", true, u"mms://world.example.org/italia%20musica/live"},
    TChannel{u"SONET1", u"日本SO-NET频道", true, u"mms://japan.example.org/so-net"},
    TChannel{u"N15", u"日本大和电视台", true, u"mms://japan.example.org/yamato?ch=1&lang=ja"},
    TChannel{u"CBS1", u"韩国CBS电视台", true, u"mmst://korea.example.net/cbs"},
    TChannel{u"CNBC1", u"美国CNBC电视台", true,
             u"rtsp://world.example.com:554/cnbc/live.sdp?start=0"},
    TChannel{u"N20", u"韩国电视台一台", true, u"mms://korea.example.net/kbs1"},
};

constexpr std::array Categories{
    TChannelCategory{u"N1", u"电影电视", Movies},
    TChannelCategory{u"N2", u"体育电视", Sports},
    TChannelCategory{u"CCTV1", u"国内电视", Domestic},
    TChannelCategory{u"N3", u"国外电视", Foreign},
};

} // namespace

std::span<const TChannelCategory> ChannelTable() {
    return Categories;
}

TChannelSource BuiltInChannels() {
    auto list = std::make_shared<TPlaylist>();
    TChannelSource source;
    int position = 0;
    for (const TChannelCategory& category : Categories) {
        TPlaylistGroup& group = list->groups.emplace_back();
        group.name = category.caption.toString();
        for (const TChannel& item : category.channels) {
            TPlaylistChannel& channel = group.channels.emplace_back();
            channel.name = item.caption.toString();
            channel.addresses = {{item.address.toString(), {}}};
            if (!item.shown)
                source.hidden.append(position);
            ++position;
        }
    }
    source.list = std::move(list);
    return source;
}
