// JPEG pictures from real files: header read at load, decode at the first paint, drawn at their
// own size or stretched by the picture control.
#include "platform/ui/jpeg_picture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <fstream>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "platform/core/errors.h"
#include "platform/ui/picture_control.h"
#include "test_environment.h"

namespace kvtu::ui {
namespace {

using kvtu::test::sandbox;

const QColor red(220, 30, 30);
const QColor blue(30, 30, 220);
const QColor ground(10, 200, 10);

// A 20 x 10 picture, red on its left half and blue on its right half, as JPEG bytes.
std::string two_colour_jpeg(int width = 20, int height = 10) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height, red);
    painter.fillRect(width / 2, 0, width - width / 2, height, blue);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", 95));
    return bytes.toStdString();
}

std::string put(const std::string& name, const std::string& bytes) {
    const std::string path = (sandbox() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

bool near(QColor shown, QColor expected) {
    return std::abs(shown.red() - expected.red()) < 40 &&
           std::abs(shown.green() - expected.green()) < 40 &&
           std::abs(shown.blue() - expected.blue()) < 40;
}

// What the control shows, over a ground of its own colour where the picture draws nothing.
QImage shown_by(PictureControl& control) {
    control.setAutoFillBackground(true);
    QPalette palette = control.palette();
    palette.setColor(QPalette::Window, ground);
    control.setPalette(palette);
    return control.grab().toImage();
}

std::string error_of(const std::string& path) {
    try {
        JpegPicture::load_file(path);
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

TEST(JpegPicture, LoadReadsTheHeaderAndDecodeGivesTheImage) {
    const JpegPicture picture = JpegPicture::load_file(put("two.jpg", two_colour_jpeg()));
    EXPECT_FALSE(picture.empty());
    EXPECT_EQ(picture.width(), 20);
    EXPECT_EQ(picture.height(), 10);
    const QImage image = picture.decode();
    ASSERT_EQ(image.size(), QSize(20, 10));
    EXPECT_TRUE(near(image.pixelColor(2, 5), red));
    EXPECT_TRUE(near(image.pixelColor(17, 5), blue));
}

TEST(JpegPicture, FilesThatCannotBeOpenedNameTheirFullPathAndTheSystemsReason) {
    const std::string missing = (sandbox() / "styles" / "gone" / "background.jpg").string();
    EXPECT_EQ(error_of(missing), "Cannot open file \"" + missing + "\". No such file or directory");
    const std::string folder = (sandbox() / "folder.jpg").string();
    std::filesystem::create_directory(folder);
    EXPECT_EQ(error_of(folder), "Cannot open file \"" + folder + "\". Is a directory");
    // A pipe in the place of a picture is refused at once instead of waiting for a writer.
    const std::string pipe = (sandbox() / "pipe.jpg").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(error_of(pipe).rfind("Cannot open file \"" + pipe + "\". ", 0), 0u);
    // A file far larger than any picture is refused before it is read into memory.
    const std::string huge = (sandbox() / "huge.jpg").string();
    std::filesystem::copy_file(put("start.jpg", two_colour_jpeg()), huge);
    std::filesystem::resize_file(huge, (64 << 20) + 1);
    EXPECT_EQ(error_of(huge), "Cannot open file \"" + huge + "\". File too large");
}

TEST(JpegPicture, HeadersTheDecoderRejectsGiveItsMessageCode) {
    EXPECT_EQ(error_of(put("text.jpg", "not a picture at all")),
              "JPEG error #" + std::to_string(JERR_NO_SOI));
    const std::string whole = two_colour_jpeg();
    // Cut inside the header: the data ends before the image.
    const std::string cut = error_of(put("cut.jpg", whole.substr(0, 40)));
    EXPECT_EQ(cut.rfind("JPEG error #", 0), 0u) << cut;
    EXPECT_NE(cut, "JPEG error #0");
    EXPECT_THROW(JpegPicture::from_bytes(whole.substr(0, 2)), JpegError);
}

TEST(JpegPicture, EmptyFileLoadsAsAnEmptyPictureThatDrawsNothing) {
    const JpegPicture picture = JpegPicture::load_file(put("empty.jpg", ""));
    EXPECT_TRUE(picture.empty());
    EXPECT_TRUE(picture.decode().isNull());
    PictureControl control;
    control.resize(8, 8);
    control.load_picture(put("empty.jpg", ""));
    EXPECT_TRUE(control.has_picture());
    EXPECT_EQ(shown_by(control).pixelColor(4, 4), ground);
}

TEST(JpegPicture, ImageDataCutAfterTheHeaderLoadsAndStillDecodes) {
    const std::string whole = two_colour_jpeg(64, 64);
    // A little behind the start of scan (FF DA), inside the image data.
    const std::size_t scan = whole.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    ASSERT_LT(scan + 20, whole.size() - 2);
    const JpegPicture picture = JpegPicture::from_bytes(whole.substr(0, scan + 20));
    EXPECT_EQ(picture.width(), 64);
    EXPECT_EQ(picture.decode().size(), QSize(64, 64));
}

TEST(JpegPicture, HeaderClaimingAHugeImageLoadsButIsNotDecoded) {
    std::string bytes = two_colour_jpeg();
    // The frame header (FF C0 .. FF C2) carries height and width as big-endian 16-bit values.
    std::size_t frame = std::string::npos;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        const auto marker = static_cast<unsigned char>(bytes[i + 1]);
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && marker >= 0xC0 && marker <= 0xC2) {
            frame = i;
            break;
        }
    }
    ASSERT_NE(frame, std::string::npos);
    for (std::size_t offset : {5, 6, 7, 8}) bytes[frame + offset] = static_cast<char>(0xFD);
    const JpegPicture picture = JpegPicture::from_bytes(bytes);
    EXPECT_EQ(picture.width(), 0xFDFD);
    EXPECT_TRUE(picture.decode().isNull());
}

// A progressive picture whose last scan is repeated `repeats` more times before its end.
std::string progressive_jpeg(int side, int repeats) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    EXPECT_TRUE(writer.write(image));
    const std::string whole = bytes.toStdString();
    const std::size_t end = whole.size() - 2;
    const std::size_t last_scan = whole.rfind("\xFF\xDA");
    std::string forged = whole.substr(0, end);
    for (int i = 0; i < repeats; ++i) forged += whole.substr(last_scan, end - last_scan);
    return forged + whole.substr(end);
}

TEST(JpegPicture, ProgressivePictureDecodesButOneWithHundredsOfScansDoesNot) {
    const QImage progressive = JpegPicture::from_bytes(progressive_jpeg(1024, 0)).decode();
    ASSERT_EQ(progressive.size(), QSize(1024, 1024));
    EXPECT_TRUE(near(progressive.pixelColor(500, 500), red));
    // Every scan is a pass over the whole image: a forged file of some ten kilobytes would keep
    // the window from painting for many seconds.
    const JpegPicture forged = JpegPicture::from_bytes(progressive_jpeg(1024, 600));
    EXPECT_EQ(forged.width(), 1024);
    EXPECT_TRUE(forged.decode().isNull());
    // The same scans over a small picture are little work.
    EXPECT_FALSE(JpegPicture::from_bytes(progressive_jpeg(64, 600)).decode().isNull());
}

TEST(PictureControlDrawing, PictureIsDrawnAtItsOwnSizeFromTheTopLeftAndCutAtTheBounds) {
    const std::string path = put("two.jpg", two_colour_jpeg());
    PictureControl larger;
    larger.resize(40, 20);
    larger.load_picture(path);
    const QImage shown = shown_by(larger);
    EXPECT_TRUE(near(shown.pixelColor(2, 2), red));
    EXPECT_TRUE(near(shown.pixelColor(17, 8), blue));
    EXPECT_EQ(shown.pixelColor(30, 15), ground);

    PictureControl smaller;
    smaller.resize(8, 5);
    smaller.load_picture(path);
    const QImage cut = shown_by(smaller);
    EXPECT_TRUE(near(cut.pixelColor(7, 4), red));
}

TEST(PictureControlDrawing, StretchedPictureFillsTheBounds) {
    PictureControl stretched;
    stretched.setScaledContents(true);
    stretched.resize(40, 20);
    stretched.load_picture(put("two.jpg", two_colour_jpeg()));
    const QImage shown = shown_by(stretched);
    EXPECT_TRUE(near(shown.pixelColor(5, 15), red));
    EXPECT_TRUE(near(shown.pixelColor(35, 15), blue));
}

TEST(PictureControlDrawing, FailedLoadKeepsThePictureBefore) {
    PictureControl control;
    control.resize(20, 10);
    control.load_picture(put("two.jpg", two_colour_jpeg()));
    EXPECT_THROW(control.load_picture(put("bad.jpg", "bad")), JpegError);
    EXPECT_EQ(control.picture().width(), 20);
}

}  // namespace
}  // namespace kvtu::ui
