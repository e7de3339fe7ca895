#include "main_window/form1.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QStyle>

#include "about/form3.h"
#include "main_window/form1_layout.h"
#include "main_window/legible.h"
#include "main_window/station_bus.h"
#include "main_window/twips.h"
#include "settings_dialog/form2.h"

namespace {

// Puts a control at its designed place, under the design's name.
template <typename W>
W* placed(W* widget, std::string_view name) {
    widget->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    widget->setGeometry(form1_layout::parent_px(form1_layout::at(name)));
    return widget;
}

QString caption_of(std::string_view name) {
    return form1_layout::caption(form1_layout::at(name));
}

QGroupBox* frame(QWidget* parent, const QColor& colour, std::string_view name) {
    auto* f = placed(new FrameBox(caption_of(name), parent), name);
    f->setAutoFillBackground(true);
    QPalette pal = f->palette();
    pal.setColor(QPalette::Window, colour);
    f->setPalette(pal);
    return f;
}

QLabel* label(QWidget* parent, std::string_view name) {
    return placed(new QLabel(caption_of(name), parent), name);
}

QLineEdit* text_box(QWidget* parent, std::string_view name) {
    return placed(new QLineEdit(parent), name);
}

QFont button_font(const QFont& base) {
    QFont f = base;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                   QStringLiteral("Noto Sans CJK JP")});
    return f;
}

}  // namespace

Form1::Form1(Module1& module, platform::Services& services) : m_(module), s_(services) {
    setWindowTitle(Form1::tr("ＡＺＥＬＲＯＴ　v2.00"));
    build_controls();
    build_menus();
    // A fixed-size window: it offers no maximise button and its border cannot be dragged.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    layout()->activate();
    setFixedSize(sizeHint());
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    link_watch.setInterval(250);
    connect(&link_watch, &QTimer::timeout, this, [this] {
        // A tick showing a message box runs events; it watches the link itself when done.
        if (!tick_running_) watch_link();
    });
    s_.serial.set_on_comm([this] { MSComm1_OnComm(); });
}

Form1::~Form1() {
    s_.serial.set_on_comm({});
}

void Form1::build_controls() {
    using form1_layout::client_height;
    using form1_layout::client_width;
    auto* client = new QWidget(this);
    client->setFixedSize(twips_to_px(client_width), twips_to_px(client_height));
    setCentralWidget(client);

    Frame4 = frame(client, QColor(192, 255, 192), "Frame4");
    Label1[0] = label(Frame4, "Label1(0)");
    Label4 = label(Frame4, "Label4");
    Label1[1] = label(Frame4, "Label1(1)");
    Label6 = label(Frame4, "Label6");

    Frame5 = frame(client, QColor(255, 255, 192), "Frame5");
    Label1[2] = label(Frame5, "Label1(2)");
    Label8 = label(Frame5, "Label8");
    Label1[3] = label(Frame5, "Label1(3)");
    Label9 = label(Frame5, "Label9");

    Frame3 = frame(client, QColor(192, 255, 255), "Frame3");
    Option1 = placed(new QRadioButton(caption_of("Option1"), Frame3), "Option1");
    Text1 = text_box(Frame3, "Text1");
    Option2 = placed(new QRadioButton(caption_of("Option2"), Frame3), "Option2");
    connect(Option1, &QRadioButton::clicked, this, &Form1::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &Form1::Option2_Click);

    Label2 = label(client, "Label2");
    Text3 = text_box(client, "Text3");
    Text14 = text_box(client, "Text14");
    Label3 = label(client, "Label3");
    Text4 = text_box(client, "Text4");
    Text15 = text_box(client, "Text15");

    Picture1 = placed(new RadarPicture(client), "Picture1");
    Picture1->setToolTip(Form1::tr("クリックして設定位置を決定します"));
    Picture1->on_mouse_down = [this](Qt::MouseButton b, Qt::KeyboardModifiers k, double x,
                                     double y) { Picture1_MouseDown(b, k, x, y); };

    Frame2 = frame(client, QColor(192, 192, 255), "Frame2");
    Label5 = label(Frame2, "Label5");
    Label7 = label(Frame2, "Label7");

    Frame1 = frame(client, QColor(255, 192, 255), "Frame1");
    Label16 = label(Frame1, "Label16");
    // Replies are shown as they came: a garbled line must not be read as markup.
    Label16->setTextFormat(Qt::PlainText);

    Command2 = placed(new CaptionButton(caption_of("Command2"), client), "Command2");
    Command2->setToolTip(Form1::tr("ＯＲＢＸに連動してアンテナ制御を行います"));
    Command2->setFont(button_font(font()));
    Command4 = placed(new CaptionButton(caption_of("Command4"), client), "Command4");
    Command4->setToolTip(Form1::tr("クリック前にレーダ画面に位置を決定しておいてください"));
    Command4->setFont(button_font(font()));
    Command3 = placed(new QPushButton(caption_of("Command3"), client), "Command3");
    Command3->setToolTip(Form1::tr("プログラムの終了"));
    Label15 = label(client, "Label15");

    // Outside the visible client area, as designed: reachable from code only.
    Command1 = placed(new QPushButton(caption_of("Command1"), client), "Command1");
    Text5 = text_box(client, "Text5");
    Text6 = text_box(client, "Text6");
    Text7 = text_box(client, "Text7");
    Text8 = text_box(client, "Text8");
    Text12 = text_box(client, "Text12");
    Text13 = text_box(client, "Text13");

    // What the operator types into a value box counts as that value until the next refresh.
    for (std::size_t i = 0; i < tracking_item_count; ++i) {
        const auto item = static_cast<TrackingItem>(i);
        connect(box_of(item), &QLineEdit::textEdited, this,
                [this, item](const QString& text) { state_.value(item) = text; });
    }

    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);

    for (QLabel* lamp : Label1) {
        lamp->setAutoFillBackground(true);
        set_back_colour(lamp, palette().color(QPalette::Base));
    }

    fit_captions(client);
    // Filled in while running: room for one line whatever the text.
    for (QLabel* line : {Label5, Label7, Label15, Label16}) keep_line_height(line);
}

void Form1::build_menus() {
    QMenu* settei = menuBar()->addMenu(Form1::tr("設定"));
    menu_settei = settei->menuAction();
    menu_kannkyou_settei = settei->addAction(Form1::tr("環境設定"));
    build_operation_menu();
    QMenu* help = menuBar()->addMenu(Form1::tr("ヘルプ"));
    menu_help = help->menuAction();
    QMenu* debug = help->addMenu(Form1::tr("ＤＥＢＵＧ"));
    menu_debug = debug->menuAction();
    menu_debug_on = debug->addAction(Form1::tr("ＯＮ"));
    menu_debug_off = debug->addAction(Form1::tr("ＯＦＦ"));
    menu_debug_on->setCheckable(true);
    menu_debug_off->setCheckable(true);
    menu_debug_off->setChecked(true);
    menu_ver = help->addAction(Form1::tr("バージョン"));

    connect(menu_kannkyou_settei, &QAction::triggered, this, &Form1::menu_kannkyou_settei_Click);
    connect(menu_debug_on, &QAction::triggered, this, &Form1::menu_debug_on_Click);
    connect(menu_debug_off, &QAction::triggered, this, &Form1::menu_debug_off_Click);
    connect(menu_ver, &QAction::triggered, this, &Form1::menu_ver_Click);
}

void Form1::set_back_colour(QWidget* widget, const QColor& colour) {
    const QVariant before = widget->property("back_colour");
    if (before.isValid() && before.value<QColor>() == colour) return;
    widget->setProperty("back_colour", colour);
    if (auto* button = qobject_cast<CaptionButton*>(widget)) {
        button->set_face(colour);
        return;
    }
    widget->setAutoFillBackground(true);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour.isValid() ? colour : QPalette().color(QPalette::Window));
    widget->setPalette(pal);
}

QColor Form1::back_colour(const QWidget* widget) {
    return widget->property("back_colour").value<QColor>();
}

void Form1::show_value(QLineEdit* box, const QString& value) {
    box->setText(value);
    box->setCursorPosition(0);
}

QLineEdit* Form1::box_of(TrackingItem item) const {
    const std::array<QLineEdit*, tracking_item_count> boxes{
        Text1, Text3, Text4, Text5, Text8, Text7, Text6, Text12, Text13, Text14, Text15};
    return boxes[static_cast<std::size_t>(item)];
}

void Form1::show_tracking_value(TrackingItem item, const QString& text) {
    state_.value(item) = text;
    show_value(box_of(item), text);
}

QSize Form1::designed_size() const {
    return {twips_to_px(form_width_), twips_to_px(form_height_)};
}

int Form1::top_twips() const {
    return pos() == placed_px_ ? placed_top_twips_ : pos().y() * 15;
}

int Form1::left_twips() const {
    return pos() == placed_px_ ? placed_left_twips_ : pos().x() * 15;
}

void Form1::move_to_twips(int top, int left) {
    move(twips_to_px(left), twips_to_px(top));
    placed_px_ = pos();
    placed_top_twips_ = top;
    placed_left_twips_ = left;
}

Form2& Form1::form2() {
    if (!form2_) {
        form2_ = std::make_unique<Form2>(m_, s_, *this);
        form2_->Form_Load();
    }
    return *form2_;
}

Form2* Form1::form2_if_loaded() const {
    return form2_.get();
}
Form3* Form1::form3_if_open() const {
    return form3_.get();
}

void Form1::release_form2() {
    if (form2_) form2_.release()->deleteLater();
}

void Form1::release_form3() {
    if (form3_) form3_.release()->deleteLater();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (shutting_down_) {
        // The shutdown under way ends the program itself once the port is closed.
        event->ignore();
        return;
    }
    Command3_Click();
    event->accept();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}
