#include "launcher/form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QWindow>
#include <string>

#include "launcher/debugging.h"
#include "launcher/info.h"
#include "launcher/launch_request.h"
#include "launcher/pictures.h"
#include "launcher/server_panel.h"
#include "launcher/setup_form.h"
#include "launcher/skin.h"
#include "platform/core/errors.h"
#include "platform/core/paths.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"
#include "platform/core/shell.h"
#include "platform/core/text_to_integer.h"
#include "platform/net/connection_state.h"
#include "platform/ui/application.h"
#include "platform/ui/check_box.h"
#include "platform/ui/guarded.h"
#include "platform/ui/plain_labels.h"
#include "platform/ui/text.h"
#include "platform/ui/window_placement.h"
#include "query/status_exchange.h"
#include "ui_form.h"

namespace kvtu::launcher {

bool drag_active = false;
std::int32_t drag_start_x = 0;
std::int32_t drag_start_y = 0;
Tmain_form* main_form = nullptr;

namespace {

const std::string online_tip = "Ich bin im Online mode";
const std::string offline_tip = "Ich bin im Offline mode";
const std::string ip_missing = "Du musst eine IP eingeben!";
const std::string port_missing = "Du musst einen Port eingeben!";
const std::string server_offline = "Offline";
// A reply this short is an offline server rather than a foreign datagram.
constexpr std::size_t shortest_reply = 8;
const std::string beta_patch_note =
    "Note: You MUST have installed the 1.96 BETA Patch to run it! \"KORVANTHBETA.EXE\"";

std::int32_t checked_difference(std::int32_t minuend, std::int32_t subtrahend) {
    std::int32_t result;
    if (__builtin_sub_overflow(minuend, subtrahend, &result)) {
        throw OverflowError(overflow_message());
    }
    return result;
}

bool on_wayland() {
    return QGuiApplication::platformName().startsWith("wayland");
}

}  // namespace

void show_window(QWidget& window) {
    if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

Tmain_form::Tmain_form(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      ui_(std::make_unique<Ui::Tmain_form>()) {
    ui_->setupUi(this);
    ui::center_on_first_show(*this);
    ui::show_labels_as_plain_text(*this);
    for (QCheckBox* box : findChildren<QCheckBox*>()) ui::fit_indicator_to_box(*box);
    systray_popup_ = new QMenu(this);
    setFixedSize(372, 273);
    setWindowIcon(application_icon());
    // The window has no title bar to show its own caption; what the desktop's taskbar shows of
    // it is the application's title, as on the platform the launcher was designed for.
    setWindowTitle(ui::to_qstring(ui::Application::instance().title()));
    build_systray_popup();
    indy_server_latency.on_reply = [this](const net::EchoReply& reply) {
        indy_server_latencyReply(reply);
    };
    bind_handlers();
    ui::run_guarded([this] { FormCreate(); });
}

Tmain_form::~Tmain_form() {
    ui::run_guarded([this] { FormDestroy(); });
}

void Tmain_form::build_systray_popup() {
    systray_popup_->setObjectName("systray_popup");
    const auto add_item = [this](const char* name, const char* caption) {
        QAction* item = systray_popup_->addAction(QString::fromLatin1(caption));
        item->setObjectName(name);
        return item;
    };
    add_item("Exit", "Exit")->setIcon(exit_image());
    add_item("about", "About");
    add_item("options", "Option");
    add_item("cfgedit", "CFG Edit");
    add_item("update", "Update");
    systray_popup_->addSeparator()->setObjectName("N1");
    add_item("launch", "Launch KVT:U")->setIcon(launch_image());
}

void Tmain_form::bind_handlers() {
    using ui::guarded;
    using ui::PictureControl;
    const auto item = [this](const char* name) {
        return systray_popup_->findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
    };
    PictureControl* background = ui_->img_background;
    connect(background, &PictureControl::mouse_down, this,
            guarded([this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                DragMouseDown(button, shift, x, y);
            }));
    connect(background, &PictureControl::mouse_down, this,
            guarded([this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
                if (button == Qt::RightButton) background_popup(x, y);
            }));
    connect(
        background, &PictureControl::mouse_move, this,
        guarded([this](Qt::KeyboardModifiers shift, int x, int y) { DragMouseMove(shift, x, y); }));
    connect(background, &PictureControl::mouse_up, this,
            guarded([this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
                DragMouseUp(button, shift, x, y);
            }));
    connect(background, &PictureControl::double_clicked, this, guarded([this] { DragDblClick(); }));

    connect(ui_->img_setup, &PictureControl::clicked, this, guarded([this] { img_setupClick(); }));
    connect(ui_->img_minimize, &PictureControl::clicked, this,
            guarded([this] { img_minimizeClick(); }));
    connect(ui_->img_close, &PictureControl::clicked, this, guarded([this] { img_closeClick(); }));
    connect(ui_->img_serverdetails, &PictureControl::clicked, this,
            guarded([this] { button_adminserverClick(); }));
    connect(ui_->img_launch, &PictureControl::clicked, this, guarded([this] { launchClick(); }));
    connect(ui_->img_join, &PictureControl::clicked, this,
            guarded([this] { button_joingameClick(); }));
    connect(ui_->img_query, &PictureControl::clicked, this, guarded([this] { img_queryClick(); }));
    connect(ui_->label_help_196b, &PictureControl::clicked, this,
            guarded([this] { label_help_196bClick(); }));

    // "Exit" ends the program: removing only the icon could leave a hidden window that nothing
    // brings back.
    connect(item("Exit"), &QAction::triggered, this, guarded([this] { Exit2Click(); }));
    connect(item("about"), &QAction::triggered, this, guarded([this] { aboutClick(); }));
    connect(item("options"), &QAction::triggered, this, guarded([this] { optionsClick(); }));
    connect(item("cfgedit"), &QAction::triggered, this, guarded([this] { cfgeditClick(); }));
    connect(item("update"), &QAction::triggered, this, guarded([this] { updateClick(); }));
    connect(item("launch"), &QAction::triggered, this, guarded([this] { launchClick(); }));

    // toggled runs on every change of state, whoever makes it, and not when a box is set to
    // the state it has.
    const auto on_toggle = [this](QCheckBox* box, void (Tmain_form::*handler)()) {
        connect(box, &QCheckBox::toggled, this, guarded([this, handler] { (this->*handler)(); }));
    };
    on_toggle(ui_->no_splash, &Tmain_form::no_splashClick);
    on_toggle(ui_->windowed, &Tmain_form::windowedClick);
    on_toggle(ui_->dxdll, &Tmain_form::dxdllClick);
    on_toggle(ui_->brisolt, &Tmain_form::brisoltClick);
    on_toggle(ui_->twomons, &Tmain_form::twomonsClick);
    on_toggle(ui_->benchmark, &Tmain_form::benchmarkClick);
    on_toggle(ui_->nodmusic, &Tmain_form::nodmusicClick);
    on_toggle(ui_->nosound, &Tmain_form::nosoundClick);
    on_toggle(ui_->beta196_start, &Tmain_form::beta196_startClick);
    connect(ui_->startup_mod, &QLineEdit::textChanged, this,
            guarded([this] { startup_modChange(); }));

    connect(&tray_icon_, &ui::TrayIcon::callback, this,
            guarded([this](int mouse_message) { TrayWindowProc(mouse_message); }));
}

void Tmain_form::FormCreate() {
    // Stays empty when the key cannot be opened; the style file is then looked for alone.
    std::string skin_folder;
    {
        Registry settings_store;
        if (settings_store.open_key(settings::launcher_key, true)) {
            if (settings_store.read_string(settings::start_minimized) == settings::flag_yes) {
                ui::Application::instance().minimize();
            }
            const std::string installdir = settings_store.read_string(settings::installdir);
            skin_folder = style_folder(installdir, settings_store.read_string(settings::style));
            // A picture that cannot be loaded ends the creation here: no switches, no icon,
            // no style file.
            load_skin_pictures(
                skin_folder,
                {*ui_->img_background, *ui_->img_setup, *ui_->img_minimize, *ui_->img_close,
                 *ui_->img_launch, *ui_->img_join, *ui_->img_serverdetails, *ui_->img_query});
            set_up_switches(settings_store);
        }
    }
    add_tray_icon();
    apply_style_file(style_file(skin_folder), skin_controls());
}

SkinControls Tmain_form::skin_controls() {
    return {*this,
            {ui_->img_setup, ui_->img_minimize, ui_->img_close, ui_->img_launch,
             ui_->img_serverdetails, ui_->img_join, ui_->img_query},
            {ui_->label_server_hostname, ui_->label_server_version, ui_->label_server_type,
             ui_->label_server_status, ui_->label_server_mission, ui_->label_server_world,
             ui_->label_server_players, ui_->label_server_latency},
            {ui_->server_hostname, ui_->server_version, ui_->server_status, ui_->server_action,
             ui_->server_mission, ui_->server_world, ui_->server_player, ui_->server_latency},
            {ui_->startup_mod, ui_->server_ip, ui_->server_port},
            {ui_->label_tipoftheday_head, ui_->label_beta196, ui_->label_help_196b}};
}

void Tmain_form::set_up_switches(Registry& settings_store) {
    const std::pair<std::string_view, QCheckBox*> switches[] = {
        {settings::nosplash, ui_->no_splash},    {settings::windowed, ui_->windowed},
        {settings::dxdll, ui_->dxdll},           {settings::brisolt, ui_->brisolt},
        {settings::twomon, ui_->twomons},        {settings::benchmark, ui_->benchmark},
        {settings::nodmusic, ui_->nodmusic},     {settings::nosound, ui_->nosound},
        {settings::beta196, ui_->beta196_start},
    };
    // A box whose state changes writes its value back through its own handler, nested in
    // this open key.
    for (const auto& [value_name, box] : switches) {
        box->setChecked(settings_store.read_string(value_name) == settings::flag_yes);
    }
    if (!settings_store.read_string(settings::mods).empty()) {
        ui_->startup_mod->setText(ui::to_qstring(settings_store.read_string(settings::mods)));
    }
}

void Tmain_form::add_tray_icon() {
    tray_icon_.set_icon(application_icon());
    // Decided once: the tip does not follow later changes of the connection.
    tray_icon_.set_tip(internet_connected() ? online_tip : offline_tip);
    tray_data_filled_ = true;
    tray_icon_.add();
}

void Tmain_form::FormDestroy() {
    tray_icon_.remove();
}

void Tmain_form::SysCommandMessage() {
    // Changing the flag re-creates the native window; the icon does not depend on it, so its
    // callbacks still reach this form.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (tray_data_filled_) tray_icon_.add();
    hide_to_notification_area();
}

void Tmain_form::TrayWindowProc(int mouse_message) {
    switch (mouse_message) {
        case ui::TrayIcon::left_button_down:
        case ui::TrayIcon::left_button_double_click:
            restore_from_notification_area();
            break;
        case ui::TrayIcon::right_button_down:
            pop_up_systray_popup(QCursor::pos());
            break;
        default:
            break;
    }
}

void Tmain_form::pop_up_systray_popup(QPoint at) {
    raise();
    activateWindow();
    systray_popup_->popup(at);
}

void Tmain_form::background_popup(int X, int Y) {
    // Where the icon can be clicked, its menu is there; the background opens none.
    if (tray_icon_.show_in_notification_area()) return;
    pop_up_systray_popup(ui_->img_background->mapToGlobal(QPoint(X, Y)));
}

void Tmain_form::restore_from_notification_area() {
    show_window(*this);
    ui::Application::instance().restore();
}

void Tmain_form::hide_to_notification_area() {
    if (tray_icon_.show_in_notification_area()) {
        hide();
        return;
    }
    // Without an icon that can be clicked the window stays minimised, reachable from the
    // taskbar.
    minimizing_in_place_ = true;
    showMinimized();
    minimizing_in_place_ = false;
}

void Tmain_form::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const auto old_state = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    const bool now_minimized = windowState().testFlag(Qt::WindowMinimized);
    const bool was_minimized = old_state.testFlag(Qt::WindowMinimized);
    if (!now_minimized && was_minimized) {
        // Restored from the taskbar: the application is no longer minimised as a whole, and the
        // native window forgets the minimise, so that a later show maps it normal.
        ui::follow_restored_state(*this);
        ui::Application::instance().restore();
        return;
    }
    if (!now_minimized || was_minimized || minimizing_in_place_ ||
        ui::Application::instance().minimized()) {
        return;
    }
    // The user's minimise command. Window flags must not change inside a state change, so the
    // handler runs right after it.
    QMetaObject::invokeMethod(
        this, [this] { ui::run_guarded([this] { SysCommandMessage(); }); }, Qt::QueuedConnection);
}

void Tmain_form::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program, as the close picture does.
    event->accept();
    ui::Application::instance().terminate();
}

void Tmain_form::DragMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int X, int Y) {
    if (button != Qt::LeftButton) return;
    drag_start_x = X;
    drag_start_y = Y;
    drag_active = true;
    // A Wayland compositor ignores positions that a window sets; it moves the window itself.
    if (on_wayland() && windowHandle() != nullptr) windowHandle()->startSystemMove();
}

void Tmain_form::DragMouseMove(Qt::KeyboardModifiers, int X, int Y) {
    if (drag_active) drag_to(X, Y);
}

void Tmain_form::DragMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int X, int Y) {
    if (button != Qt::LeftButton) return;
    drag_to(X, Y);
    drag_active = false;
}

void Tmain_form::DragDblClick() {
    drag_active = false;
}

void Tmain_form::drag_to(int X, int Y) {
    move(x(), checked_difference(y(), checked_difference(drag_start_y, Y)));
    move(checked_difference(x(), checked_difference(drag_start_x, X)), y());
}

void Tmain_form::img_minimizeClick() {
    hide_to_notification_area();
}

void Tmain_form::img_closeClick() {
    ui::Application::instance().terminate();
}

void Tmain_form::Exit2Click() {
    ui::Application::instance().terminate();
}

void Tmain_form::img_setupClick() {
    show_window(*form_setup);
}

void Tmain_form::optionsClick() {
    show_window(*form_setup);
}

void Tmain_form::aboutClick() {
    show_window(*form_info);
}

void Tmain_form::label_help_196bClick() {
    ui::Application::instance().show_message(beta_patch_note);
}

void Tmain_form::start_from_installdir(std::string_view program) {
    Registry settings_store;
    if (!settings_store.open_key(settings::launcher_key, true)) return;
    const std::string path = settings_store.read_string(settings::installdir) +
                             std::string(path_delim) + exe_name(program);
    shell_open(path, "", "");
}

void Tmain_form::write_switch(std::string_view value_name, const QCheckBox& box) {
    Registry settings_store;
    if (!settings_store.open_key(settings::launcher_key, true)) return;
    settings_store.write_string(value_name,
                                box.isChecked() ? settings::flag_yes : settings::flag_no);
}

void Tmain_form::no_splashClick() {
    write_switch(settings::nosplash, *ui_->no_splash);
}
void Tmain_form::windowedClick() {
    write_switch(settings::windowed, *ui_->windowed);
}
void Tmain_form::dxdllClick() {
    write_switch(settings::dxdll, *ui_->dxdll);
}
void Tmain_form::brisoltClick() {
    write_switch(settings::brisolt, *ui_->brisolt);
}
void Tmain_form::twomonsClick() {
    write_switch(settings::twomon, *ui_->twomons);
}
void Tmain_form::benchmarkClick() {
    write_switch(settings::benchmark, *ui_->benchmark);
}
void Tmain_form::nodmusicClick() {
    write_switch(settings::nodmusic, *ui_->nodmusic);
}
void Tmain_form::nosoundClick() {
    write_switch(settings::nosound, *ui_->nosound);
}
void Tmain_form::beta196_startClick() {
    write_switch(settings::beta196, *ui_->beta196_start);
}

void Tmain_form::startup_modChange() {
    Registry settings_store;
    if (!settings_store.open_key(settings::launcher_key, true)) return;
    // The emptied field is stored too: otherwise the next start would pass a mod list that
    // the field no longer shows.
    settings_store.write_string(settings::mods, ui::to_bytes(ui_->startup_mod->text()));
}

void Tmain_form::start_game(bool join) {
    Registry settings_store;
    if (!settings_store.open_key(settings::launcher_key, true)) return;
    LaunchRequest request = BuildLaunchParameters(settings_store);
    if (join) request.parameters = join_parameters(request, ui::to_bytes(ui_->server_ip->text()));
    shell_open(request.file, request.parameters, request.working_folder);
    hide_to_notification_area();
}

void Tmain_form::launchClick() {
    start_game(false);
}

void Tmain_form::button_joingameClick() {
    start_game(true);
}

void Tmain_form::button_adminserverClick() {
    start_from_installdir("kvtu_dadererizarud");
}

void Tmain_form::cfgeditClick() {
    start_from_installdir("kvtu_cfg_editor");
}

void Tmain_form::updateClick() {
    start_from_installdir("kvtu_vavaver_update");
}

void Tmain_form::img_queryClick() {
    const std::string host = ui::to_bytes(ui_->server_ip->text());
    if (host.empty()) {
        ui::Application::instance().show_message(ip_missing);
        return;
    }
    const std::string port_text = ui::to_bytes(ui_->server_port->text());
    if (port_text.empty()) {
        ui::Application::instance().show_message(port_missing);
        return;
    }
    udp_socket.set_host(host);
    const std::int32_t port = text_to_integer(port_text);
    const std::string reply = query::request_status(udp_socket, host, port);
    if (reply.size() < shortest_reply) {
        ui_->server_status->setText(ui::to_qstring(server_offline));
        return;
    }
    if (!query::reply_valid(reply)) return;

    const TStringDynArray parts = query::reply_parts(reply);
    for (std::size_t index = 0; index < parts.size(); ++index) {
        // One addition per part; the memo breaks lines at LF alone.
        QString entry = ui::to_qstring(memo_entry(index, parts[index]));
        entry.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        ui_->debug_memo->appendPlainText(entry);
    }
    LabelWriter writer({*ui_->server_mission, *ui_->server_player, *ui_->server_version,
                        *ui_->server_hostname, *ui_->server_status, *ui_->server_action,
                        *ui_->server_world});
    query::decode_reply(parts, writer);

    indy_server_latency.set_host(host);
    indy_server_latency.set_port(port);
    indy_server_latency.ping();
    ui::Application::instance().process_messages();
}

void Tmain_form::indy_server_latencyReply(const net::EchoReply& AReplyStatus) {
    ui_->server_latency->setText(ui::to_qstring(ping_text(AReplyStatus.ms_time)));
}

}  // namespace kvtu::launcher
