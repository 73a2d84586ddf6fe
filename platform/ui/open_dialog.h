#pragma once
// The open-file dialog a form owns: a resizable dialog that accepts only an existing file, with
// one filter entry. execute() runs it modally; afterwards file_name() is the chosen file's full
// path as the file system spells it, in bytes. Qt's dialog shows only names that are valid UTF-8.
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace kvtu::ui {

class OpenDialog {
  public:
    // What a test answers in place of the user: a path, or nothing for a cancel.
    using Answerer = std::function<std::optional<std::string>(const OpenDialog&)>;

    // The filter entry: the description the dialog shows and the file name pattern it matches
    // regardless of case.
    void set_filter(std::string description, std::string pattern);
    const std::string& filter_description() const { return filter_description_; }
    const std::string& filter_pattern() const { return filter_pattern_; }

    // True when the user chose a file, false when the dialog was cancelled.
    bool execute(QWidget* owner);
    const std::string& file_name() const { return file_name_; }

    // While an answerer is set, execute() asks it instead of showing a dialog.
    static void set_answerer(Answerer answerer);

  private:
    std::string filter_description_;
    std::string filter_pattern_;
    std::string file_name_;
};

}  // namespace kvtu::ui
