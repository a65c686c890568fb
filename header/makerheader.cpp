#include "header/makerheader.h"

#include "header/fixedvalues.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>
#include <QToolButton>

#include <chrono>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QRect LogoRect{0, 0, 145, 55};
constexpr QSize GlyphSize{16, 16};

QRect DovrelRect(TMakerHeader::TPlacement placement) {
    const int left = placement == TMakerHeader::TPlacement::Number ? 192 : 168;
    return {left, 16, 23, 22};
}

// The glyph bitmap holds the normal image on the left and the greyed one on the right.
QIcon DovrelIcon() {
    const QPixmap glyph(u":/makerheader/dovrel-glyph.png"_s);
    QIcon icon;
    icon.addPixmap(glyph.copy(QRect({0, 0}, GlyphSize)), QIcon::Normal);
    icon.addPixmap(glyph.copy(QRect({GlyphSize.width(), 0}, GlyphSize)), QIcon::Disabled);
    return icon;
}

std::mt19937::result_type ClockSeed() {
    return static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count());
}

} // namespace

TLogoImage::TLogoImage(QWidget* parent) : QLabel(parent) {}

void TLogoImage::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked();
}

TMakerHeader::TMakerHeader(QWidget* host, TPlacement placement, std::mt19937& random,
                           TCompanionPlatform& platform)
    : QObject(host), FHost(host), FRandom(random), FPlatform(platform),
      FLogoImage(new TLogoImage(host)), FDovrelSB(new QToolButton(host)), FSeedSource(ClockSeed) {
    FLogoImage->setObjectName(u"LogoImage"_s);
    FLogoImage->setPixmap(QPixmap(u":/makerheader/maker-logo.png"_s));
    FLogoImage->setGeometry(LogoRect);
    FLogoImage->setCursor(Qt::PointingHandCursor);
    FLogoImage->setToolTip(MakerHeader::MakerAddress.toString());
    FLogoImage->setAccessibleName(MakerHeader::LogoAccessibleName.toString());
    connect(FLogoImage, &TLogoImage::Clicked, this, &TMakerHeader::LogoImageClick);

    FDovrelSB->setObjectName(u"DovrelSB"_s);
    FDovrelSB->setAutoRaise(true);
    FDovrelSB->setFocusPolicy(Qt::NoFocus);
    FDovrelSB->setIcon(DovrelIcon());
    FDovrelSB->setIconSize(GlyphSize);
    FDovrelSB->setGeometry(DovrelRect(placement));
    if (placement == TPlacement::Number)
        FDovrelSB->setCursor(Qt::PointingHandCursor);
    FDovrelSB->setAccessibleName(MakerHeader::DovrelAccessibleName.toString());
    connect(FDovrelSB, &QToolButton::clicked, this, &TMakerHeader::DovrelSBClick);
}

void TMakerHeader::Setup() {
    FDovrelSB->setToolTip(MakerHeader::PromotionHint.toString());
    FDovrelSB->setVisible(!MakerHeader::CompanionInstalled(FPlatform));
}

void TMakerHeader::LogoImageClick() {
    // The logo's hint is the address it opens.
    MakerHeader::OpenUrl(FPlatform, FHost, FLogoImage->toolTip());
}

void TMakerHeader::DovrelSBClick() {
    FRandom.seed(FSeedSource());
    const int r = std::uniform_int_distribution<int>(0, 9)(FRandom);
    const QStringView page = r > 4 ? MakerHeader::DownloadPageA : MakerHeader::DownloadPageB;
    MakerHeader::OpenUrl(FPlatform, FHost, page.toString());
}

void TMakerHeader::SetSeedSource(TSeedSource source) {
    FSeedSource = std::move(source);
}
