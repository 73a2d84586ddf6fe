#pragma once
// Texts that come as bytes (a file name, a stored setting, a line of a file) are shown by the
// text rule, and controls keep the bytes beside the shown text: what the user leaves as it was
// goes back as those bytes, byte for byte; what the user changed or typed goes back as UTF-8.
#include <QByteArray>
#include <QString>
#include <Qt>
#include <string>
#include <string_view>

class QComboBox;
class QLineEdit;

namespace kvtu::ui {

// The item data role under which list items keep their bytes (a QByteArray).
inline constexpr int bytes_role = Qt::UserRole + 0x100;

QByteArray byte_array(std::string_view bytes);

// The bytes of a shown text: the kept bytes while the text still shows them, else the text as
// UTF-8.
std::string bytes_of(const QString& shown, const QByteArray& kept);

// A field filled from bytes, and what it holds as bytes.
void set_field_bytes(QLineEdit& field, std::string_view bytes);
std::string field_bytes(const QLineEdit& field);

// An item added at the end of a combo box's list, with its bytes.
void add_item(QComboBox& box, std::string_view bytes);
// The edit field of a combo box filled from bytes, as typed text.
void set_edit_bytes(QComboBox& box, std::string_view bytes);
// What a combo box holds, as bytes: those of the item picked while its text is shown, else those
// of the first listed item that shows the same text (typing a listed name finds that name,
// whatever its bytes), else the edit field's as a field's.
std::string combo_bytes(const QComboBox& box);

}  // namespace kvtu::ui
