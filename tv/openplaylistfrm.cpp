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

} // namespace

TOpenPlaylistFrm::TOpenPlaylistFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(u"OpenPlaylistFrm"_s);
    setWindowTitle(u"打开频道列表"_s);

    auto* prompt = new QLabel(u"频道列表的文件或 http(s) 地址："_s, this);
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
    OKBtn->setText(u"打开"_s);
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

QString TOpenPlaylistFrm::Ask(QWidget* parent) {
    if (g_asker)
        return g_asker(parent);
    TOpenPlaylistFrm dialog(parent);
    return dialog.exec() == QDialog::Accepted ? dialog.LocationEdt->text().trimmed() : QString();
}

void TOpenPlaylistFrm::BrowseBtnClick() {
    const QString file = QFileDialog::getOpenFileName(this, u"打开频道列表"_s, {},
                                                      u"频道列表 (*.m3u *.m3u8 *.txt)"_s);
    if (!file.isEmpty())
        LocationEdt->setText(file);
}
