#include "platform/ui/path_shortening.h"

#include <gtest/gtest.h>

#include <string>

namespace kvtu::ui {
namespace {

// One unit per character, so that the widths of the steps are plain to see.
std::string shortened(const std::string& path, int max_width) {
    return shorten_path(QString::fromStdString(path), max_width,
                        [](const QString& text) { return static_cast<int>(text.size()); })
        .toStdString();
}

TEST(PathShorteningTest, DropsLeadingFoldersThenTheRootThenAllButTheFileName) {
    const std::string path = "/home/ola/games/f.exe";  // 21
    const struct {
        int width;
        const char* shown;
    } steps[] = {
        {21, "/home/ola/games/f.exe"},
        {100, "/home/ola/games/f.exe"},
        {20, "/.../ola/games/f.exe"},
        {19, "/.../games/f.exe"},
        {16, "/.../games/f.exe"},
        {15, "/.../f.exe"},
        {10, "/.../f.exe"},
        {9, ".../f.exe"},
        {8, "f.exe"},
        {0, "f.exe"},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(shortened(path, step.width), step.shown) << step.width;
    }
}

TEST(PathShorteningTest, RelativeRootAndDottedFolders) {
    EXPECT_EQ(shortened("ab/c/f.exe", 9), ".../f.exe");
    EXPECT_EQ(shortened("ab/c/f.exe", 8), "f.exe");
    EXPECT_EQ(shortened("/f.exe", 5), "f.exe");
    EXPECT_EQ(shortened("f.exe", 1), "f.exe");
    // A folder whose name begins with dots is a folder like any other.
    EXPECT_EQ(shortened("/.../.cfg/x/f", 12), "/.../x/f");
    EXPECT_EQ(shortened("/...x/y/f", 8), "/.../y/f");
}

}  // namespace
}  // namespace kvtu::ui
