// An export stopped by what a user cannot prevent: the program killed, the card taken out, the
// disk full. No clip may then pass for complete without its sums, and nothing half-written may
// keep a final name; what a killed export left is taken away by the next one.

#include "media/export/ClipExporter.h"
#include "media/export/TripSpan.h"
#include "support/Files.h"
#include "support/Process.h"
#include "trips/TripRecorder.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using media::ClipExporter;
using testsupport::RunCli;

namespace {

// A drive of three four-second recordings back to back (recorder time 09:00:00 to 09:00:12).
struct DriveCard {
    QTemporaryDir dir;
    QString root = dir.filePath(QStringLiteral("card"));
    QString out = dir.filePath(QStringLiteral("out"));
    QString clip = out + QStringLiteral("/clip.mp4");

    DriveCard()
    {
        EXPECT_TRUE(QDir().mkpath(out));
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(tripstest::WriteRecording(
                root, tripstest::ShortPlan("NORMAL", 'N', i * 4, 4000, 30 + i * 4), true)
                             .isEmpty());
    }
    QStringList ExportArgs(const char *end = "2024-03-07 09:00:11") const
    {
        return { "export", root, clip, "--start", "2024-03-07 09:00:01", "--end", end };
    }
    // Every file below the output folder, relative to it.
    QStringList OutFiles() const
    {
        QStringList files;
        QDirIterator it(out, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(out).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    // sha256sum's verdict on the folder's sums; empty when they all check.
    std::string SumsProblems() const
    {
        const auto run = testsupport::RunProgram(QStringLiteral("sh"),
            { "-c", QStringLiteral("cd '%1' && sha256sum --quiet -c SHA256SUMS").arg(out) });
        return run.Ok() ? std::string() : (run.out + run.err).toStdString();
    }
};

} // namespace

// Killed while the clip is written: no clip and no sums line for it, only the temporary file,
// which the next export to that name takes away (saying so) before it writes a clip that checks.
TEST(ExportFaults, KilledExportIsCleanedUpByTheNext)
{
    DriveCard card;
    const QString part = card.clip + QStringLiteral(".part");
    ASSERT_TRUE(testsupport::KillWhen(testsupport::CliPath(), card.ExportArgs(),
        [&](const QByteArray &) { return QFileInfo(part).size() > 0; }));
    EXPECT_EQ(card.OutFiles(), QStringList { "clip.mp4.part" });

    const auto run = RunCli(card.ExportArgs());
    ASSERT_TRUE(run.Ok()) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("cut off: clip.mp4.part")) << run.err.toStdString();
    EXPECT_EQ(card.OutFiles(), (QStringList { "SHA256SUMS", "clip.gpx", "clip.mp4", "clip.provenance.txt" }));
    EXPECT_EQ(card.SumsProblems(), "");
}

// Killed at any moment, again and again: whenever the clip stands under its name, its track,
// provenance and sums are there and check; whenever a companion stands without the clip, the
// clip's temporary file marks the export as cut off. A last export puts everything right.
TEST(ExportFaults, KilledAtAnyMomentNeverLeavesAClipWithoutItsSums)
{
    DriveCard card;
    const QStringList args = card.ExportArgs("2024-03-07 09:00:09") << "--copy"
                                                                    << "--with-sources"
                                                                    << "--force";
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(RunCli(args).Ok());
    const int fullMs = int(clock.elapsed());
    QDir(card.out).removeRecursively();
    QDir().mkpath(card.out);

    std::mt19937 random(7);
    int killed = 0;
    // Kills at random moments of a run; a run that ended before its kill shows the machine is
    // quicker now than for the first run, so the moments move earlier.
    int spanMs = fullMs;
    for (int round = 0; round < 48 && killed < 12; ++round) {
        const int delayMs
            = std::uniform_int_distribution<int>(spanMs / 4, std::max(spanMs / 4, spanMs))(random);
        clock.start();
        const bool hit = testsupport::KillWhen(
            testsupport::CliPath(), args, [&](const QByteArray &) { return clock.elapsed() >= delayMs; });
        killed += hit ? 1 : 0;
        if (!hit)
            spanMs = std::max(4, spanMs * 3 / 4);
        const QStringList files = card.OutFiles();
        if (files.contains("clip.mp4")) {
            EXPECT_TRUE(files.contains("clip.gpx") && files.contains("clip.provenance.txt")) << round;
            EXPECT_EQ(card.SumsProblems(), "") << round;
            const QString sums = QString::fromUtf8(testsupport::ReadFile(card.out + "/SHA256SUMS"));
            EXPECT_TRUE(sums.contains("  clip.mp4\n") && sums.contains("  clip.gpx\n")) << round;
        } else if (files.contains("clip.gpx") || files.contains("clip.provenance.txt")) {
            EXPECT_TRUE(files.contains("clip.mp4.part")) << round << qPrintable(files.join(' '));
        }
        // A copied recording under its own name is whole.
        for (const QString &file : files) {
            if (file.startsWith("sources/") && !file.endsWith(".part")) {
                EXPECT_EQ(QFileInfo(card.out + '/' + file).size(),
                    QFileInfo(card.root + "/NORMAL/" + QFileInfo(file).fileName()).size())
                    << round << qPrintable(file);
            }
        }
    }
    EXPECT_GE(killed, 12);

    ASSERT_TRUE(RunCli(args).Ok());
    for (const QString &file : card.OutFiles())
        EXPECT_FALSE(file.endsWith(".part")) << qPrintable(file);
    EXPECT_EQ(card.SumsProblems(), "");
}

// The card taken out after the clip's first recording: the export fails and says which recording
// is gone, and leaves nothing in the folder. Then a disk that fills up: the same, with the reason.
TEST(ExportFaults, CardTakenOutOrDiskFullLeavesNothing)
{
    DriveCard card;
    media::ClipExportOptions options;
    QString error;
    ASSERT_TRUE(media::TripSpan::PiecesIn(
        card.root, "2024-03-07 09:00:01", "2024-03-07 09:00:11", &options.pieces, &error));
    ASSERT_EQ(options.pieces.size(), 3u);
    options.outputPath = card.clip;
    const QString pulled = card.dir.filePath(QStringLiteral("card-elsewhere"));
    ClipExporter exporter;
    const auto outcome = exporter.Run(options, nullptr, [&](int64_t doneMs, int64_t) {
        if (doneMs > 1000 && QFileInfo::exists(card.root))
            QDir().rename(card.root, pulled);
    });
    EXPECT_EQ(outcome, ClipExporter::Outcome::Failed);
    EXPECT_TRUE(exporter.ErrorString().contains(QFileInfo(options.pieces[1].frontPath).fileName()))
        << exporter.ErrorString().toStdString();
    EXPECT_TRUE(exporter.ErrorString().contains("card taken out")) << exporter.ErrorString().toStdString();
    EXPECT_EQ(card.OutFiles(), QStringList());
    ASSERT_TRUE(QDir().rename(pulled, card.root));

    const auto full = testsupport::RunWithFileSizeLimit(testsupport::CliPath(), card.ExportArgs(), 40 << 10);
    EXPECT_EQ(full.exitCode, 1) << full.err.toStdString();
    EXPECT_TRUE(full.err.contains("File too large")) << full.err.toStdString();
    EXPECT_EQ(card.OutFiles(), QStringList());
}
