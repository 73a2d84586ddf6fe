#include "platform/ui/open_dialog.h"

#include <QFile>
#include <QFileDialog>

#include "platform/ui/text.h"

namespace kvtu::ui {

namespace {

OpenDialog::Answerer& answerer() {
    static OpenDialog::Answerer instance;
    return instance;
}

}  // namespace

void OpenDialog::set_filter(std::string description, std::string pattern) {
    filter_description_ = std::move(description);
    filter_pattern_ = std::move(pattern);
}

void OpenDialog::set_answerer(Answerer answerer_to_use) {
    answerer() = std::move(answerer_to_use);
}

bool OpenDialog::execute(QWidget* owner) {
    std::optional<std::string> chosen;
    if (answerer()) {
        chosen = answerer()(*this);
    } else {
        QFileDialog dialog(owner);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // Qt's own dialog matches the pattern regardless of case, as the filter entry means it;
        // desktop dialogs may not. Only the description is shown, as the entry names it.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilter(to_qstring(filter_description_ + " (" + filter_pattern_ + ")"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            // The file system's own bytes (Qt names files in UTF-8), not the shown text's.
            chosen = QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
        }
    }
    if (!chosen) return false;
    file_name_ = *chosen;
    return true;
}

}  // namespace kvtu::ui
