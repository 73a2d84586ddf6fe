#include "platform/ui/shown_bytes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVariant>

#include "platform/ui/text.h"

namespace kvtu::ui {

namespace {

// The property under which a field keeps the bytes it was filled from.
constexpr const char* field_bytes_property = "kvtu_bytes";

std::string_view view_of(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

QByteArray byte_array(std::string_view bytes) {
    return {bytes.data(), static_cast<qsizetype>(bytes.size())};
}

std::string bytes_of(const QString& shown, const QByteArray& kept) {
    if (to_qstring(view_of(kept)) == shown) return std::string(view_of(kept));
    return to_bytes(shown);
}

void set_field_bytes(QLineEdit& field, std::string_view bytes) {
    // Kept first: setting the text runs the field's change handlers, which may ask for the bytes.
    field.setProperty(field_bytes_property, byte_array(bytes));
    field.setText(to_qstring(bytes));
}

std::string field_bytes(const QLineEdit& field) {
    return bytes_of(field.text(), field.property(field_bytes_property).toByteArray());
}

void add_item(QComboBox& box, std::string_view bytes) {
    box.addItem(to_qstring(bytes));
    box.setItemData(box.count() - 1, byte_array(bytes), bytes_role);
}

void set_edit_bytes(QComboBox& box, std::string_view bytes) {
    box.lineEdit()->setProperty(field_bytes_property, byte_array(bytes));
    box.setEditText(to_qstring(bytes));
}

std::string combo_bytes(const QComboBox& box) {
    const QString shown = box.currentText();
    const auto item_bytes = [&box, &shown](int index) {
        return bytes_of(shown, box.itemData(index, bytes_role).toByteArray());
    };
    const int current = box.currentIndex();
    if (current >= 0 && box.itemText(current) == shown) return item_bytes(current);
    const int listed = box.findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (listed >= 0) return item_bytes(listed);
    if (box.lineEdit() != nullptr) return field_bytes(*box.lineEdit());
    return to_bytes(shown);
}

}  // namespace kvtu::ui
