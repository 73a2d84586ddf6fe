#pragma once
// The setup dialog, shown modeless by the main window: the game executable, autostart and
// starting minimised (Options), the skin (Styles) and the FTP settings of the user's own game
// server (Serversetup). It is filled from the settings store once, when it is created; each
// page's Apply stores that page at once, each OK only hides the dialog.
#include <QWidget>
#include <memory>
#include <string>

#include "platform/ui/open_dialog.h"

namespace Ui {
class Tform_setup;
}

namespace kvtu::launcher {

class Tform_setup : public QWidget {
    Q_OBJECT
  public:
    explicit Tform_setup(QWidget* parent = nullptr);
    ~Tform_setup() override;

    void FormCreate();
    void button_select_korvexeClick();
    void button_options_applyClick();
    void button_options_okClick();
    void combo_stylesChange();
    void button_style_applyClick();
    void button_style_okClick();
    void button_serversetup_applyClick();
    void button_serversetup_okClick();

    // The open-file dialog for the game executable.
    ui::OpenDialog exe_dir;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void bind_handlers();
    void list_styles(const std::string& installdir);
    // Shows the game executable's path, shortened to the room left of the Select button.
    void show_korvexe(const std::string& path);

    std::unique_ptr<Ui::Tform_setup> ui_;
    bool labels_fitted_ = false;
};

extern Tform_setup* form_setup;

}  // namespace kvtu::launcher
