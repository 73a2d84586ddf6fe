#pragma once
// A JPEG picture as a picture control holds it: loading keeps the file's bytes and reads only
// the header; the image is decoded when it is first drawn.
#include <QImage>
#include <string>

namespace kvtu::ui {

class JpegPicture {
  public:
    // An empty picture: draws nothing.
    JpegPicture() = default;

    // Reads the whole file and its header. A file that cannot be opened or read raises
    // FileError "Cannot open file ..." with the full path; a header that the decoder rejects
    // raises JpegError "JPEG error #N" with the decoder's message code. A file of 0 bytes is an
    // empty picture.
    static JpegPicture load_file(const std::string& path);
    // The same for bytes already in memory.
    static JpegPicture from_bytes(std::string bytes);

    bool empty() const { return bytes_.empty(); }
    int width() const { return width_; }
    int height() const { return height_; }

    // The decoded image; a null image for an empty picture, for image data that fails to
    // decode, and for one too large to be held (a header may claim up to 65500 x 65500).
    QImage decode() const;

  private:
    std::string bytes_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace kvtu::ui
