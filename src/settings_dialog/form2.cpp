#include "settings_dialog/form2.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCloseEvent>
#include <QEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>

#include "main_window/form1.h"
#include "main_window/twips.h"
#include "settings_dialog/interval_input.h"
#include "settings_dialog/port_list.h"

namespace {

constexpr int client_width = 6225;
constexpr int client_height = 7575;

// Qt hands a tooltip request on to the parent when a widget has none of its own; a few
// controls are designed to show nothing even inside a frame that has a tooltip.
class NoToolTip final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return false;
        QToolTip::hideText();
        event->accept();
        return true;
    }
};

template <typename W>
W* placed(W* widget, int l, int t, int w, int h, const QString& tip = {}) {
    place(widget, l, t, w, h);
    if (!tip.isEmpty()) widget->setToolTip(tip);
    return widget;
}

QGroupBox* frame(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                 const QString& tip = {}) {
    return placed(new QGroupBox(caption, parent), l, t, w, h, tip);
}

QLabel* label(QWidget* parent, const QString& caption, int l, int t, int w, int h,
              const QString& tip = {}) {
    return placed(new QLabel(caption, parent), l, t, w, h, tip);
}

QLineEdit* text_box(QWidget* parent, const QString& text, int l, int t, int w, int h,
                    const QString& tip = {}) {
    return placed(new QLineEdit(text, parent), l, t, w, h, tip);
}

QRadioButton* option(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                     const QString& tip = {}) {
    return placed(new QRadioButton(caption, parent), l, t, w, h, tip);
}

QPushButton* button(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                    const QString& tip = {}) {
    auto* b = placed(new QPushButton(caption, parent), l, t, w, h, tip);
    b->setAutoDefault(false);
    return b;
}

// Captions are drawn condensed where the designed width is too narrow for the UI font, so
// that every control keeps its designed place and shows its whole caption.
int caption_width(const QWidget* w) {
    if (const auto* b = qobject_cast<const QPushButton*>(w)) {
        return QFontMetrics(b->font()).horizontalAdvance(b->text()) + 8;
    }
    if (const auto* l = qobject_cast<const QLabel*>(w)) {
        return QFontMetrics(l->font()).horizontalAdvance(l->text());
    }
    return w->sizeHint().width();  // option buttons and the check box: indicator and caption
}

void squeeze_caption(QWidget* w) {
    QFont font = w->font();
    for (int stretch = 95; caption_width(w) > w->width() && stretch >= 60; stretch -= 5) {
        font.setStretch(stretch);
        w->setFont(font);
    }
}

// A caption designed to wrap inside a box too small for two lines of the UI font: drawn in
// two tight lines, broken where it reads well, squeezed to the width when needed. The text
// itself stays the caption as designed.
class TwoLineLabel final : public QLabel {
  public:
    // A caption with blanks (a translation) breaks at the blank nearest its middle instead.
    TwoLineLabel(const QString& caption, qsizetype break_at, QWidget* parent)
        : QLabel(caption, parent), break_at_(break_at) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        const QString t = text();
        qsizetype at = break_at_;
        qsizetype skip = 0;
        for (qsizetype i = 0; i < t.size(); ++i) {
            if (t[i] != u' ') continue;
            if (skip == 0 || std::abs(2 * i - t.size()) < std::abs(2 * at - t.size())) at = i;
            skip = 1;
        }
        const QString lines[] = {t.left(at), t.mid(at + skip)};
        const QFontMetricsF fm(font());
        const double em = QFontInfo(font()).pixelSize();
        const double widest =
            std::max(fm.horizontalAdvance(lines[0]), fm.horizontalAdvance(lines[1]));
        QPainter p(this);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::WindowText));
        if (widest > width()) p.scale(width() / widest, 1.0);
        const double step = em * 1.15;
        double baseline = (height() - step - em) / 2 + em * 0.88;
        for (const QString& line : lines) {
            p.drawText(QPointF(0, baseline), line);
            baseline += step;
        }
    }

  private:
    qsizetype break_at_;
};

// Frame captions sit on the frame's top line, so controls placed near a frame's top stay
// inside it.
const QString frame_style = QStringLiteral(
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
    " left: 6px; padding: 0 1px; }");

struct CaptionFit {
    int raise;   // pixels the caption moves up
    int pixels;  // its font's pixel size
};

// A frame's caption is drawn under the frame's controls. Where a control is designed close
// to the frame's top, the caption is raised to the frame's top edge and, if that is not
// enough, drawn smaller, so that no control covers part of it. Nothing when it fits as is.
std::optional<CaptionFit> caption_fit(const QGroupBox* frame) {
    const QString caption = frame->title();
    const QFont font = frame->font();
    int room = INT_MAX;  // top of the highest control under the caption
    const int caption_right = 8 + QFontMetrics(font).horizontalAdvance(caption);
    for (const QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->x() < caption_right) room = std::min(room, child->y());
    }
    const auto ink = [&caption](const QFont& f) {
        const QFontMetrics fm(f);
        const QRect r = fm.tightBoundingRect(caption);
        return std::pair{fm.ascent() + r.top(), fm.ascent() + r.bottom()};  // rows from the top
    };
    if (ink(font).second < room) return std::nullopt;
    QFont smaller = font;
    int pixels = QFontInfo(font).pixelSize();
    smaller.setPixelSize(pixels);
    // One blank row stays above the letters.
    const auto raise_of = [&ink](const QFont& f) { return std::max(0, ink(f).first - 1); };
    int raise = raise_of(smaller);
    while (pixels > 9 && ink(smaller).second - raise >= room) {
        smaller.setPixelSize(--pixels);
        raise = raise_of(smaller);
    }
    return CaptionFit{raise, pixels};
}

}  // namespace

Form2::Form2(Module1& module, platform::Services& services, Form1& form1)
    : m_(module), s_(services), form1_(form1) {
    setWindowTitle(tr("ＡＺＥＬＲＯＴ設定"));
    setFixedSize(twips_to_px(client_width), twips_to_px(client_height));
    build_settings_controls();
    build_calibration_frames();
    set_tab_order();
    connect_handlers();
    // Replies come to the labels for as long as the dialog exists.
    connect(&form1, &Form1::reply_received, this, &Form2::show_reply);
    setStyleSheet(frame_style);
    ensurePolished();
    fit_frame_captions();
    for (QAbstractButton* b : findChildren<QAbstractButton*>()) squeeze_caption(b);
    for (QLabel* l : findChildren<QLabel*>()) {
        if (l != Label30) squeeze_caption(l);
    }
    Command1->setFocus();
}

Form2::~Form2() = default;

void Form2::build_settings_controls() {
    const QString base_point_tip = tr("基点は北で固定");
    const QString port_tip = tr("ＰＣのＲＳ２３２Ｃのポート設定");
    const QString address_tip = tr("ＰＩＣＮＩＣのＩＰアドレスの設定");
    Frame1 = frame(this, tr("基点設定"), 180, 135, 2265, 690, base_point_tip);
    Option1 = option(Frame1, tr("北"), 150, 315, 735, 195, base_point_tip);
    Option2 = option(Frame1, tr("南"), 1260, 315, 735, 240, base_point_tip);
    Option1->setChecked(true);
    Option2->setEnabled(false);

    Label2 = label(this, tr("処理時間間隔"), 3510, 210, 1095, 285);
    Text1 = text_box(this, QStringLiteral("1"), 4800, 210, 645, 285);
    new IntervalInputGuard(Text1, s_.message_box);
    Label3 = label(this, tr("秒"), 5550, 240, 375, 240);

    Frame6 = frame(this, tr("接続設定"), 180, 930, 5835, 3105);
    Check1 = placed(new QCheckBox(tr("ＯＲＢＸによる制御ＯＮ"), Frame6), 330, 300, 2505, 345,
                    tr("ＯＲＢＸを起動して連動動作する"));
    Option3 = option(Frame6, tr("ＲＳ２３２Ｃ接続"), 330, 870, 2565, 225,
                     tr("ＰＣのＲＳ２３２Ｃ接続で制御"));
    Option4 = option(Frame6, tr("ＰＩＣＮＩＣ経由のＲＳ２３２Ｃ接続"), 3030, 810, 2655, 315,
                     tr("ＰＩＣＮＩＣに実装されているＲＳ２３２Ｃで制御"));

    Frame8 = frame(Frame6, tr("ＲＳ２３２Ｃ接続"), 300, 1350, 5385, 735, port_tip);
    Label1 = label(Frame8, tr("ＰＯＲＴ設定"), 990, 270, 1005, 225, port_tip);
    Combo1 = placed(new QComboBox(Frame8), 2400, 240, 915, 300, port_tip);
    Combo1->setEditable(true);
    // A typed port name is used as typed, not added to the list.
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->addItems(port_choices(present_serial_ports()));
    // The box is narrow: a device path shows whole in its tooltip and in the open list.
    connect(Combo1, &QComboBox::currentTextChanged, this, [this, port_tip](const QString& text) {
        Combo1->setToolTip(text.isEmpty() ? port_tip : text + u'\n' + port_tip);
    });
    Combo1->view()->setMinimumWidth(Combo1->view()->sizeHintForColumn(0) + 24);
    Combo1->setCurrentText(QStringLiteral("COM1"));

    Frame7 =
        frame(Frame6, tr("ＰＩＣＮＩＣ経由のＲＳ２３２Ｃ接続"), 300, 2100, 5385, 855, address_tip);
    // Created first so that it stays behind the address row it surrounds.
    Shape3 = placed(new QFrame(Frame7), 240, 210, 4920, 510);
    Shape3->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label30 = placed(new TwoLineLabel(tr("PICNICのＩＰアドレス"), 7, Frame7), 600, 300, 915, 375,
                     address_tip);
    Line1 = new QFrame(Frame7);
    Line1->setFrameStyle(QFrame::VLine | QFrame::Plain);
    Line1->setGeometry(twips_to_px(1710) - 1, twips_to_px(210), 3, twips_to_px(705 - 210));
    Text5 = text_box(Frame7, QStringLiteral("192"), 2010, 300, 555, 330, address_tip);
    Text6 = text_box(Frame7, QStringLiteral("168"), 2730, 300, 510, 330, address_tip);
    Text7 = text_box(Frame7, QStringLiteral("0"), 3420, 300, 510, 330, address_tip);
    Text8 = text_box(Frame7, QStringLiteral("200"), 4140, 300, 510, 330, address_tip);

    Command1 = button(this, tr("登録終了"), 4980, 7200, 1005, 330,
                      tr("プログラムの再起動を行ってください"));
}

void Form2::build_calibration_frames() {
    auto* no_tip = new NoToolTip(this);

    const QString tip2 = tr("水平ローテータの０度のオフセットの設定");
    Frame2 = frame(this, tr("水平オフセット調整"), 225, 4125, 2940, 1365, tip2);
    Command2 = button(Frame2, tr("調整開始"), 270, 270, 870, 330, tip2);
    Command3 = button(Frame2, QStringLiteral("YES"), 315, 990, 780, 285, tip2);
    Command4 = button(Frame2, QStringLiteral("NO"), 1395, 990, 780, 285, tip2);
    Label4 = label(Frame2, {}, 135, 675, 2670, 240, tip2);

    const QString tip3 = tr("水平ローテータの最大角の設定");
    Frame3 = frame(this, tr("水平フルスケール"), 3240, 4125, 2805, 1365, tip3);
    Command5 = button(Frame3, tr("Ｐ４５"), 180, 180, 915, 330,
                      tr("水平ローテータの最大角の設定（最大角４５０度）"));
    Command6 = button(Frame3, tr("Ｐ３６"), 1485, 180, 825, 330,
                      tr("水平ローテータの最大角の設定（最大角３６０度）"));
    Command7 = button(Frame3, tr("Ｆ"), 180, 990, 915, 330, tip3);
    Label5 = label(Frame3, {}, 270, 585, 2220, 330, tip3);

    const QString tip4 = tr("仰角ローテータの０度の設定");
    Frame4 = frame(this, tr("仰角オフセット"), 270, 5610, 2895, 1410, tip4);
    Command8 = button(Frame4, tr("調整開始"), 270, 225, 870, 330);
    Command8->installEventFilter(no_tip);
    Command9 = button(Frame4, tr("ＹＥＳ"), 270, 1035, 690, 285, tip4);
    Command10 = button(Frame4, tr("ＮＯ"), 1305, 1035, 690, 285, tip4);
    Label6 = label(Frame4, {}, 330, 630, 2310, 330, tip4);

    const QString tip5 = tr("仰角と水平ローテータの最大角の設定");
    Frame5 = frame(this, tr("水平／ 仰角フルスケール"), 3285, 5610, 2760, 1410, tip5);
    Command11 = button(Frame5, tr("Ｆ２"), 180, 270, 780, 330, tip5);
    Label7 = label(Frame5, {}, 150, 750, 2490, 240);
    Label7->installEventFilter(no_tip);
    // These show the controller's replies as they came, never read as markup.
    for (QLabel* reply : {Label4, Label5, Label6, Label7}) reply->setTextFormat(Qt::PlainText);
}

void Form2::fit_frame_captions() {
    const std::pair<QGroupBox*, const char*> frames[] = {
        {Frame1, "Frame1"}, {Frame2, "Frame2"}, {Frame3, "Frame3"}, {Frame4, "Frame4"},
        {Frame5, "Frame5"}, {Frame6, "Frame6"}, {Frame7, "Frame7"}, {Frame8, "Frame8"}};
    QString rules;
    for (const auto& [frame, name] : frames) {
        frame->setObjectName(QString::fromLatin1(name));
        const auto fit = caption_fit(frame);
        if (!fit) continue;
        rules += QStringLiteral("QGroupBox#%1::title { top: %2px; }")
                     .arg(frame->objectName())
                     .arg(-fit->raise);
        // The caption takes the frame's font; its controls keep the one they had.
        const QFont font = frame->font();
        if (QFontInfo(font).pixelSize() == fit->pixels) continue;
        for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            child->setFont(font);
        }
        QFont smaller = font;
        smaller.setPixelSize(fit->pixels);
        frame->setFont(smaller);
    }
    if (!rules.isEmpty()) setStyleSheet(frame_style + rules);
}

void Form2::set_tab_order() {
    // The designed tab indexes: the save button first, the connection settings last.
    QWidget* const chain[] = {Command1,  Option1,   Option2,  Text1,    Command2, Command3,
                              Command4,  Command5,  Command6, Command7, Command8, Command9,
                              Command10, Command11, Option3,  Option4,  Text8,    Text7,
                              Text6,     Text5,     Combo1,   Check1};
    for (size_t i = 1; i < std::size(chain); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

void Form2::connect_handlers() {
    // Selecting an option from code runs its handler as a click would.
    connect(Option3, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Option3_Click();
    });
    connect(Option4, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Option4_Click();
    });
    connect(Check1, &QCheckBox::toggled, this, &Form2::Check1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form2::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form2::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Form2::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Form2::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &Form2::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &Form2::Command11_Click);
}

void Form2::closeEvent(QCloseEvent* event) {
    // The close is never cancelled: a refused save loses the entries, and what they had
    // already changed goes back to the file's values.
    if (save_settings() != SaveOutcome::saved) form1_.restore_dialog_settings();
    event->accept();
    // Whatever step the dialog was in ends with it; the radar takes clicks again.
    m_.operation_mode = OperationMode::running;
    form1_.release_form2();
}
