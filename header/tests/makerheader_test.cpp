#include "header/makerheader.h"

#include "common/appshell.h"
#include "header/fixedvalues.h"
#include "header/tests/fakeplatform.h"

#include <QHelpEvent>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include <memory>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(TMakerHeader::TPlacement)

namespace {

const std::wstring DovrelPath = L"C:\\Program Files\\Dovrel\\Dovrel.exe";

// Records what the header asks the desktop's URL opener to open.
class TOpenerRecorder {
public:
    TOpenerRecorder()
        : FPrevious(App::SetUrlOpener([this](const QUrl& url) { Opened << url.toString(); })) {}
    ~TOpenerRecorder() { App::SetUrlOpener(std::move(FPrevious)); }

    QStringList Opened;

private:
    App::UrlOpener FPrevious;
};

} // namespace

class TMakerHeaderTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> FHost;
    std::mt19937 FRandom;
    TFakePlatform FPlatform;

    TMakerHeader* MakeHeader(TMakerHeader::TPlacement placement, TCompanionPlatform& platform) {
        FHost = std::make_unique<QWidget>();
        FHost->resize(489, 120);
        return new TMakerHeader(FHost.get(), placement, FRandom, platform);
    }

    void AddPlacementRows() {
        QTest::addColumn<TMakerHeader::TPlacement>("placement");
        QTest::newRow("number") << TMakerHeader::TPlacement::Number;
        QTest::newRow("viewdial") << TMakerHeader::TPlacement::Viewdial;
    }

private slots:
    void cleanup() {
        QToolTip::hideText();
        FHost.reset();
        FPlatform = TFakePlatform();
        for (QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName()));
    }

    void controlsSitWhereTheHostExpectsThem_data() {
        QTest::addColumn<TMakerHeader::TPlacement>("placement");
        QTest::addColumn<QRect>("button");
        QTest::addColumn<Qt::CursorShape>("buttonCursor");
        QTest::newRow("number") << TMakerHeader::TPlacement::Number << QRect(192, 16, 23, 22)
                                << Qt::PointingHandCursor;
        QTest::newRow("viewdial") << TMakerHeader::TPlacement::Viewdial << QRect(168, 16, 23, 22)
                                  << Qt::ArrowCursor;
    }

    void controlsSitWhereTheHostExpectsThem() {
        QFETCH(TMakerHeader::TPlacement, placement);
        QFETCH(QRect, button);
        QFETCH(Qt::CursorShape, buttonCursor);
        MakeHeader(placement, FPlatform);

        auto* logo = FHost->findChild<QLabel*>(u"LogoImage"_s);
        auto* dovrel = FHost->findChild<QToolButton*>(u"DovrelSB"_s);
        QVERIFY(logo && dovrel);
        QCOMPARE(logo->geometry(), QRect(0, 0, 145, 55));
        QCOMPARE(logo->pixmap().size(), QSize(145, 55));
        QCOMPARE(logo->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(dovrel->geometry(), button);
        QCOMPARE(dovrel->cursor().shape(), buttonCursor);
        QVERIFY(dovrel->autoRaise());
        QVERIFY(dovrel->text().isEmpty());
        QVERIFY(!logo->accessibleName().isEmpty());
        QVERIFY(!dovrel->accessibleName().isEmpty());
    }

    void glyphHasNormalAndGreyedImages() {
        auto* header = MakeHeader(TMakerHeader::TPlacement::Number, FPlatform);
        const QIcon icon = header->DovrelSB()->icon();
        const QImage normal = icon.pixmap(QSize(16, 16), QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        QCOMPARE(normal.size(), QSize(16, 16));
        QVERIFY(normal != disabled);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QColor pixel = disabled.pixelColor(x, y);
                QVERIFY(pixel.alpha() == 0 ||
                        (pixel.red() == pixel.green() && pixel.green() == pixel.blue()));
            }
    }

    void hintsBeforeAndAfterSetup_data() { AddPlacementRows(); }

    void hintsBeforeAndAfterSetup() {
        QFETCH(TMakerHeader::TPlacement, placement);
        auto* header = MakeHeader(placement, FPlatform);
        QCOMPARE(header->LogoImage()->toolTip(), MakerHeader::MakerAddress.toString());
        QVERIFY(header->DovrelSB()->toolTip().isEmpty());

        header->Setup();
        const QString hint = header->DovrelSB()->toolTip();
        QCOMPARE(hint, MakerHeader::PromotionHint.toString());
        QCOMPARE(hint.split(u'\n').size(), 6);
        QVERIFY(!hint.contains(u'\r'));
        QVERIFY(hint.section(u'\n', 0, 0).contains(u"Dovrel"_s));
    }

    void hintShowsThroughTheApplication() {
        auto* header = MakeHeader(TMakerHeader::TPlacement::Number, FPlatform);
        TApplication::SetHintHidePause(30000);
        header->Setup();
        FHost->show();
        QVERIFY(QTest::qWaitForWindowExposed(FHost.get()));

        QToolButton* dovrel = header->DovrelSB();
        const QPoint centre = dovrel->rect().center();
        QHelpEvent hover(QEvent::ToolTip, centre, dovrel->mapToGlobal(centre));
        QApplication::sendEvent(dovrel, &hover);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), MakerHeader::PromotionHint.toString());
        QCOMPARE(TApplication::HintHidePause(), 30000);
    }

    void buttonShowsOnlyWithoutTheCompanion_data() {
        QTest::addColumn<TMakerHeader::TPlacement>("placement");
        QTest::addColumn<std::uint32_t>("versionMS");
        QTest::addColumn<bool>("visible");
        for (const auto& [name, placement] :
             {std::pair{"number", TMakerHeader::TPlacement::Number},
              std::pair{"viewdial", TMakerHeader::TPlacement::Viewdial}}) {
            QTest::addRow("%s/5.1 hides it", name) << placement << Version(5, 1) << false;
            QTest::addRow("%s/5.0 shows it", name) << placement << Version(5, 0) << true;
        }
    }

    void buttonShowsOnlyWithoutTheCompanion() {
        QFETCH(TMakerHeader::TPlacement, placement);
        QFETCH(std::uint32_t, versionMS);
        QFETCH(bool, visible);
        FPlatform.Registration = TRegistryValue{TValueKind::Text, DovrelPath};
        FPlatform.Files[DovrelPath] = TFakeFile{false, versionMS};
        auto* header = MakeHeader(placement, FPlatform);
        header->Setup();
        FHost->show();
        QCOMPARE(header->DovrelSB()->isVisible(), visible);
        QVERIFY(header->LogoImage()->isVisible());
    }

    void setupSurvivesAFailingPlatform() {
        FPlatform.Registration = TRegistryValue{TValueKind::Text, DovrelPath};
        FPlatform.Throws = true;
        auto* header = MakeHeader(TMakerHeader::TPlacement::Viewdial, FPlatform);
        header->Setup();
        FHost->show();
        QVERIFY(header->DovrelSB()->isVisible());
    }

    void nativePlatformShowsTheButton() {
        auto* header = MakeHeader(TMakerHeader::TPlacement::Number, NativePlatform());
        header->Setup();
        FHost->show();
        QVERIFY(header->DovrelSB()->isVisible());
    }

    void logoClickOpensTheMakersAddress_data() { AddPlacementRows(); }

    void logoClickOpensTheMakersAddress() {
        QFETCH(TMakerHeader::TPlacement, placement);
        TOpenerRecorder opener;
        auto* header = MakeHeader(placement, NativePlatform());
        header->Setup();
        FHost->show();
        QVERIFY(QTest::qWaitForWindowExposed(FHost.get()));

        QTest::mouseClick(header->LogoImage(), Qt::RightButton);
        QVERIFY(opener.Opened.isEmpty());
        QTest::mouseClick(header->LogoImage(), Qt::LeftButton);
        QCOMPARE(opener.Opened, QStringList{MakerHeader::MakerAddress.toString()});
    }

    void buttonClicksOpenEachPageAboutHalfTheTime_data() { AddPlacementRows(); }

    void buttonClicksOpenEachPageAboutHalfTheTime() {
        QFETCH(TMakerHeader::TPlacement, placement);
        TOpenerRecorder opener;
        auto* header = MakeHeader(placement, NativePlatform());
        std::mt19937::result_type nextSeed = 0;
        header->SetSeedSource([&nextSeed] { return nextSeed++; });
        header->Setup();
        FHost->show();
        QVERIFY(QTest::qWaitForWindowExposed(FHost.get()));

        const int clicks = 1000;
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(header->DovrelSB(), Qt::LeftButton);

        QCOMPARE(opener.Opened.size(), clicks);
        const auto pageA = opener.Opened.count(MakerHeader::DownloadPageA.toString());
        const auto pageB = opener.Opened.count(MakerHeader::DownloadPageB.toString());
        QCOMPARE(pageA + pageB, clicks);
        QVERIFY2(pageA >= 450 && pageA <= 550, qPrintable(QString::number(pageA)));
    }

    void buttonClickReseedsTheProgramsGenerator() {
        auto* header = MakeHeader(TMakerHeader::TPlacement::Number, FPlatform);
        header->SetSeedSource([] { return 20260607u; });
        header->DovrelSBClick();

        std::mt19937 expected(20260607u);
        const int r = std::uniform_int_distribution<int>(0, 9)(expected);
        QCOMPARE(FRandom, expected);
        const QStringView page = r > 4 ? MakerHeader::DownloadPageA : MakerHeader::DownloadPageB;
        QCOMPARE(FPlatform.Opened, QStringList{page.toString()});
        QCOMPARE(FPlatform.LastOwner, FHost.get());
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TMakerHeaderTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "makerheader_test.moc"
