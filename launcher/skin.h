#pragma once
// The skin of the main window: the style folder, its eight pictures, and its style file
// styleconfig.ini (fonts, colours and places of the window's skinned controls).
#include <array>
#include <string>

class QLabel;
class QLineEdit;
class QWidget;

namespace kvtu::ui {
class PictureControl;
}

namespace kvtu::launcher {

// installdir + "/styles/" + style; an empty style makes the skins folder the style folder.
std::string style_folder(const std::string& installdir, const std::string& style);
// The style file in the style folder.
std::string style_file(const std::string& folder);

// The picture components in the order their files are loaded: background.jpg, setup.jpg,
// minimize.jpg, close.jpg, game_launch.jpg, game_join.jpg, server_details.jpg,
// server_query.jpg.
struct SkinPictures {
    ui::PictureControl& img_background;
    ui::PictureControl& img_setup;
    ui::PictureControl& img_minimize;
    ui::PictureControl& img_close;
    ui::PictureControl& img_launch;
    ui::PictureControl& img_join;
    ui::PictureControl& img_serverdetails;
    ui::PictureControl& img_query;
};

// Loads the eight pictures from the style folder, in order; the first that fails raises its
// error (FileError or JpegError), and the later ones are not loaded.
void load_skin_pictures(const std::string& folder, const SkinPictures& pictures);

// The controls that the style file styles.
struct SkinControls {
    QWidget& window;
    // setup_button, minimize_button, close_button, launch_button, server_button, join_button,
    // query_button
    std::array<QWidget*, 7> buttons;
    // The server panel's rows, top to bottom.
    std::array<QLabel*, 8> server_labels;
    std::array<QLabel*, 8> server_results;
    // input_mod, input_ip, input_port
    std::array<QLineEdit*, 3> inputs;
    // font_tipoftheday_title, font_beta196b, font_beta196b_help
    std::array<QLabel*, 3> labels;
};

// Applies the style file. A colour that does not convert raises ConvertError: what was applied
// before stays, nothing after it is applied. A missing file reads as empty throughout, so its
// window colour fails at once.
void apply_style_file(const std::string& path, const SkinControls& controls);

}  // namespace kvtu::launcher
