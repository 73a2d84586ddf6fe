#include "platform/ui/jpeg_picture.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstdio>
#include <cstring>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "platform/core/atomic_file.h"
#include "platform/core/errors.h"

namespace kvtu::ui {

namespace {

// Skin pictures are small; this keeps a forged header from asking for gigabytes at the first
// paint.
constexpr long long largest_pixel_count = 32LL * 1024 * 1024;
// Each scan of a progressive picture is a pass over the whole image, and a forged file can
// repeat a scan of a few bytes thousands of times: the window would not paint for minutes. The
// passes' work, pixels times scans, is bounded to a fraction of a second, which leaves a genuine
// progressive picture (about ten scans) room up to the largest size above.
constexpr long long largest_scan_work = 500LL * 1024 * 1024;
// Loading keeps the whole file in memory; a picture of the largest decodable size takes a
// fraction of this, so a larger file is refused before it can exhaust the memory.
constexpr std::size_t largest_file_size = 64 * 1024 * 1024;

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

// Called by the decoder as it reads the scans of the image data.
void limit_scans(j_common_ptr common) {
    const auto* info = reinterpret_cast<j_decompress_ptr>(common);
    const long long pixels = static_cast<long long>(info->image_width) * info->image_height;
    if (info->input_scan_number * pixels > largest_scan_work) {
        // No message of the decoder's: an earlier warning's code must not pass for one.
        common->err->msg_code = 0;
        jump_out(common);
    }
}

// Reads the header and, when `image` is given, decodes into it (it must have the header's
// size). 0 when all went well, otherwise the decoder's message code, or -1 where the decoder
// gave none (too many scans, a decoded form that does not fit the image). No object with a
// destructor lives between the jump point and the decoder's calls.
int run_decoder(const std::string& bytes, int& width, int& height, QImage* image) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    jpeg_progress_mgr progress;
    std::memset(&info, 0, sizeof info);
    std::memset(&progress, 0, sizeof progress);
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jump_out;
    errors.base.output_message = stay_silent;
    progress.progress_monitor = limit_scans;
    if (setjmp(errors.jump_point) != 0) {
        const int code = errors.base.msg_code;
        jpeg_destroy_decompress(&info);
        return code != 0 ? code : -1;
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    width = static_cast<int>(info.image_width);
    height = static_cast<int>(info.image_height);
    if (image == nullptr) {
        jpeg_destroy_decompress(&info);
        return 0;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (static_cast<int>(info.output_width) != image->width() ||
        static_cast<int>(info.output_height) != image->height() || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return -1;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 0;
}

}  // namespace

JpegPicture JpegPicture::load_file(const std::string& path) {
    return from_bytes(read_file_or_raise(path, largest_file_size));
}

JpegPicture JpegPicture::from_bytes(std::string bytes) {
    JpegPicture picture;
    if (bytes.empty()) return picture;
    int width = 0;
    int height = 0;
    if (const int code = run_decoder(bytes, width, height, nullptr); code != 0) {
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
    int width = 0;
    int height = 0;
    if (run_decoder(bytes_, width, height, &image) != 0) return {};
    return image;
}

}  // namespace kvtu::ui
