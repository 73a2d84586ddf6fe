#include "platform/ui/sorted_lists.h"

#include <QComboBox>
#include <QListWidget>
#include <QStandardItemModel>

#include "platform/ui/shown_bytes.h"
#include "platform/ui/text.h"

namespace kvtu::ui {

void add_sorted(QListWidget& list, SortedList& order, const std::vector<std::string>& texts) {
    for (const SortedList::Run& run : order.add(texts)) {
        QStringList shown;
        shown.reserve(static_cast<qsizetype>(run.texts.size()));
        for (const std::size_t index : run.texts) shown.append(to_qstring(texts[index]));
        list.insertItems(static_cast<int>(run.position), shown);
    }
}

void add_sorted(QComboBox& box, SortedList& order, const std::vector<std::string>& texts) {
    auto* model = qobject_cast<QStandardItemModel*>(box.model());
    for (const SortedList::Run& run : order.add(texts)) {
        QList<QStandardItem*> items;
        items.reserve(static_cast<qsizetype>(run.texts.size()));
        for (const std::size_t index : run.texts) {
            auto* item = new QStandardItem(to_qstring(texts[index]));
            item->setData(byte_array(texts[index]), bytes_role);
            items.append(item);
        }
        // The box's own model takes the whole block at once.
        model->invisibleRootItem()->insertRows(static_cast<int>(run.position), items);
    }
}

}  // namespace kvtu::ui
