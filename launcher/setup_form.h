#pragma once
// The setup dialog, shown modeless by the main window. Its pages and their handlers belong
// to the setup step of the launcher; until then it is an empty dialog.
#include <QWidget>
#include <memory>

namespace Ui {
class Tform_setup;
}

namespace kvtu::launcher {

class Tform_setup : public QWidget {
    Q_OBJECT
  public:
    explicit Tform_setup(QWidget* parent = nullptr);
    ~Tform_setup() override;

  private:
    std::unique_ptr<Ui::Tform_setup> ui_;
};

extern Tform_setup* form_setup;

}  // namespace kvtu::launcher
