#include "skin/core/CSkinPackWriter.h"
#include "support/Files.h"
#include "support/Process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testsupport::ReadFile;
using testsupport::RunCli;
using testsupport::WriteFile;

namespace {

class PackCli : public testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

const QString kMapPage
    = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>지도</title></head>\n"
                     "<body><div id=\"map\">현재 위치를 찾을 수 없습니다.</div></body></html>\n");
const QString kDescription
    = QStringLiteral("<dialog name=\"main_small\">\n\t<text key=\"err_title\">오류</text>\n</dialog>\n");
const QString kUtf16Page = QStringLiteral("<html>속도 km/h</html>");

TEST_F(PackCli, BuildListExtractRoundTrip)
{
    ASSERT_TRUE(WriteFile(path("src/Main_Small.xml"), kDescription.toUtf8()));
    ASSERT_TRUE(WriteFile(path("src/map.html"), kMapPage.toUtf8()));
    ASSERT_TRUE(WriteFile(path("src/speed.html"), testsupport::Utf16LeWithBom(kUtf16Page)));
    ASSERT_TRUE(WriteFile(path("src/notes.txt"), "not packed"));

    const auto build = RunCli({ "pack", "build", path("src"), path("default.skin") });
    ASSERT_EQ(build.exitCode, 0) << build.err.toStdString();

    const auto list = RunCli({ "pack", "list", path("default.skin") });
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    // Lengths count the byte-order mark that every entry starts with.
    const QString expected = QStringLiteral("1\tMain_Small\t%1\n2\tmap\t%2\n2\tspeed\t%3\n")
                                 .arg((kDescription.size() + 1) * 2)
                                 .arg((kMapPage.size() + 1) * 2)
                                 .arg((kUtf16Page.size() + 1) * 2);
    EXPECT_EQ(QString::fromUtf8(list.out), expected);

    const auto extract = RunCli({ "pack", "extract", path("default.skin"), path("out") });
    ASSERT_EQ(extract.exitCode, 0) << extract.err.toStdString();
    EXPECT_EQ(ReadFile(path("out/Main_Small.xml")), kDescription.toUtf8());
    EXPECT_EQ(ReadFile(path("out/map.html")), kMapPage.toUtf8());
    EXPECT_EQ(ReadFile(path("out/speed.html")), kUtf16Page.toUtf8());
    EXPECT_FALSE(QFile::exists(path("out/notes.txt")));
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files).size(), 3);
}

TEST_F(PackCli, EmptyFolderGivesAnEmptyPack)
{
    QDir(m_dir.path()).mkdir(QStringLiteral("empty"));
    ASSERT_EQ(RunCli({ "pack", "build", path("empty"), path("e.skin") }).exitCode, 0);
    const auto list = RunCli({ "pack", "list", path("e.skin") });
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.isEmpty());
}

TEST_F(PackCli, FailuresAreReported)
{
    const auto missing = RunCli({ "pack", "build", path("nowhere"), path("x.skin") });
    EXPECT_TRUE(missing.finished && missing.exitCode != 0);
    EXPECT_TRUE(missing.err.contains("nowhere"));
    EXPECT_FALSE(QFile::exists(path("x.skin")));

    ASSERT_TRUE(WriteFile(path("bad/broken.xml"), QByteArray("<a>\xC3\x28</a>")));
    const auto invalid = RunCli({ "pack", "build", path("bad"), path("x.skin") });
    EXPECT_TRUE(invalid.finished && invalid.exitCode != 0);
    EXPECT_TRUE(invalid.err.contains("broken.xml"));
    EXPECT_TRUE(invalid.err.contains("UTF-8"));

    ASSERT_TRUE(WriteFile(path("not-a-pack.skin"), QByteArray(1000, 'x')));
    const auto notPack = RunCli({ "pack", "list", path("not-a-pack.skin") });
    EXPECT_TRUE(notPack.finished && notPack.exitCode != 0);
    EXPECT_TRUE(notPack.err.contains("result 3"));

    const auto noFile = RunCli({ "pack", "extract", path("none.skin"), path("out") });
    EXPECT_TRUE(noFile.finished && noFile.exitCode != 0);
    EXPECT_TRUE(noFile.err.contains("result 1"));

    EXPECT_EQ(RunCli({ "pack", "frobnicate" }).exitCode, 2);
}

TEST_F(PackCli, ExtractRefusesNamesThatLeaveTheFolder)
{
    skin::CSkinPackWriter writer;
    writer.AddEntry(skin::SkinPackTable::Descriptions, QStringLiteral("../escaped"), QStringLiteral("<a/>"));
    writer.AddEntry(skin::SkinPackTable::Descriptions, QStringLiteral("fine"), QStringLiteral("<b/>"));
    ASSERT_TRUE(writer.Write(path("evil.skin")));
    QDir(m_dir.path()).mkdir(QStringLiteral("target"));
    const auto extract = RunCli({ "pack", "extract", path("evil.skin"), path("target/out") });
    EXPECT_TRUE(extract.finished && extract.exitCode != 0);
    EXPECT_TRUE(extract.err.contains("../escaped"));
    EXPECT_FALSE(QFile::exists(path("target/escaped.xml")));
    EXPECT_EQ(ReadFile(path("target/out/fine.xml")), QByteArray("<b/>"));
}

} // namespace
