#include "launcher/setup_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/core/paths.h"
#include "platform/core/profile.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"
#include "platform/ui/application.h"
#include "platform/ui/guarded.h"
#include "platform/ui/path_shortening.h"
#include "platform/ui/plain_labels.h"
#include "platform/ui/shown_bytes.h"
#include "platform/ui/text.h"
#include "platform/ui/window_placement.h"
#include "ui_setup_form.h"

namespace kvtu::launcher {

Tform_setup* form_setup = nullptr;

namespace {

// Room for the game's path: from the label's left edge to the Select button.
constexpr int korvexe_width = 210;
const std::string restart_message = "Please restart application to change style.";

std::string in_folder(const std::string& folder, std::string_view name) {
    return folder + std::string(path_delim) + std::string(name);
}

std::string_view flag(const QCheckBox& box) {
    return box.isChecked() ? settings::flag_yes : settings::flag_no;
}

void set_label(QLabel& label, const std::string& text) {
    label.setText(ui::to_qstring(text));
    label.adjustSize();
}

}  // namespace

Tform_setup::Tform_setup(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::Tform_setup>()) {
    ui_->setupUi(this);
    ui::center_on_first_show(*this);
    setFixedSize(304, 208);
    ui::show_labels_as_plain_text(*this);
    // A plain combo box with an edit field: what is typed stays as typed, so a partial name is
    // not completed to a listed one.
    ui_->combo_styles->setCompleter(nullptr);
    exe_dir.set_filter("KorvanthUprising.exe", "KORVANTHUPRISING.EXE");
    bind_handlers();
    ui::run_guarded([this] { FormCreate(); });
}

void Tform_setup::showEvent(QShowEvent* event) {
    // Labels take the size of their text, in whatever font this system gives the dialog; they
    // are measured when the dialog is first shown rather than at the program's start.
    if (!labels_fitted_) {
        labels_fitted_ = true;
        for (QLabel* label : findChildren<QLabel*>()) label->adjustSize();
    }
    QWidget::showEvent(event);
}

Tform_setup::~Tform_setup() {
    // While the window's widgets are destroyed, after this form's own part, the box still loses
    // the focus and may then pick a typed name from its list: no handler may run then.
    ui_->combo_styles->disconnect(this);
}

void Tform_setup::bind_handlers() {
    using ui::guarded;
    const auto on_click = [this](QPushButton* button, void (Tform_setup::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                guarded([this, handler] { (this->*handler)(); }));
    };
    on_click(ui_->button_select_korvexe, &Tform_setup::button_select_korvexeClick);
    on_click(ui_->button_options_ok, &Tform_setup::button_options_okClick);
    on_click(ui_->button_options_apply, &Tform_setup::button_options_applyClick);
    on_click(ui_->button_style_ok, &Tform_setup::button_style_okClick);
    on_click(ui_->button_style_apply, &Tform_setup::button_style_applyClick);
    on_click(ui_->button_serversetup_ok, &Tform_setup::button_serversetup_okClick);
    on_click(ui_->button_serversetup_apply, &Tform_setup::button_serversetup_applyClick);
    // Every change of the text, typed or set, and every pick from the list.
    connect(ui_->combo_styles, &QComboBox::editTextChanged, this,
            guarded([this] { combo_stylesChange(); }));
    connect(ui_->combo_styles, &QComboBox::activated, this,
            guarded([this] { combo_stylesChange(); }));
}

void Tform_setup::FormCreate() {
    Registry settings_store;
    if (!settings_store.open_key(settings::launcher_key, true)) return;
    show_korvexe(settings_store.read_string(settings::korvexe));
    list_styles(settings_store.read_string(settings::installdir));
    // Set as typed text: the change handler shows the stored skin's description.
    ui::set_edit_bytes(*ui_->combo_styles, settings_store.read_string(settings::style));
    {
        Registry ftp_store;
        if (ftp_store.open_key(settings::ftp_key, true)) {
            const std::pair<std::string_view, QLineEdit*> fields[] = {
                {settings::ftp_host, ui_->server_ftp_host},
                {settings::ftp_port, ui_->server_ftp_port},
                {settings::ftp_base, ui_->server_ftp_base},
                {settings::ftp_user, ui_->server_ftp_user},
                {settings::ftp_pass, ui_->server_ftp_pass},
            };
            for (const auto& [value_name, field] : fields) {
                ui::set_field_bytes(*field, ftp_store.read_string(value_name));
            }
            if (flag_on(ftp_store.read_string(settings::ftp_psvc))) {
                ui_->server_ftp_psvc->setChecked(true);
            }
        }
    }
    if (flag_on(settings_store.read_string(settings::autostart))) {
        ui_->checkbox_autostart->setChecked(true);
    }
    if (flag_on(settings_store.read_string(settings::start_minimized))) {
        ui_->checkbox_minimized->setChecked(true);
    }
}

void Tform_setup::list_styles(const std::string& installdir) {
    QComboBox& combo = *ui_->combo_styles;
    // Adding items would select the first one and put its name into the field; the field
    // stays as it was, and no description is read for a name that is only listed.
    const QSignalBlocker quiet(combo);
    const QString text = combo.currentText();
    std::error_code error;
    std::filesystem::directory_iterator entry(in_folder(installdir, "styles"), error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::error_code kind_error;
        // The folder's name as the file system spells it, so that a pick goes back to it.
        if (entry->is_directory(kind_error)) ui::add_item(combo, entry->path().filename().string());
    }
    combo.setCurrentIndex(-1);
    combo.setEditText(text);
}

void Tform_setup::show_korvexe(const std::string& path) {
    QLabel& label = *ui_->label_korvexe;
    label.setText(ui::shorten_path(path, label.fontMetrics(), korvexe_width));
    label.adjustSize();
}

void Tform_setup::button_select_korvexeClick() {
    if (!exe_dir.execute(this)) return;
    Registry settings_store;
    if (settings_store.open_key(settings::launcher_key, true)) {
        settings_store.write_string(settings::korvexe, exe_dir.file_name());
    }
    show_korvexe(settings_store.read_string(settings::korvexe));
}

void Tform_setup::button_options_applyClick() {
    // Both opens go untested: a key that did not open refuses the first write into it, and
    // that error ends the handler.
    Registry run_store;
    run_store.open_key(settings::run_key, true);
    Registry settings_store;
    settings_store.open_key(settings::launcher_key, true);
    if (ui_->checkbox_autostart->isChecked()) {
        run_store.write_string(
            settings::autostart_value,
            in_folder(settings_store.read_string(settings::installdir), exe_name("kvt_vavaver")));
        settings_store.write_string(settings::autostart, settings::flag_yes);
    } else {
        run_store.delete_value(settings::autostart_value);
        settings_store.write_string(settings::autostart, settings::flag_no);
    }
    settings_store.write_string(settings::start_minimized, flag(*ui_->checkbox_minimized));
}

void Tform_setup::button_options_okClick() {
    hide();
}

void Tform_setup::combo_stylesChange() {
    Registry settings_store;
    if (!settings_store.open_key(settings::launcher_key, true)) return;
    const std::string style_folder =
        in_folder(in_folder(settings_store.read_string(settings::installdir), "styles"),
                  ui::combo_bytes(*ui_->combo_styles));
    const std::string style_file = in_folder(style_folder, "styleconfig.ini");
    const std::pair<std::string_view, QLabel*> rows[] = {
        {"stylename", ui_->label_style_name},    {"version", ui_->label_style_version},
        {"madewith", ui_->label_style_madewith}, {"from", ui_->label_style_from},
        {"contact", ui_->label_style_contact},   {"date", ui_->label_style_date},
    };
    for (const auto& [key, label] : rows) {
        set_label(*label, read_profile_string(style_file, "madeby", key));
    }
}

void Tform_setup::button_style_applyClick() {
    Registry settings_store;
    // Asking for a restart only makes sense when the skin was stored.
    if (!settings_store.open_key(settings::launcher_key, true)) return;
    settings_store.write_string(settings::style, ui::combo_bytes(*ui_->combo_styles));
    ui::Application::instance().show_message(restart_message);
}

void Tform_setup::button_style_okClick() {
    hide();
}

void Tform_setup::button_serversetup_applyClick() {
    Registry ftp_store;
    if (!ftp_store.open_key(settings::ftp_key, true)) return;
    const std::pair<std::string_view, QLineEdit*> fields[] = {
        {settings::ftp_host, ui_->server_ftp_host}, {settings::ftp_port, ui_->server_ftp_port},
        {settings::ftp_user, ui_->server_ftp_user}, {settings::ftp_pass, ui_->server_ftp_pass},
        {settings::ftp_base, ui_->server_ftp_base},
    };
    for (const auto& [value_name, field] : fields) {
        ftp_store.write_string(value_name, ui::field_bytes(*field));
    }
    ftp_store.write_string(settings::ftp_psvc, flag(*ui_->server_ftp_psvc));
}

void Tform_setup::button_serversetup_okClick() {
    hide();
}

}  // namespace kvtu::launcher
