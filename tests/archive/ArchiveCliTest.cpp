#include "ArchiveCard.h"

#include "support/Process.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace archivetest;

namespace {

QJsonArray JsonOf(const testsupport::ProcessResult &result)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.constData();
    return document.array();
}

QString RecorderText(double driveS)
{
    return QDateTime::fromMSecsSinceEpoch(RecorderMsAtDrive(driveS), QTimeZone::utc())
        .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

TEST(ArchiveCli, AddsListsFindsAndRemoves)
{
    QTemporaryDir dir;
    const QString db = QDir(dir.path()).filePath(QStringLiteral("archive.sqlite"));
    const ArchiveCard &card = SuiteCard();

    testsupport::ProcessResult result
        = testsupport::RunCli({ "archive", "add", card.root, "--card", "--db", db });
    ASSERT_TRUE(result.Ok()) << result.err.constData();
    EXPECT_TRUE(result.out.contains("6 added")) << result.out.constData();
    EXPECT_TRUE(result.err.contains("[6/6]")) << result.err.constData();

    result = testsupport::RunCli({ "archive", "list", "--json", "--db", db });
    ASSERT_TRUE(result.Ok()) << result.err.constData();
    const QJsonArray sources = JsonOf(result);
    ASSERT_EQ(sources.size(), 1);
    EXPECT_EQ(sources[0]["root"].toString(), card.root);
    EXPECT_EQ(sources[0]["recordings"].toInt(), 6);
    EXPECT_TRUE(sources[0]["online"].toBool());

    const QString near
        = QStringLiteral("%1,%2").arg(card.loopLatitude, 0, 'f', 7).arg(card.loopLongitude, 0, 'f', 7);
    result = testsupport::RunCli({ "find", "--near", near, "--radius", "50", "--json", "--db", db });
    ASSERT_TRUE(result.Ok()) << result.err.constData();
    const QJsonArray passes = JsonOf(result);
    ASSERT_EQ(passes.size(), 2);
    const QJsonObject first = passes[0].toObject();
    EXPECT_EQ(first["file"].toString(), card.fronts[3]);
    EXPECT_TRUE(first["time"].toString().startsWith(RecorderText(card.loopFirstS)))
        << qPrintable(first["time"].toString());
    EXPECT_EQ(first["time"].toString().size(), 19);
    EXPECT_GE(first["offset_s"].toDouble(), 0.0);
    EXPECT_NEAR(first["lat"].toDouble(), card.loopLatitude, 0.0005);
    EXPECT_NEAR(first["lon"].toDouble(), card.loopLongitude, 0.0005);
    EXPECT_GT(first["speed_kmh"].toDouble(), 5.0);
    EXPECT_LT(first["distance_m"].toDouble(), 15.0);
    EXPECT_TRUE(first["online"].toBool());
    EXPECT_EQ(first["source"].toString(), QDir::toNativeSeparators(card.root));

    result = testsupport::RunCli({ "find", "--from", RecorderText(kFirstDriveS), "--to",
        RecorderText(kFirstDriveS + 60), "--json", "--db", db });
    ASSERT_TRUE(result.Ok()) << result.err.constData();
    const QJsonArray span = JsonOf(result);
    ASSERT_EQ(span.size(), 3);
    EXPECT_EQ(span[0]["file"].toString(), card.fronts[0]);

    EXPECT_EQ(testsupport::RunCli({ "find", "--near", "north", "--db", db }).exitCode, 2);
    EXPECT_EQ(testsupport::RunCli({ "find", "--from", "2024-03-07 09:00", "--db", db }).exitCode, 2);
    EXPECT_EQ(testsupport::RunCli({ "archive", "remove", "--db", db }).exitCode, 2);
    EXPECT_EQ(
        testsupport::RunCli({ "archive", "add", QDir(dir.path()).filePath("none"), "--db", db }).exitCode, 1);
    EXPECT_EQ(testsupport::RunCli({ "archive", "remove", "77", "--db", db }).exitCode, 1);

    result = testsupport::RunCli({ "archive", "remove", card.root, "--db", db });
    ASSERT_TRUE(result.Ok()) << result.err.constData();
    result = testsupport::RunCli({ "archive", "list", "--json", "--db", db });
    EXPECT_TRUE(JsonOf(result).isEmpty());
    EXPECT_TRUE(QDir(card.root).exists());
}
