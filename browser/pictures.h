#pragma once
// The browser's own drawn pictures: the application icon (the launcher's emblem) and the
// 17 pictures of 16 by 16 pixels of its image list.
#include <QIcon>
#include <QList>
#include <QPixmap>

namespace kvtu::browser {

// Indexes into the image list that rows show.
inline constexpr int image_not_queried = 0;
inline constexpr int image_newer_version = 15;
inline constexpr int image_older_version = 16;
inline constexpr int image_count = 17;

QIcon application_icon();
// 0 no-entry sign; 1 to 14 flags (Austria, Canada, China, France, Germany, United Kingdom,
// Greece, Italy, Japan, Poland, chequered flag, Switzerland, Turkey, United States); 15 a
// small brown picture; 16 a red square with a grey and olive emblem.
QList<QPixmap> customimagelist();

}  // namespace kvtu::browser
