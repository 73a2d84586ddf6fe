#include "launcher/skin.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <algorithm>
#include <string_view>

#include "launcher/skin_values.h"
#include "platform/core/paths.h"
#include "platform/core/profile.h"
#include "platform/ui/picture_control.h"
#include "platform/ui/text.h"

namespace kvtu::launcher {

namespace {

// Bounds from the style file are kept well inside the range where Qt's geometry arithmetic
// cannot overflow; no skin needs more than a few hundred pixels.
constexpr std::int32_t farthest_coordinate = 100000;
constexpr std::int32_t largest_font_size = 500;

std::int32_t coordinate(std::int32_t value) {
    return std::clamp(value, -farthest_coordinate, farthest_coordinate);
}

std::int32_t extent(std::int32_t value) {
    return std::clamp(value, 0, farthest_coordinate);
}

// The style file as the profile functions read it. It is read once for the whole skin, which
// asks it for some eighty values at every start.
class StyleConfig {
  public:
    explicit StyleConfig(const std::string& path) : content_(read_profile_file(path)) {}
    std::string text(std::string_view section, std::string_view key) const {
        return read_profile_text(content_, section, key);
    }
    std::int32_t integer(std::string_view section, std::string_view key) const {
        return profile_integer(text(section, key));
    }
    TColor colour(std::string_view section, std::string_view key) const {
        return HexColorToColor(text(section, key));
    }

  private:
    std::string content_;
};

// A control keeps a font of its own from the first change on, starting from what it showed.
template <class Change>
void change_font(QWidget& control, Change change) {
    QFont font = control.font();
    change(font);
    control.setFont(font);
}

void set_family(QWidget& control, const std::string& family) {
    if (family.empty()) return;
    change_font(control, [&](QFont& font) { font.setFamily(ui::to_qstring(family)); });
}

void set_size(QWidget& control, std::int32_t size) {
    size = std::clamp(size, -largest_font_size, largest_font_size);
    change_font(control, [size](QFont& font) {
        if (size > 0) {
            font.setPointSize(size);
        } else if (size < 0) {
            // A negative size is a character height in pixels.
            font.setPixelSize(-size);
        } else {
            // Height 0: the platform's default height.
            font.setPointSizeF(QApplication::font().pointSizeF());
        }
    });
}

void set_colour(QWidget& control, TColor colour) {
    const QColor shown(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    QPalette palette = control.palette();
    palette.setColor(QPalette::WindowText, shown);
    palette.setColor(QPalette::Text, shown);
    control.setPalette(palette);
}

// Tokens only add: styles the control has stay.
void add_styles(QWidget& control, const FontStyles& styles) {
    change_font(control, [&styles](QFont& font) {
        if (styles.bold) font.setBold(true);
        if (styles.italic) font.setItalic(true);
        if (styles.underline) font.setUnderline(true);
        if (styles.strike_out) font.setStrikeOut(true);
    });
}

// Draws a flat frame one pixel wide on all four sides of a field over what the field paints.
// Drawn rather than asked of a style sheet, which would give the field a style of its own to
// set up at every start.
class FlatFrame : public QObject {
  public:
    explicit FlatFrame(QLineEdit& field) : QObject(&field) { field.installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        auto& field = static_cast<QLineEdit&>(*watched);
        // A square ground under the field, whose style rounds its own; the field paints over
        // it while its paint event is under way, then the frame goes over both.
        QPainter(&field).fillRect(field.rect(), field.palette().color(QPalette::Base));
        watched->event(event);
        QPainter painter(&field);
        painter.setPen(field.palette().color(QPalette::Dark));
        painter.drawRect(field.rect().adjusted(0, 0, -1, -1));
        return true;
    }
};

// The field's own sunken border gives way to a flat frame one pixel wide on all four sides.
void set_flat_look(QLineEdit& field) {
    field.setFrame(false);
    field.setTextMargins(1, 1, 1, 1);
    new FlatFrame(field);
}

void apply_window_font(const StyleConfig& config, QWidget& window) {
    constexpr std::string_view section = "font_settings";
    set_family(window, config.text(section, "family"));
    set_size(window, config.integer(section, "size"));
    set_colour(window, config.colour(section, "color"));
}

void apply_button(const StyleConfig& config, std::string_view section, QWidget& button) {
    button.move(coordinate(config.integer(section, "positionX")), button.y());
    button.move(button.x(), coordinate(config.integer(section, "positionY")));
    button.resize(extent(config.integer(section, "width")), button.height());
    button.resize(button.width(), extent(config.integer(section, "height")));
}

void apply_label_column(const StyleConfig& config, std::string_view section,
                        const std::array<QLabel*, 8>& labels) {
    const std::string family = config.text(section, "family");
    for (QLabel* label : labels) set_family(*label, family);
    const TColor colour = config.colour(section, "color");
    for (QLabel* label : labels) set_colour(*label, colour);
    const std::int32_t size = config.integer(section, "size");
    for (QLabel* label : labels) set_size(*label, size);
    const FontStyles styles = style_list(config.text(section, "style"));
    for (QLabel* label : labels) add_styles(*label, styles);
}

// The keys that the sections of single controls share: font, colour when given, and position
// when positionX is greater than 0.
void apply_single_control(const StyleConfig& config, std::string_view section, QWidget& control) {
    set_family(control, config.text(section, "name"));
    set_size(control, config.integer(section, "size"));
    const std::string colour = config.text(section, "color");
    if (!colour.empty()) set_colour(control, HexColorToColor(colour));
    if (const std::int32_t left = config.integer(section, "positionX"); left > 0) {
        control.move(coordinate(left), coordinate(config.integer(section, "positionY")));
    }
}

void apply_input(const StyleConfig& config, std::string_view section, QLineEdit& field) {
    apply_single_control(config, section, field);
    if (const std::int32_t width = config.integer(section, "width"); width > 0) {
        field.resize(extent(width), extent(config.integer(section, "height")));
    }
    add_styles(field, style_list(config.text(section, "style")));
    if (profile_flag(config.text(section, "flat"))) set_flat_look(field);
}

void apply_label(const StyleConfig& config, std::string_view section, QLabel& label) {
    apply_single_control(config, section, label);
    add_styles(label, style_list(config.text(section, "style")));
}

// Labels size themselves to their caption in the font they show; an empty value label keeps
// its width and takes the height of its font. Runs however the style file ends, so that what
// was applied is shown whole.
class LabelsFitToTheirFonts {
  public:
    explicit LabelsFitToTheirFonts(QWidget& window) : window_(window) {}
    ~LabelsFitToTheirFonts() {
        for (QLabel* label : window_.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            const auto* picture = qobject_cast<ui::PictureControl*>(label);
            if (picture != nullptr && picture->text().isEmpty()) continue;
            if (label->text().isEmpty()) {
                label->resize(label->width(), label->fontMetrics().height());
            } else {
                label->adjustSize();
            }
        }
    }
    LabelsFitToTheirFonts(const LabelsFitToTheirFonts&) = delete;
    LabelsFitToTheirFonts& operator=(const LabelsFitToTheirFonts&) = delete;

  private:
    QWidget& window_;
};

}  // namespace

std::string style_folder(const std::string& installdir, const std::string& style) {
    return installdir + std::string(path_delim) + "styles" + std::string(path_delim) + style;
}

std::string style_file(const std::string& folder) {
    return folder + std::string(path_delim) + "styleconfig.ini";
}

void load_skin_pictures(const std::string& folder, const SkinPictures& pictures) {
    const std::pair<const char*, ui::PictureControl*> files[] = {
        {"background.jpg", &pictures.img_background},
        {"setup.jpg", &pictures.img_setup},
        {"minimize.jpg", &pictures.img_minimize},
        {"close.jpg", &pictures.img_close},
        {"game_launch.jpg", &pictures.img_launch},
        {"game_join.jpg", &pictures.img_join},
        {"server_details.jpg", &pictures.img_serverdetails},
        {"server_query.jpg", &pictures.img_query},
    };
    for (const auto& [file, control] : files) {
        control->load_picture(folder + std::string(path_delim) + file);
    }
}

void apply_style_file(const std::string& path, const SkinControls& controls) {
    const StyleConfig config(path);
    const LabelsFitToTheirFonts fit(controls.window);
    apply_window_font(config, controls.window);
    const std::string_view button_sections[] = {"setup_button",  "minimize_button", "close_button",
                                                "launch_button", "server_button",   "join_button",
                                                "query_button"};
    for (std::size_t i = 0; i < controls.buttons.size(); ++i) {
        apply_button(config, button_sections[i], *controls.buttons[i]);
    }
    apply_label_column(config, "font_server_labels", controls.server_labels);
    apply_label_column(config, "font_server_results", controls.server_results);
    const std::string_view input_sections[] = {"input_mod", "input_ip", "input_port"};
    for (std::size_t i = 0; i < controls.inputs.size(); ++i) {
        apply_input(config, input_sections[i], *controls.inputs[i]);
    }
    const std::string_view label_sections[] = {"font_tipoftheday_title", "font_beta196b",
                                               "font_beta196b_help"};
    for (std::size_t i = 0; i < controls.labels.size(); ++i) {
        apply_label(config, label_sections[i], *controls.labels[i]);
    }
}

}  // namespace kvtu::launcher
