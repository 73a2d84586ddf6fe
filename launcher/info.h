#pragma once
// The about window: picture, motto, version, notice, and the web and mail addresses, which
// open through the shell.
#include <QWidget>
#include <memory>

namespace Ui {
class Tform_info;
}

namespace kvtu::launcher {

class Tform_info : public QWidget {
    Q_OBJECT
  public:
    explicit Tform_info(QWidget* parent = nullptr);
    ~Tform_info() override;

    void Label5Click();
    void Label6Click();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::Tform_info> ui_;
    bool prepared_ = false;
};

extern Tform_info* form_info;

}  // namespace kvtu::launcher
