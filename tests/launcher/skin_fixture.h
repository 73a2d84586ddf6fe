#pragma once
// Skins in the sandbox's install folder: the real default skin, or its pictures with a style
// file of the test's own. Records installdir and style in the settings store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/core/registry.h"
#include "platform/core/settings_names.h"
#include "test_environment.h"

namespace kvtu::launcher::test {

inline std::filesystem::path default_skin_source() {
    return kvtu::test::source_dir() / "assets" / "styles" / "default";
}

inline std::filesystem::path skin_folder(const std::string& style) {
    return kvtu::test::install_dir() / "styles" / style;
}

inline void record_skin(const std::string& style) {
    Registry settings_store;
    ASSERT_TRUE(settings_store.open_key(settings::launcher_key, true));
    settings_store.write_string(settings::installdir, kvtu::test::install_dir().string());
    settings_store.write_string(settings::style, style);
}

inline void write_style_file(const std::filesystem::path& folder, const std::string& text) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "styleconfig.ini", std::ios::binary) << text;
}

// The default skin's eight pictures in the folder, with the given style file.
inline void put_skin(const std::filesystem::path& folder, const std::string& style_file) {
    std::filesystem::create_directories(folder);
    for (const auto& entry : std::filesystem::directory_iterator(default_skin_source())) {
        if (entry.path().extension() == ".jpg") {
            std::filesystem::copy_file(entry.path(), folder / entry.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
    write_style_file(folder, style_file);
}

// A style file that keeps the window as designed: the design font, and the picture buttons at
// their design bounds.
inline std::string design_style_file() {
    return "[font_settings]\nfamily=MS Sans Serif\nsize=8\ncolor=#000000\n"
           "[setup_button]\npositionX=320\npositionY=0\nwidth=14\nheight=13\n"
           "[minimize_button]\npositionX=336\npositionY=0\nwidth=14\nheight=13\n"
           "[close_button]\npositionX=351\npositionY=0\nwidth=14\nheight=13\n"
           "[launch_button]\npositionX=7\npositionY=251\nwidth=82\nheight=16\n"
           "[server_button]\npositionX=275\npositionY=215\nwidth=81\nheight=17\n"
           "[join_button]\npositionX=292\npositionY=199\nwidth=64\nheight=16\n"
           "[query_button]\npositionX=318\npositionY=241\nwidth=38\nheight=17\n"
           "[font_server_labels]\nfamily=MS Sans Serif\ncolor=#000000\nsize=8\n"
           "[font_server_results]\nfamily=MS Sans Serif\ncolor=#000000\nsize=8\n"
           "[input_mod]\nsize=8\n[input_ip]\nsize=8\n[input_port]\nsize=8\n"
           "[font_tipoftheday_title]\nsize=8\n[font_beta196b]\nsize=8\n"
           "[font_beta196b_help]\nsize=8\n";
}

// The lines of a hive file's launcher key that name the design skin, for tests that write the
// whole store themselves.
inline std::string design_skin_hive_lines() {
    return "\"installdir\"=\"" + kvtu::test::install_dir().string() + "\"\n\"style\"=\"design\"\n";
}

// The style-file error of a start that could not open the settings key: the style file is then
// looked for at the root, where there is none, and its empty window colour does not convert.
inline const char* const missing_style_file_error = "'$' is not a valid integer value.";

// The skin that every launcher test starts with, unless it installs another.
inline void install_design_skin() {
    put_skin(skin_folder("design"), design_style_file());
    record_skin("design");
}

}  // namespace kvtu::launcher::test
