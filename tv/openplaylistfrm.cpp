#include "tv/openplaylistfrm.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

TOpenPlaylistFrm::TAsker g_asker;

struct TTexts {
    const char16_t* title;
    const char16_t* prompt;
    const char16_t* ok;
    const char16_t* filter;
};

const TTexts& TextsOf(TOpenPlaylistFrm::TAsked asked) {
    static const TTexts Playlist{u"打开频道列表", u"频道列表的文件或 http(s) 地址：", u"打开",
                                 u"频道列表 (*.m3u *.m3u8 *.txt)"};
    static const TTexts Guide{u"设置节目单地址", u"节目单（XMLTV）的文件或 http(s) 地址：", u"确定",
                              u"节目单 (*.xml *.gz)"};
    return asked == TOpenPlaylistFrm::TAsked::Guide ? Guide : Playlist;
}

} // namespace

TOpenPlaylistFrm::TOpenPlaylistFrm(QWidget* parent, TAsked asked) : QDialog(parent), FAsked(asked) {
    setObjectName(u"OpenPlaylistFrm"_s);
    setWindowTitle(QString::fromUtf16(TextsOf(asked).title));

    auto* prompt = new QLabel(QString::fromUtf16(TextsOf(asked).prompt), this);
    LocationEdt = new QLineEdit(this);
    LocationEdt->setObjectName(u"LocationEdt"_s);
    LocationEdt->setAccessibleName(prompt->text());
    LocationEdt->setMinimumWidth(320);
    prompt->setBuddy(LocationEdt);
    BrowseBtn = new QPushButton(u"浏览…"_s, this);
    BrowseBtn->setObjectName(u"BrowseBtn"_s);
    connect(BrowseBtn, &QPushButton::clicked, this, &TOpenPlaylistFrm::BrowseBtnClick);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OKBtn = buttons->button(QDialogButtonBox::Ok);
    OKBtn->setText(QString::fromUtf16(TextsOf(asked).ok));
    OKBtn->setEnabled(false);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"取消"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(LocationEdt, &QLineEdit::textChanged, this,
            [this](const QString& text) { OKBtn->setEnabled(!text.trimmed().isEmpty()); });

    auto* row = new QHBoxLayout;
    row->addWidget(LocationEdt);
    row->addWidget(BrowseBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

TOpenPlaylistFrm::TAsker TOpenPlaylistFrm::SetAsker(TAsker asker) {
    return std::exchange(g_asker, std::move(asker));
}

QString TOpenPlaylistFrm::Ask(QWidget* parent, TAsked asked) {
    if (g_asker)
        return g_asker(parent, asked);
    TOpenPlaylistFrm dialog(parent, asked);
    return dialog.exec() == QDialog::Accepted ? dialog.LocationEdt->text().trimmed() : QString();
}

void TOpenPlaylistFrm::BrowseBtnClick() {
    const QString file = QFileDialog::getOpenFileName(this, windowTitle(), {},
                                                      QString::fromUtf16(TextsOf(FAsked).filter));
    if (!file.isEmpty())
        LocationEdt->setText(file);
}
