// Times filling the browser's two FTP lists, the list box and the combo box, with 100,000 listed
// names in the order a server sends them, as the connect does: each name placed in the
// control's order, shown by the text rule, the combo box's names keeping their bytes. Beside it,
// interleaved in the same run, the bare baseline: the same names sorted by std::sort on their
// bytes and put into the same two controls in one block each. Both include the controls' own
// layout, until the window has handled what the fill posted. Prints the medians and the median
// of their ratios round by round.
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "interleaved.h"
#include "platform/ui/sorted_lists.h"
#include "platform/ui/text.h"

namespace {

constexpr int name_count = 100000;
constexpr int rounds = 7;

// Names as a game server's configuration folder may hold them: mostly plain, some with capitals,
// hyphens, UTF-8 and Windows-1252 letters, in no particular order. A fifth are ".cfg" files.
std::vector<std::string> listed_names() {
    std::mt19937 random(2303);
    const std::vector<std::string> stems = {"server",
                                            "Mission",
                                            "coop-map",
                                            "eu-1",
                                            "Gr\xc3\xbcn",
                                            "J\xf6rg",
                                            "basic",
                                            "Stra\xdf"
                                            "e"};
    std::vector<std::string> names;
    names.reserve(name_count);
    for (int i = 0; i < name_count; ++i) {
        names.push_back(stems[random() % stems.size()] + "_" + std::to_string(random() % 1000000) +
                        (i % 5 == 0 ? ".cfg" : ".txt"));
    }
    return names;
}

struct Controls {
    QWidget window;
    QListWidget* files = new QListWidget;
    QComboBox* configs = new QComboBox;

    Controls() {
        // As the browser's window lays them out: every name is one line of one font.
        files->setUniformItemSizes(true);
        configs->setEditable(true);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(files);
        layout->addWidget(configs);
        window.resize(400, 300);
        window.show();
        QApplication::processEvents();
    }
};

// The offscreen platform warns of every window it shows that it cannot pass size hints on;
// with a fresh window each sample that buries the figures. Only that line is dropped.
QtMessageHandler next_handler = nullptr;

void quiet_size_hints(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message == QLatin1String("This plugin does not support propagateSizeHints()")) return;
    next_handler(type, context, message);
}

double fill_in_order(const std::vector<std::string>& configs,
                     const std::vector<std::string>& files) {
    Controls controls;
    kvtu::ui::SortedList config_order(kvtu::ui::LetterCase::ignored);
    kvtu::ui::SortedList file_order(kvtu::ui::LetterCase::ignored);
    return kvtu::bench::timed([&] {
        kvtu::ui::add_sorted(*controls.configs, config_order, configs);
        kvtu::ui::add_sorted(*controls.files, file_order, files);
        QApplication::processEvents();
    });
}

double fill_bare(std::vector<std::string> configs, std::vector<std::string> files) {
    Controls controls;
    const auto shown = [](const std::vector<std::string>& names) {
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(names.size()));
        for (const std::string& name : names) texts.append(kvtu::ui::to_qstring(name));
        return texts;
    };
    return kvtu::bench::timed([&] {
        for (auto* names : {&configs, &files}) std::sort(names->begin(), names->end());
        controls.configs->insertItems(0, shown(configs));
        controls.files->insertItems(0, shown(files));
        QApplication::processEvents();
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    next_handler = qInstallMessageHandler(quiet_size_hints);
    QApplication application(argc, argv);

    std::vector<std::string> configs;
    std::vector<std::string> files;
    for (std::string& name : listed_names()) {
        (name.ends_with(".cfg") ? configs : files).push_back(std::move(name));
    }

    std::printf("%d names (%zu .cfg, %zu other) into a list box and a combo box\n", name_count,
                configs.size(), files.size());
    // The bare road takes its own copies of the names, made before its timer starts.
    const auto figures = kvtu::bench::run_interleaved(
        {{"sorted fill of both controls", [&] { return fill_in_order(configs, files); }},
         {"bare std::sort and block insert", [&] { return fill_bare(configs, files); }}},
        rounds);
    kvtu::bench::print_ratio(figures[0], figures[1], "");
    return 0;
}
