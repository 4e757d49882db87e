#include "skin/core/CSkinPackWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

CliResult runCli(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(TAVIN_BIN_DIR "/tavin-cli"), args);
    CliResult result;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray utf16LeWithBom(const QString &text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

class PackCli : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_skin_core";
        static char *argv[] = { name, nullptr };
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }

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
    QDir(m_dir.path()).mkdir(QStringLiteral("src"));
    writeFile(path("src/Main_Small.xml"), kDescription.toUtf8());
    writeFile(path("src/map.html"), kMapPage.toUtf8());
    writeFile(path("src/speed.html"), utf16LeWithBom(kUtf16Page));
    writeFile(path("src/notes.txt"), "not packed");

    const CliResult build = runCli({ "pack", "build", path("src"), path("default.skin") });
    ASSERT_EQ(build.exitCode, 0) << build.err.toStdString();

    const CliResult list = runCli({ "pack", "list", path("default.skin") });
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    // Lengths count the byte-order mark that every entry starts with.
    const QString expected = QStringLiteral("1\tMain_Small\t%1\n2\tmap\t%2\n2\tspeed\t%3\n")
                                 .arg((kDescription.size() + 1) * 2)
                                 .arg((kMapPage.size() + 1) * 2)
                                 .arg((kUtf16Page.size() + 1) * 2);
    EXPECT_EQ(list.out, expected);

    const CliResult extract = runCli({ "pack", "extract", path("default.skin"), path("out") });
    ASSERT_EQ(extract.exitCode, 0) << extract.err.toStdString();
    EXPECT_EQ(readFile(path("out/Main_Small.xml")), kDescription.toUtf8());
    EXPECT_EQ(readFile(path("out/map.html")), kMapPage.toUtf8());
    EXPECT_EQ(readFile(path("out/speed.html")), kUtf16Page.toUtf8());
    EXPECT_FALSE(QFile::exists(path("out/notes.txt")));
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files).size(), 3);
}

TEST_F(PackCli, EmptyFolderGivesAnEmptyPack)
{
    QDir(m_dir.path()).mkdir(QStringLiteral("empty"));
    ASSERT_EQ(runCli({ "pack", "build", path("empty"), path("e.skin") }).exitCode, 0);
    const CliResult list = runCli({ "pack", "list", path("e.skin") });
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.isEmpty());
}

TEST_F(PackCli, FailuresAreReported)
{
    const CliResult missing = runCli({ "pack", "build", path("nowhere"), path("x.skin") });
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("nowhere")));
    EXPECT_FALSE(QFile::exists(path("x.skin")));

    QDir(m_dir.path()).mkdir(QStringLiteral("bad"));
    writeFile(path("bad/broken.xml"), QByteArray("<a>\xC3\x28</a>"));
    const CliResult invalid = runCli({ "pack", "build", path("bad"), path("x.skin") });
    EXPECT_NE(invalid.exitCode, 0);
    EXPECT_TRUE(invalid.err.contains(QStringLiteral("broken.xml")));
    EXPECT_TRUE(invalid.err.contains(QStringLiteral("UTF-8")));

    writeFile(path("not-a-pack.skin"), QByteArray(1000, 'x'));
    const CliResult notPack = runCli({ "pack", "list", path("not-a-pack.skin") });
    EXPECT_NE(notPack.exitCode, 0);
    EXPECT_TRUE(notPack.err.contains(QStringLiteral("result 3")));

    const CliResult noFile = runCli({ "pack", "extract", path("none.skin"), path("out") });
    EXPECT_NE(noFile.exitCode, 0);
    EXPECT_TRUE(noFile.err.contains(QStringLiteral("result 1")));

    EXPECT_EQ(runCli({ "pack", "frobnicate" }).exitCode, 2);
}

TEST_F(PackCli, ExtractRefusesNamesThatLeaveTheFolder)
{
    skin::CSkinPackWriter writer;
    writer.AddEntry(skin::SkinPackTable::Descriptions, QStringLiteral("../escaped"), QStringLiteral("<a/>"));
    writer.AddEntry(skin::SkinPackTable::Descriptions, QStringLiteral("fine"), QStringLiteral("<b/>"));
    ASSERT_TRUE(writer.Write(path("evil.skin")));
    QDir(m_dir.path()).mkdir(QStringLiteral("target"));
    const CliResult extract = runCli({ "pack", "extract", path("evil.skin"), path("target/out") });
    EXPECT_NE(extract.exitCode, 0);
    EXPECT_TRUE(extract.err.contains(QStringLiteral("../escaped")));
    EXPECT_FALSE(QFile::exists(path("target/escaped.xml")));
    EXPECT_EQ(readFile(path("target/out/fine.xml")), QByteArray("<b/>"));
}

} // namespace
