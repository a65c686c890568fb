#pragma once

// The maker header: the maker's logo, which opens the maker's web site, and the button that
// promotes the companion product Dovrel, at the top left of each program's main window.
//
// A host window uses it in three lines:
//
//     // in the constructor, before the controls that follow the header in creation order:
//     FHeader = new TMakerHeader(this, TMakerHeader::TPlacement::Number, Random);
//     // in FormCreate, in this order:
//     TApplication::SetHintHidePause(App::MainWindowHintHidePause);
//     FHeader->Setup();
//
// The header parents itself and both controls to the host, so the host frees nothing. Both
// clicks are wired to LogoImageClick and DovrelSBClick here. The controls are children of the
// host named "LogoImage" and "DovrelSB", reachable with findChild or the accessors below.
// Random is the program's one generator: a click on the button re-seeds it from the clock.

#include "header/nativeplatform.h"

#include <QLabel>
#include <QObject>

#include <functional>
#include <random>

class QToolButton;

// The logo: a picture that opens the address in its hint when clicked.
class TLogoImage : public QLabel {
    Q_OBJECT
public:
    explicit TLogoImage(QWidget* parent);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TMakerHeader : public QObject {
    Q_OBJECT
public:
    // Which program's window hosts the header; the button's place and cursor differ.
    enum class TPlacement { Number, Viewdial };

    // Where a click on the button takes its new seed from; the clock unless a test replaces it.
    using TSeedSource = std::function<std::mt19937::result_type()>;

    TMakerHeader(QWidget* host, TPlacement placement, std::mt19937& random,
                 TCompanionPlatform& platform = NativePlatform());

    // Gives the button its hint and shows it only while the companion product is not installed
    // at 5.1 or later. Decided once; never throws.
    void Setup();

    void LogoImageClick();
    void DovrelSBClick();

    TLogoImage* LogoImage() const { return FLogoImage; }
    QToolButton* DovrelSB() const { return FDovrelSB; }

    void SetSeedSource(TSeedSource source);

private:
    QWidget* FHost;
    std::mt19937& FRandom;
    TCompanionPlatform& FPlatform;
    TLogoImage* FLogoImage;
    QToolButton* FDovrelSB;
    TSeedSource FSeedSource;
};
