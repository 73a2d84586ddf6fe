#pragma once
// Names added to a sorted list box or combo box, each at the place the control's order gives
// it and shown by the text rule; a combo box's items keep their bytes beside the shown text, so
// that a picked name goes back as it came. Each call inserts the names in a few blocks, not one
// by one, so that a hundred thousand names take a fraction of a second.
#include <string>
#include <vector>

#include "platform/ui/list_ordering.h"

class QComboBox;
class QListWidget;

namespace kvtu::ui {

void add_sorted(QListWidget& list, SortedList& order, const std::vector<std::string>& texts);
void add_sorted(QComboBox& box, SortedList& order, const std::vector<std::string>& texts);

}  // namespace kvtu::ui
