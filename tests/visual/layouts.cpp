#include "layouts.h"

#include "tests/expectedcolours.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace expected;

const QColor Dark(0, 0, 0);

TWindowLayout NumberLayout() {
    TWindowLayout w{"TNumFrm", {149, 90}, {489, 427}, MoneyGreen, {}, {}};
    w.BackgroundPoints = {{4, 60},    {20, 300}, {340, 160}, {470, 140}, {440, 300},
                          {480, 420}, {30, 420}, {335, 420}, {240, 110}, {150, 45}};
    const char* const keys[] = {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4",
                                "SpeedButton5", "SpeedButton6", "SpeedButton7"};
    for (int i = 0; i < 7; ++i)
        w.Controls.push_back({keys[i], QRect(48 + 40 * i, 120, 32, 32), TLook::Ink, Dark, {}, 32});
    const char* const panels[] = {"Num0", "Num1", "Num2", "Num3"};
    for (int i = 0; i < 4; ++i)
        w.Controls.push_back(
            {panels[i], QRect(48 + 72 * i, 64, 57, 41), TLook::Filled, Cream, {}, 32});
    w.Controls.push_back({"LogoImage", QRect(0, 0, 145, 55), TLook::Framed, {}, {}, 0});
    w.Controls.push_back({"DovrelSB", QRect(192, 16, 23, 22), TLook::Ink, {}, {}, 0});
    w.Controls.push_back({"ChangeSB", QRect(160, 16, 23, 22), TLook::Ink, Fuchsia, {}, 21});
    w.Controls.push_back(
        {"PCBtn", QRect(240, 200, 81, 25), TLook::Framed, {}, u"放弃,看答案"_s, 11});
    w.Controls.push_back(
        {"Memo2", QRect(48, 232, 273, 177), TLook::Ink, Dark, u"游戏说明："_s, 13});
    w.Controls.push_back(
        {"StartBtn", QRect(352, 56, 75, 25), TLook::Framed, {}, u"电脑出题"_s, 11});
    w.Controls.push_back({"MeBtn", QRect(352, 88, 75, 25), TLook::Framed, {}, u"由我出题"_s, 11});
    w.Controls.push_back({"OKBtn", QRect(48, 200, 75, 25), TLook::Framed, {}, {}, 11});
    w.Controls.push_back(
        {"NULLBtn", QRect(144, 200, 75, 25), TLook::Framed, {}, u"确认无解"_s, 11});
    return w;
}

TWindowLayout ViewdialLayout() {
    TWindowLayout w{"TMainFrm", {190, 115}, {458, 406}, SkyBlue, {}, {}};
    w.BackgroundPoints = {{4, 62},    {300, 30},  {450, 10}, {3, 200},
                          {454, 200}, {200, 402}, {150, 40}};
    w.Controls.push_back({"LogoImage", QRect(0, 0, 145, 55), TLook::Framed, {}, {}, 0});
    w.Controls.push_back({"DovrelSB", QRect(168, 16, 23, 22), TLook::Ink, {}, {}, 0});
    w.Controls.push_back({"StarSB", QRect(192, 16, 23, 22), TLook::Ink, {}, {}, 0});
    w.Controls.push_back(
        {"Memo1", QRect(8, 70, 441, 329), TLook::Ink, Dark, u"晴棠网络电视说明："_s, 16});
    return w;
}

// The picker as it opens in the 1-9 range: "10" to "13" are greyed, and at their
// font size their two digits run past their buttons.
TWindowLayout PickerLayout() {
    TWindowLayout w{"TSelFrm", {149, 223}, {497, 77}, Cream, {}, {}};
    w.BackgroundPoints = {{3, 60}, {490, 70}, {430, 20}, {250, 70}, {4, 4}};
    static const char* const names[] = {
        "SpeedButton1",  "SpeedButton2",  "SpeedButton3",  "SpeedButton4", "SpeedButton5",
        "SpeedButton6",  "SpeedButton7",  "SpeedButton8",  "SpeedButton9", "SpeedButton10",
        "SpeedButton11", "SpeedButton12", "SpeedButton13", "SpeedButton14"};
    for (int i = 0; i < 13; ++i) {
        const bool twoDigits = i >= 9;
        w.Controls.push_back({names[i],
                              QRect(8 + 32 * i, 8, 33, 33),
                              TLook::Ink,
                              twoDigits ? QColor() : Red,
                              {},
                              32,
                              !twoDigits});
    }
    w.Controls.push_back({names[13], QRect(448, 8, 33, 33), TLook::Ink, Fuchsia, {}, 32});
    return w;
}

} // namespace

const TProgramLayout& LayoutOf(const QString& program) {
    // MeBtn ("由我出题") opens the picker.
    static const TProgramLayout number{{NumberLayout(), PickerLayout()}, {{352 + 37, 88 + 12}}};
    static const TProgramLayout viewdial{{ViewdialLayout()}, {}};
    return program == u"viewdial"_s ? viewdial : number;
}
