// A picture saved over a file the user keeps private, and through a link: the
// file keeps its mode, the link stays and the file it names gets the picture.
#include "configurator/windows/JpegWriter.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace zo::configurator {
namespace {

namespace fs = std::filesystem;

TEST(JpegWriter, APictureSavedOverAFileKeepsItsModeAndLinks) {
    test::TempDir dir;
    fs::create_directory(dir.path() / "real");
    const std::string real = dir.file("real/view.jpg");
    test::writeBytes(real, "old picture");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    fs::create_symlink("real/view.jpg", dir.file("view.jpg"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (const std::string& name : {real, dir.file("view.jpg")}) {
        SCOPED_TRACE(name);
        QString error;
        ASSERT_TRUE(SaveJpeg(picture, QString::fromStdString(name), 90, &error)) << error.toStdString();
        EXPECT_EQ(test::readBytes(real).substr(0, 2), "\xFF\xD8") << "a JPEG file";
        EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms(0600));
        EXPECT_TRUE(fs::is_symlink(dir.file("view.jpg")));
        test::writeBytes(real, "old picture");
    }
    EXPECT_EQ(test::filesIn(dir.file("real")), std::vector<std::string>{"view.jpg"});
}

}  // namespace
}  // namespace zo::configurator
