// What the unsaved-work check compares: a project's text without its derived
// attributes, and whether the file on disk is still the one the program read.
#include "configurator/link/ProjectComparison.h"

#include "platform/Cp1251.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

using namespace zo::configurator;

namespace {

std::string without(const std::string& utf8) {
    const QByteArray text = QByteArray::fromStdString(zo::platform::utf8ToCp1251(utf8));
    return zo::platform::cp1251ToUtf8(WithoutDerivedFields(text).toStdString());
}

TEST(ProjectComparison, DerivedAttributesGoAndEverythingElseStays) {
    const struct {
        const char* what;
        const char* text;
        const char* expected;
    } cases[] = {
        {"a sheet's window placement",
         "  <Схема Name=\"A\" WindowOpen=\"1\" Left=\"0\" Top=\"2\" Right=\"640\" Bottom=\"360\" Scale=\"1\" "
         "HScroll=\"3\" VScroll=\"4\" Width=\"60\"/>",
         "  <Схема Name=\"A\" Width=\"60\"/>"},
        {"a block's selection, its place kept",
         "\t<Блок Name=\"AND1\" Left=\"3\" Top=\"4\" Selected=\"1\" Priority=\"0\">",
         "\t<Блок Name=\"AND1\" Left=\"3\" Top=\"4\" Priority=\"0\">"},
        {"a connection's numbers and selection",
         "<Соединение Selected=\"0\" PointA=\"7\" PointB=\"9\" NetIndex=\"12\" Chain=\"3\" LineType=\"1\"/>",
         "<Соединение PointA=\"7\" PointB=\"9\"/>"},
        {"other elements keep the same names", "<Канал Left=\"1\" Selected=\"1\"/>", "<Канал Left=\"1\" Selected=\"1\"/>"},
        {"a name only inside another attribute's name", "<Блок xSelected=\"1\" NameSelected=\"2\"/>",
         "<Блок xSelected=\"1\" NameSelected=\"2\"/>"},
        {"an unclosed value stays", "<Блок Name=\"B\" Selected=\"1", "<Блок Name=\"B\" Selected=\"1"},
        {"lines and their ends as they were", "<Блок Selected=\"1\"/>\r\n\n<Блок Selected=\"0\"/>",
         "<Блок/>\r\n\n<Блок/>"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(without(c.text), c.expected) << c.what;
}

TEST(ProjectComparison, AFileWrittenAgainWithTheSameBytesIsStillOurs) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("P.hc");
    auto write = [&path](const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    };
    write("<root>one</root>\n");
    std::optional<QByteArray> read;
    const TFileStamp stamp = StampOf(path, &read);
    ASSERT_TRUE(stamp.Exists);
    ASSERT_TRUE(read);
    EXPECT_TRUE(StillStamped(stamp, path));
    // Replaced by another file (another inode) with the same bytes, then with others of the same size.
    ASSERT_TRUE(QFile::remove(path));
    write("<root>one</root>\n");
    EXPECT_TRUE(StillStamped(stamp, path));
    write("<root>two</root>\n");
    EXPECT_FALSE(StillStamped(stamp, path));
    // A missing file is nobody's work.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(StillStamped(stamp, path));
}

}  // namespace
