#pragma once
// The debug window: created with the others and never shown.
#include <QWidget>
#include <memory>

namespace Ui {
class Tdebug;
}

namespace kvtu::launcher {

class Tdebug : public QWidget {
    Q_OBJECT
  public:
    explicit Tdebug(QWidget* parent = nullptr);
    ~Tdebug() override;

  private:
    std::unique_ptr<Ui::Tdebug> ui_;
};

extern Tdebug* debug;

}  // namespace kvtu::launcher
