#include "platform/ui/jpeg_picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstdio>
#include <cstring>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "platform/core/errors.h"

namespace kvtu::ui {

namespace {

// Skin pictures are small; this keeps a forged header from asking for gigabytes at the first
// paint.
constexpr long long largest_pixel_count = 32LL * 1024 * 1024;

// The decoder reports a fatal error by calling error_exit, which must not return; it jumps back
// into the function that set the jump point, carrying the message code in msg_code.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump_point;
};

[[noreturn]] void jump_out(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump_point, 1);
}

// Warnings (corrupt or truncated data) are not printed on the program's standard error.
void stay_silent(j_common_ptr) {}

void prepare(jpeg_decompress_struct& info, ErrorManager& errors) {
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jump_out;
    errors.base.output_message = stay_silent;
}

// Reads the header; 0 when it is accepted, otherwise the decoder's message code. No object with
// a destructor lives between the jump point and the decoder's calls.
int read_header(const std::string& bytes, int& width, int& height) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    prepare(info, errors);
    if (setjmp(errors.jump_point) != 0) {
        const int code = errors.base.msg_code;
        jpeg_destroy_decompress(&info);
        return code;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    width = static_cast<int>(info.image_width);
    height = static_cast<int>(info.image_height);
    jpeg_destroy_decompress(&info);
    return 0;
}

// Decodes into the image, which has the header's size; false when the decoder gave up.
bool decode_into(const std::string& bytes, QImage& image) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    prepare(info, errors);
    if (setjmp(errors.jump_point) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (static_cast<int>(info.output_width) != image.width() ||
        static_cast<int>(info.output_height) != image.height() || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

class Descriptor {
  public:
    explicit Descriptor(int handle) : handle_(handle) {}
    ~Descriptor() { close(handle_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return handle_; }

  private:
    int handle_;
};

std::string read_whole_file(const std::string& path) {
    // Not blocking, so that a pipe in the place of a picture cannot hang the window's creation.
    const int handle = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (handle < 0) throw FileError(cannot_open_file_message(path, errno));
    const Descriptor file(handle);
    struct stat status {};
    if (fstat(file.get(), &status) != 0) throw FileError(cannot_open_file_message(path, errno));
    if (S_ISDIR(status.st_mode)) throw FileError(cannot_open_file_message(path, EISDIR));
    if (!S_ISREG(status.st_mode)) throw FileError(cannot_open_file_message(path, EINVAL));
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t count = read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            throw FileError(cannot_open_file_message(path, errno));
        }
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

}  // namespace

JpegPicture JpegPicture::load_file(const std::string& path) {
    return from_bytes(read_whole_file(path));
}

JpegPicture JpegPicture::from_bytes(std::string bytes) {
    JpegPicture picture;
    if (bytes.empty()) return picture;
    int width = 0;
    int height = 0;
    if (const int code = read_header(bytes, width, height); code != 0) {
        throw JpegError(jpeg_error_message(code));
    }
    picture.bytes_ = std::move(bytes);
    picture.width_ = width;
    picture.height_ = height;
    return picture;
}

QImage JpegPicture::decode() const {
    if (empty() || width_ <= 0 || height_ <= 0) return {};
    if (static_cast<long long>(width_) * height_ > largest_pixel_count) return {};
    QImage image(width_, height_, QImage::Format_RGB888);
    if (image.isNull()) return {};
    if (!decode_into(bytes_, image)) return {};
    return image;
}

}  // namespace kvtu::ui
