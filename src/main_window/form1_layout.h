#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <string_view>

// The main window's design: every control's place in twips inside its parent (a frame or the
// client area) and its caption. The window is built from it, and `azelrot --print-layout`
// prints it for the tools that drive the window from outside.

struct DesignPlace {
    std::string_view name;
    std::string_view parent;  // empty: the client area
    int left, top, width, height;
    // UTF-8, as written in Japanese; empty: none, or filled in while running.
    std::string_view caption;
};

namespace form1_layout {

inline constexpr int client_width = 5370;
inline constexpr int client_height = 4635;

// Parents come before their children.
inline constexpr std::array<DesignPlace, 37> places{{
    {"Frame4", {}, 60, 30, 4965, 435, QT_TRANSLATE_NOOP("Form1", "動作状態")},
    {"Label1(0)", "Frame4", 210, 210, 465, 165, {}},
    {"Label4", "Frame4", 810, 210, 1095, 195, QT_TRANSLATE_NOOP("Form1", "ＯＲＢＸ連動")},
    {"Label1(1)", "Frame4", 2130, 210, 465, 165, {}},
    {"Label6", "Frame4", 2790, 210, 1155, 195, QT_TRANSLATE_NOOP("Form1", "手動操作")},
    {"Frame5", {}, 60, 480, 4965, 495, QT_TRANSLATE_NOOP("Form1", "接続")},
    {"Label1(2)", "Frame5", 210, 240, 465, 165, {}},
    {"Label8", "Frame5", 780, 240, 1185, 225, QT_TRANSLATE_NOOP("Form1", "RS232C接続")},
    {"Label1(3)", "Frame5", 2130, 240, 465, 165, {}},
    {"Label9", "Frame5", 2790, 240, 2115, 165,
     QT_TRANSLATE_NOOP("Form1", "ＰＩＣＮＩＣ接続＋ＲＳ２３２Ｃ")},
    {"Frame3", {}, 60, 990, 2115, 825, QT_TRANSLATE_NOOP("Form1", "追跡対象")},
    {"Option1", "Frame3", 90, 240, 1035, 195, QT_TRANSLATE_NOOP("Form1", "人工衛星")},
    {"Text1", "Frame3", 1170, 180, 870, 270, {}},
    {"Option2", "Frame3", 90, 540, 975, 195, QT_TRANSLATE_NOOP("Form1", "月")},
    {"Label2", {}, 2250, 1140, 465, 240, QT_TRANSLATE_NOOP("Form1", "方位 ")},
    {"Text3", {}, 2745, 1095, 780, 285, {}},
    {"Text14", {}, 2730, 1110, 780, 285, {}},
    {"Label3", {}, 3690, 1140, 465, 240, QT_TRANSLATE_NOOP("Form1", "仰角")},
    {"Text4", {}, 4230, 1095, 765, 285, {}},
    {"Text15", {}, 4230, 1110, 765, 285, {}},
    {"Picture1", {}, 2280, 1455, 2700, 2700, {}},
    {"Frame2", {}, 60, 1890, 2115, 960, QT_TRANSLATE_NOOP("Form1", "送信コマンド")},
    {"Label5", "Frame2", 90, 225, 1830, 240, {}},
    {"Label7", "Frame2", 90, 630, 1905, 240, {}},
    {"Frame1", {}, 45, 2880, 2145, 555, QT_TRANSLATE_NOOP("Form1", "アンテナ情報")},
    {"Label16", "Frame1", 120, 270, 1905, 150, {}},
    {"Command2", {}, 180, 3510, 825, 420, QT_TRANSLATE_NOOP("Form1", "自動追尾開始")},
    {"Command4", {}, 1200, 3510, 825, 420, QT_TRANSLATE_NOOP("Form1", "手動開始")},
    {"Command3", {}, 180, 4080, 825, 375, QT_TRANSLATE_NOOP("Form1", "終了")},
    {"Label15", {}, 1260, 4200, 3570, 285, {}},
    // Outside the visible client area, as designed: reachable from code only.
    {"Command1", {}, 3180, 5190, 915, 285, "Command1"},
    {"Text5", {}, 120, 4815, 600, 285, {}},
    {"Text6", {}, 840, 4815, 600, 285, {}},
    {"Text7", {}, 1560, 4815, 600, 285, {}},
    {"Text8", {}, 2280, 4815, 600, 285, {}},
    {"Text12", {}, 120, 5220, 600, 285, {}},
    {"Text13", {}, 840, 5220, 600, 285, {}},
}};

// The place with this name; the program does not build without it.
constexpr const DesignPlace& at(std::string_view name) {
    for (const DesignPlace& p : places) {
        if (p.name == name) return p;
    }
    throw "no such control";
}

// Where the window puts a control inside its parent, in pixels.
QRect parent_px(const DesignPlace& place);
// Where it is in the client area, in pixels: each level of parents rounded as the window
// rounds it.
QRect client_px(const DesignPlace& place);

// The control's caption as the window shows it at start, in the window's language.
QString caption(const DesignPlace& place);

// One line per control, "name x y w h" in client-area pixels, then a blank and the caption
// when it has one; after a "client" line with the client area's size.
QString printed_layout();

}  // namespace form1_layout
