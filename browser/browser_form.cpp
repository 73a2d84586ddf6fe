#include "browser/browser_form.h"

#include <unistd.h>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cerrno>
#include <unordered_map>

#include "browser/pictures.h"
#include "browser/server_list.h"
#include "platform/core/errors.h"
#include "platform/core/paths.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"
#include "platform/core/shell.h"
#include "platform/core/text_to_integer.h"
#include "platform/ui/application.h"
#include "platform/ui/guarded.h"
#include "platform/ui/plain_labels.h"
#include "platform/ui/shown_bytes.h"
#include "platform/ui/sorted_lists.h"
#include "platform/ui/text.h"
#include "query/explode.h"
#include "query/status_exchange.h"
#include "ui_browser_form.h"

namespace kvtu::browser {

Tmain_form* main_form = nullptr;

namespace {

constexpr int echo_timeout_ms = 2000;
constexpr std::size_t position_host_port = 10;
constexpr std::size_t position_world = 12;
const std::string no_world_selected = "No World selected";
const std::string version_threshold = "1.91";

enum Column {
    column_entry,
    column_host_name,
    column_players,
    column_mission,
    column_status,
    column_type
};

// Draws the grid lines of a report view around every cell.
class GridLines : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(0xd8, 0xd8, 0xd8));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
};

const std::string config_extension = ".cfg";
const std::string listing_pattern = "*.*";

// The extension of a listed name: from its last "." on, unless a "\\" or ":" follows that ".".
std::string extension_of(const std::string& name) {
    const std::size_t position = name.find_last_of(".\\:");
    if (position == std::string::npos || name[position] != '.') return {};
    return name.substr(position);
}

// A memo line read from the file that the text rule shows as Windows-1252: its bytes, so that
// the line goes back to the file unchanged while the user leaves it as it is.
class LineBytes : public QTextBlockUserData {
  public:
    explicit LineBytes(QByteArray bytes) : bytes(std::move(bytes)) {}
    const QByteArray bytes;
};

// The entry a row stands for, as the list or the user gave it.
std::string row_entry(const QTreeWidgetItem& row) {
    const QByteArray bytes = row.data(column_entry, ui::bytes_role).toByteArray();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

bool is_enter(const QKeyEvent& event) {
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

}  // namespace

Tmain_form::Tmain_form(QWidget* parent)
    : QWidget(parent, Qt::Window),
      customimagelist(kvtu::browser::customimagelist()),
      ui_(std::make_unique<Ui::Tmain_form>()) {
    ui_->setupUi(this);
    ui::show_labels_as_plain_text(*this);
    setWindowIcon(application_icon());
    ui_->mainmenu_menubar->addAction(QStringLiteral("&Datei"));

    QTreeWidget& list = *ui_->serverlist;
    const int widths[] = {150, 279, 48, 118, 118, 75};
    for (int column = 0; column < 6; ++column) list.setColumnWidth(column, widths[column]);
    list.setItemDelegate(new GridLines(&list));
    list.header()->setSectionsMovable(false);
    list.header()->setStretchLastSection(false);
    list.viewport()->installEventFilter(this);
    // The box has the focus and gets the keys; it hands them to its line edit itself, past any
    // filter there.
    ui_->server_ipport->installEventFilter(this);

    indy_ping.set_receive_timeout(echo_timeout_ms);
    indy_ping.on_reply = [this](const net::EchoReply& reply) { indy_pingReply(reply); };

    bind_handlers();
    ui::run_guarded([this] { FormCreate(); });
}

Tmain_form::~Tmain_form() {
    // While the window's widgets are destroyed, after this form's own part, the box still loses
    // the focus and may then pick a typed entry from its list: no handler may run then.
    ui_->server_ipport->disconnect(this);
}

void Tmain_form::bind_handlers() {
    using ui::guarded;
    connect(ui_->Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(ui_->ftp_connect, &QPushButton::clicked, this, guarded([this] { ftp_connectClick(); }));
    connect(ui_->ftp_disconnect, &QPushButton::clicked, this,
            guarded([this] { ftp_disconnectClick(); }));
    connect(ui_->server_selectconfig, &QPushButton::clicked, this,
            guarded([this] { server_selectconfigClick(); }));
    connect(ui_->server_ipport, &QComboBox::editTextChanged, this,
            guarded([this] { server_ipportChange(); }));
    connect(ui_->server_ipport, &QComboBox::activated, this,
            guarded([this] { server_ipportSelect(); }));
    // The view reports every row whose state changed: those that lost the selection first.
    connect(ui_->serverlist->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                const auto report = [this](const QItemSelection& rows, bool now_selected) {
                    for (const QModelIndex& index : rows.indexes()) {
                        if (index.column() != column_entry) continue;
                        QTreeWidgetItem* row = ui_->serverlist->topLevelItem(index.row());
                        ui::run_guarded([&] { serverlistSelectItem(row, now_selected); });
                    }
                };
                report(deselected, false);
                report(selected, true);
            });
}

bool Tmain_form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->server_ipport && event->type() == QEvent::KeyPress) {
        const auto& key_event = static_cast<const QKeyEvent&>(*event);
        char Key = '\0';
        if (is_enter(key_event)) {
            Key = '\r';
        } else if (key_event.text().size() == 1 && key_event.text()[0].unicode() <= 0xff) {
            Key = static_cast<char>(key_event.text()[0].unicode());
        } else {
            return false;
        }
        ui::run_guarded([&] { server_ipportKeyPress(Key); });
        // Enter never reaches the box, also when the handler failed before it consumed it.
        return Key == '\0' || is_enter(key_event);
    }
    if (watched == ui_->serverlist->viewport()) {
        // Presses select rows through the handler alone; the view's own press, drag and
        // double-click selection would select rows the handler did not choose.
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                const auto& mouse = static_cast<const QMouseEvent&>(*event);
                ui_->serverlist->setFocus(Qt::MouseFocusReason);
                const QPoint at = mouse.position().toPoint();
                ui::run_guarded([&] {
                    serverlistMouseDown(mouse.button(), mouse.modifiers(), at.x(), at.y());
                });
                return true;
            }
            case QEvent::MouseButtonRelease:
                return true;
            case QEvent::MouseMove:
                return static_cast<const QMouseEvent&>(*event).buttons() != Qt::NoButton;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Tmain_form::closeEvent(QCloseEvent* event) {
    bool saved = false;
    ui::run_guarded([&] {
        FormClose();
        saved = true;
    });
    if (!saved) {
        // The list could not be saved: the window stays, and the next close tries again.
        event->ignore();
        return;
    }
    event->accept();
    ui::Application::instance().terminate();
}

std::string Tmain_form::memo_text() const {
    // Each line's raw text keeps every character as typed (the plain text would turn a no-break
    // space into a blank); line separators within a line become line breaks.
    const QTextDocument& document = *ui_->debug_memo->document();
    std::string text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin()) text += '\n';
        QString line = block.text();
        line.replace(QChar::LineSeparator, QLatin1Char('\n'));
        const auto* kept = dynamic_cast<const LineBytes*>(block.userData());
        text += kept != nullptr ? ui::bytes_of(line, kept->bytes) : ui::to_bytes(line);
    }
    return text;
}

TStringDynArray Tmain_form::memo_lines() const {
    return list_lines(memo_text());
}

void Tmain_form::set_memo_text(const std::string& text) {
    // Line by line, so that a line in UTF-8 and one in Windows-1252 both show right.
    std::vector<std::string_view> lines;
    QStringList shown;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(std::string_view(text).substr(start, end - start));
        shown.append(ui::to_qstring(lines.back()));
        if (end == text.size()) break;
        start = end + 1;
    }
    ui_->debug_memo->setPlainText(shown.join(QLatin1Char('\n')));
    QTextBlock block = ui_->debug_memo->document()->begin();
    for (std::size_t i = 0; i < lines.size() && block.isValid(); ++i, block = block.next()) {
        if (block.text() != shown[static_cast<qsizetype>(i)]) break;
        if (ui::to_bytes(shown[static_cast<qsizetype>(i)]) != lines[i]) {
            block.setUserData(new LineBytes(ui::byte_array(lines[i])));
        }
    }
}

void Tmain_form::append_memo_line(const std::string& entry) {
    const std::string text = memo_text();
    const std::string added = append_line(text, entry).substr(text.size());
    QTextCursor cursor(ui_->debug_memo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ui::to_qstring(added));
}

void Tmain_form::add_row(const std::string& caption) {
    add_rows({caption});
}

void Tmain_form::add_rows(const TStringDynArray& captions) {
    for (const ui::SortedList::Run& run : row_order_.add(captions)) {
        QList<QTreeWidgetItem*> rows;
        for (const std::size_t index : run.texts) {
            auto* row = new QTreeWidgetItem;
            row->setText(column_entry, ui::to_qstring(captions[index]));
            row->setData(column_entry, ui::bytes_role, ui::byte_array(captions[index]));
            row->setTextAlignment(column_players, Qt::AlignCenter);
            set_row_image(*row, image_not_queried);
            rows.append(row);
        }
        ui_->serverlist->insertTopLevelItems(static_cast<int>(run.position), rows);
    }
}

void Tmain_form::set_row_image(QTreeWidgetItem& row, int index) {
    row.setData(column_entry, image_index_role, index);
    row.setIcon(column_entry, QIcon(customimagelist.at(index)));
}

void Tmain_form::show_summary(QTreeWidgetItem& row, const TStringDynArray& info) {
    // Versions compare byte by byte, so "1.910" is newer than "1.91" and "10.0" newer than "1.96".
    const int image =
        info[query::slot_version] > version_threshold ? image_newer_version : image_older_version;
    // Setting an icon repaints the row even when it is the same; a refresh mostly finds it is.
    if (row.data(column_entry, image_index_role).toInt() != image) set_row_image(row, image);
    row.setText(column_host_name, ui::to_qstring(info[query::slot_host_name]));
    row.setText(column_players, ui::to_qstring(info[query::slot_players]));
    row.setText(column_mission, ui::to_qstring(info[query::slot_mission]));
    row.setText(column_status, ui::to_qstring(info[query::slot_state_text]));
    row.setText(column_type, ui::to_qstring(info[query::slot_server_type]));
}

std::optional<TStringDynArray> Tmain_form::query_entry(const std::string& entry) {
    // An empty entry has no port text at all; anything else must have a part after its ":".
    if (entry.empty()) throw ConvertError(invalid_integer_message(entry));
    const TStringDynArray parts = explode(":", entry, 0);
    const std::int32_t port = text_to_integer(query::part_at(parts, 1));
    return queryserverinfo(query::part_at(parts, 0), port);
}

void Tmain_form::FormCreate() {
    // The FTP controls reach their start state before anything can fail.
    empty_config_lists();
    enable_config_controls(false);

    Registry settings_store;
    if (!settings_store.open_key(settings::launcher_key, true)) return;
    const std::string path = server_list_path(settings_store.read_string(settings::installdir));
    try {
        set_memo_text(load_server_list(path));
    } catch (const FileError&) {
        if (list_file_present(path)) unread_list_path_ = path;
        throw;
    }
    const TStringDynArray lines = memo_lines();
    for (const std::string& line : lines) ui::add_item(*ui_->server_ipport, line);
    add_rows(lines);
    // Adding items makes the first one current; the box starts with an empty text.
    ui_->server_ipport->setCurrentIndex(-1);
}

void Tmain_form::FormClose() {
    if (ftp_con.connected()) ftp_con.disconnect();
    Registry settings_store;
    if (!settings_store.open_key(settings::launcher_key, true)) return;
    const std::string path = server_list_path(settings_store.read_string(settings::installdir));
    // The user's list is still there, unread: keeping it loses less than replacing it.
    if (path == unread_list_path_ && list_file_present(path)) return;
    save_server_list(path, memo_text());
}

void Tmain_form::server_ipportKeyPress(char& Key) {
    if (Key != '\r') return;
    Key = '\0';
    const std::string text = ui::combo_bytes(*ui_->server_ipport);
    const TStringDynArray lines = memo_lines();
    if (std::find(lines.begin(), lines.end(), text) != lines.end()) return;
    append_memo_line(text);
    add_row(text);
}

void Tmain_form::server_ipportChange() {}

void Tmain_form::server_ipportSelect() {}

void Tmain_form::serverlistMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int Y) {
    QTreeWidget& list = *ui_->serverlist;
    QTreeWidgetItem* row = list.itemAt(5, Y);
    if (row == nullptr) {
        list.clearSelection();
        return;
    }
    list.setCurrentItem(row, column_entry,
                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void Tmain_form::serverlistSelectItem(QTreeWidgetItem* Item, bool Selected) {
    // Only the row that became selected is queried: querying the row that lost the selection
    // too would block the window a second time for a result that is overwritten at once.
    if (!Selected || Item == nullptr) return;
    if (const auto info = query_entry(row_entry(*Item))) {
        show_summary(*Item, *info);
    }
}

void Tmain_form::Button1Click() {
    std::string path;
    {
        Registry settings_store;
        if (!settings_store.open_key(settings::launcher_key, true)) return;
        path = server_list_path(settings_store.read_string(settings::installdir));
    }
    set_memo_text(load_server_list(path));
    unread_list_path_.clear();
    // Every row of an entry shows its result; a line that no row has shows it nowhere. Each
    // caption is read once, so the refresh grows with the list, not with its square. Nothing
    // adds or removes rows while the refresh runs.
    std::unordered_multimap<std::string, QTreeWidgetItem*> rows_of_entry;
    QTreeWidget& list = *ui_->serverlist;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list.topLevelItem(i);
        rows_of_entry.emplace(row_entry(*row), row);
    }
    for (const std::string& line : memo_lines()) {
        const auto info = query_entry(line);
        if (!info) continue;
        const auto [first, last] = rows_of_entry.equal_range(line);
        for (auto row = first; row != last; ++row) show_summary(*row->second, *info);
    }
}

void Tmain_form::indy_pingReply(const net::EchoReply& AReplyStatus) {
    const std::uint32_t time = AReplyStatus.ms_time;
    const std::string text = time == 0 ? "<1 ms" : "=" + std::to_string(time) + " ms";
    ui_->server_latency->setText(ui::to_qstring(text));
}

void Tmain_form::empty_config_lists() {
    ui_->filelist->clear();
    ui_->combo_configs->clear();
    // Removing the items leaves a typed name in the box.
    ui_->combo_configs->clearEditText();
    file_order_.clear();
    config_order_.clear();
}

void Tmain_form::enable_config_controls(bool enabled) {
    ui_->server_missionbrowser->setEnabled(enabled);
    ui_->server_selectconfig->setEnabled(enabled);
    ui_->filelist->setEnabled(enabled);
    ui_->combo_configs->setEnabled(enabled);
}

void Tmain_form::apply_ftp_settings(Registry& ftp_settings) {
    ftp_con.set_user_name(ftp_settings.read_string(settings::ftp_user));
    ftp_con.set_password(ftp_settings.read_string(settings::ftp_pass));
    // Every connect takes the stored state afresh, so that a flag switched off in the store is
    // off at the next connect of the same run too.
    ftp_con.set_passive(flag_on(ftp_settings.read_string(settings::ftp_psvc)));
    ftp_con.set_host(ftp_settings.read_string(settings::ftp_host));
    ftp_con.set_port(text_to_integer(ftp_settings.read_string(settings::ftp_port)));
    if (!flag_on(ftp_settings.read_string(settings::ftp_proxy_activate))) {
        ftp_con.set_proxy_type(net::FtpProxyType::none);
        return;
    }
    ftp_con.set_proxy_host(ftp_settings.read_string(settings::ftp_proxy_host));
    ftp_con.set_proxy_port(text_to_integer(ftp_settings.read_string(settings::ftp_proxy_port)));
    ftp_con.set_proxy_user_name(ftp_settings.read_string(settings::ftp_proxy_user));
    ftp_con.set_proxy_password(ftp_settings.read_string(settings::ftp_proxy_pass));
    ftp_con.set_proxy_type(net::FtpProxyType::user_at_host);
}

void Tmain_form::ftp_connectClick() {
    Registry ftp_settings;
    if (!ftp_settings.open_key(settings::ftp_key, true)) return;
    apply_ftp_settings(ftp_settings);
    ftp_con.connect();
    if (!ftp_con.connected()) return;
    try {
        ftp_con.change_folder(ftp_settings.read_string(settings::ftp_base));
    } catch (...) {
        // The group stays in its start state, so the connection must not stay open behind it:
        // the next "Connect" would otherwise fail with "Already connected.".
        ftp_con.disconnect();
        throw;
    }
    ui_->ftp_disconnect->show();
    ui_->ftp_connect->hide();
    enable_config_controls(true);
    // Each stored value shows by its own bytes: a UTF-8 host beside a Windows-1252 folder.
    ui_->ftp_status->setText(
        QStringLiteral("Connected to ") +
        ui::to_qstring(ftp_settings.read_string(settings::ftp_host)) + QLatin1Char(':') +
        ui::to_qstring(ftp_settings.read_string(settings::ftp_port)) + QStringLiteral(" @ ") +
        ui::to_qstring(ftp_settings.read_string(settings::ftp_base)));
    show_listing();
}

void Tmain_form::show_listing() {
    QListWidget& files = *ui_->filelist;
    QComboBox& configs = *ui_->combo_configs;
    // The box would take the first name added as its text; which file to fetch is the user's
    // choice, so its text stays empty.
    const auto no_choice = qScopeGuard([&configs] { configs.setCurrentIndex(-1); });
    TStringDynArray config_names;
    TStringDynArray file_names;
    for (net::FtpListItem& item : ftp_con.list(listing_pattern)) {
        TStringDynArray& names =
            extension_of(item.file_name) == config_extension ? config_names : file_names;
        names.push_back(std::move(item.file_name));
    }
    ui::add_sorted(configs, config_order_, config_names);
    ui::add_sorted(files, file_order_, file_names);
}

void Tmain_form::ftp_disconnectClick() {
    ftp_con.disconnect();
    ui_->ftp_disconnect->hide();
    ui_->ftp_connect->show();
    empty_config_lists();
    enable_config_controls(false);
    ui_->ftp_status->clear();
}

void Tmain_form::server_selectconfigClick() {
    std::string installdir;
    {
        Registry settings_store;
        if (settings_store.open_key(settings::launcher_key, true)) {
            installdir = settings_store.read_string(settings::installdir);
        }
        // Without an install folder the download folder would be the system's shared /tmp,
        // where a file of another user or program would be deleted and replaced.
        if (installdir.empty()) throw FileError(install_folder_not_set_message());
        const std::string name = ui::combo_bytes(*ui_->combo_configs);
        const std::string local_path =
            installdir + std::string(path_delim) + "tmp" + std::string(path_delim) + name;
        // A name is one file of the download folder: a name from the server must not
        // reach, replace or delete anything outside it. The system would cut the path at a
        // NUL byte, so such a name would delete some other file of the folder.
        if (name.empty()) throw FileError(cannot_create_file_message(local_path, EISDIR));
        if (name.find(path_delim) != std::string::npos || name.find('\0') != std::string::npos ||
            name == "." || name == "..") {
            throw FileError(cannot_create_file_message(local_path, EINVAL));
        }
        // Only a file is deleted, never a folder; whether it went is not looked at.
        ::unlink(local_path.c_str());
        ftp_con.download(name, local_path);
    }
    shell_open(installdir + std::string(path_delim) + exe_name("kvtu_cfg_editor"),
               "tmp" + std::string(path_delim) + ui::combo_bytes(*ui_->combo_configs), installdir);
}

std::optional<TStringDynArray> queryserverinfo(const std::string& host, std::int32_t port) {
    Tmain_form& form = *main_form;
    const std::string reply = query::request_status(form.udp_client, host, port);
    if (!query::reply_valid(reply)) return std::nullopt;
    const TStringDynArray parts = query::reply_parts(reply);

    TStringDynArray info(query::server_info_slots);
    info[query::slot_address] = host + query::part_at(parts, position_host_port);
    query::SlotWriter writer(info);
    query::decode_reply(parts, writer);
    if (query::part_at(parts, position_world).empty()) {
        info[query::slot_world_name] = no_world_selected;
    }

    // The summary is complete before the echo; the details change only after it.
    form.indy_ping.set_host(host);
    form.indy_ping.ping();

    Ui::Tmain_form& labels = *form.ui_;
    labels.server_hostname->setText(ui::to_qstring(info[query::slot_host_name]));
    labels.server_version->setText(ui::to_qstring(info[query::slot_version]));
    labels.server_world->setText(ui::to_qstring(info[query::slot_world_name]));
    labels.server_mission->setText(ui::to_qstring(info[query::slot_mission]));
    labels.server_player->setText(ui::to_qstring(info[query::slot_players]));
    labels.server_status->setText(ui::to_qstring(info[query::slot_state_text]));
    labels.server_type->setText(ui::to_qstring(info[query::slot_server_type]));
    return info;
}

}  // namespace kvtu::browser
