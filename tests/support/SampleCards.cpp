#include "support/SampleCards.h"

#include "media/recorder/SampleCardGenerator.h"
#include "media/recorder/SampleCardSetup.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

namespace testsupport {

namespace {

    constexpr uint64_t kCardSeed = 7;

    // CTest runs every test in a process of its own; the card is therefore kept in the build tree and
    // made again only when the sample recorder was built anew. Every suite sees the same stamp, so
    // suites that run side by side never write the card under each other.
    QString CardStamp()
    {
        const QFileInfo self(QStringLiteral(TAVIN_RECORDER_LIBRARY));
        return QStringLiteral("%1 %2 %3")
            .arg(self.lastModified().toMSecsSinceEpoch())
            .arg(self.size())
            .arg(kCardSeed);
    }

    SampleCard GenerateCard()
    {
        av_log_set_level(AV_LOG_ERROR); // the encoders' statistics are of no interest here
        SampleCard card;
        card.seed = kCardSeed;
        const QString base = QStringLiteral(TAVIN_BIN_DIR "/../tests/sample-card");
        card.root = base + QStringLiteral("/card");
        media::recorder::SampleCardOptions options;
        options.directory = card.root;
        options.seed = card.seed;
        options.writeSetup
            = [](const QString &path, QString *error) { return WriteSampleSetupXml(path, kCardSeed, error); };
        media::recorder::SampleCardGenerator generator(options);
        card.plans = generator.Plan();

        QDir().mkpath(base);
        QLockFile lock(base + QStringLiteral("/lock"));
        lock.setStaleLockTime(0);
        if (!lock.lock()) {
            ADD_FAILURE() << "cannot lock " << base.toStdString();
            return card;
        }
        QFile stampFile(base + QStringLiteral("/complete"));
        if (stampFile.open(QIODevice::ReadOnly) && QString::fromUtf8(stampFile.readAll()) == CardStamp()) {
            QFile list(base + QStringLiteral("/files"));
            if (list.open(QIODevice::ReadOnly)) {
                card.written = QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
                return card;
            }
        }
        stampFile.close();
        QFile::remove(stampFile.fileName());
        QDir(card.root).removeRecursively();

        QElapsedTimer timer;
        timer.start();
        const bool ok = generator.Generate();
        card.secondsTaken = timer.elapsed() / 1000.0;
        card.written = generator.WrittenFiles();
        if (!ok) {
            ADD_FAILURE() << "sample card: " << generator.ErrorString().toStdString();
            return card;
        }
        QFile list(base + QStringLiteral("/files"));
        if (list.open(QIODevice::WriteOnly | QIODevice::Truncate))
            list.write(card.written.join(QLatin1Char('\n')).toUtf8());
        list.close();
        if (stampFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            stampFile.write(CardStamp().toUtf8());
        return card;
    }

} // namespace

const SampleCard &SharedSampleCard()
{
    static const SampleCard card = GenerateCard();
    return card;
}

QString CardFile(const media::recorder::SampleRecordingPlan &plan, char channel)
{
    return QDir(SharedSampleCard().root).filePath(plan.RelativePath(channel));
}

bool CopySampleCard(const SampleCard &card, const QString &root)
{
    bool copied = true;
    for (const QString &file : card.written) {
        const QString to = QDir(root).filePath(file);
        if (!QDir().mkpath(QFileInfo(to).path()) || !QFile::copy(QDir(card.root).filePath(file), to)) {
            ADD_FAILURE() << "cannot copy " << file.toStdString() << " of the sample card to "
                          << root.toStdString();
            copied = false;
        }
    }
    return copied;
}

} // namespace testsupport
