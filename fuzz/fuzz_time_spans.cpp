// The times and spans the command line takes: the first two lines are a span's start and end as
// a user types them (export --start/--end, find --from/--to, device time), the rest a listing as
// `tavin-cli list` prints it. The span is cut from a folder of those files as `tavin-cli export
// --start --end` does, and from each trip of the listing (TripSpan).

#include "FuzzFile.h"
#include "FuzzTrips.h"
#include "device/TimeFile.h"
#include "media/export/TripSpan.h"

namespace {

// The export's span of a folder (export --start/--end): the listing's names as files of a folder,
// each the head of a one-minute recording when TAVIN_FUZZ_RECORDING names one, else empty.
void SpanOfFolder(const QList<QByteArray> &lines, const QString &start, const QString &end)
{
    static const QByteArray head = [] {
        QFile file(qEnvironmentVariable("TAVIN_FUZZ_RECORDING"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    static const QString folder = fuzz::ScratchFolder() + QStringLiteral("/span");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    int files = 0;
    for (qsizetype i = 2; i < lines.size() && files < 12; ++i) {
        const qsizetype tab = lines[i].indexOf('\t');
        const QString name = library::FileNameOf(QString::fromUtf8(tab < 0 ? lines[i] : lines[i].left(tab)));
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.size() > 120
            || name.contains(QChar(0)))
            continue;
        QFile file(folder + QLatin1Char('/') + name);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(head);
            ++files;
        }
    }
    std::vector<media::ClipPiece> pieces;
    QString error;
    if (!media::TripSpan::PiecesIn(folder, start, end, &pieces, &error))
        fuzz::Require(!error.isEmpty() && pieces.empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> lines = bytes.split('\n');
    while (lines.size() < 2)
        lines.append(QByteArray());
    QDateTime span[2];
    for (int i = 0; i < 2; ++i) {
        const QString text = QString::fromUtf8(lines[i]);
        span[i] = media::TripSpan::ParseTime(text);
        // What reads as a time writes back as the same text and reads as the same time.
        if (span[i].isValid())
            fuzz::Require(media::TripSpan::ParseTime(library::Trip::TimeText(span[i])) == span[i]);
        const QDateTime typed = library::Trip::ParseTimeText(text);
        if (typed.isValid())
            fuzz::Require(library::Trip::ParseTimeText(library::Trip::TimeText(typed)) == typed);
        if (span[i].isValid())
            fuzz::Require(typed == span[i]);
        if (const std::optional<QDateTime> set = device::ParseTimeFileText(text))
            fuzz::Require(device::TimeFileText(*set).has_value());
    }

    SpanOfFolder(lines, QString::fromUtf8(lines[0]), QString::fromUtf8(lines[1]));

    library::TripModel model;
    model.Build(fuzz::ReadListing(lines.mid(2).join('\n')));
    std::vector<media::ClipPiece> pieces;
    QString error;
    for (const library::Trip &trip : model.Trips()) {
        const int64_t origin = trip.start.toMSecsSinceEpoch();
        int64_t from = span[0].isValid() ? span[0].toMSecsSinceEpoch() - origin : 0;
        int64_t to = span[1].isValid() ? span[1].toMSecsSinceEpoch() - origin : trip.DurationMs();
        for (int round = 0; round < 2; ++round, std::swap(from, to)) {
            error.clear();
            if (!media::TripSpan::PiecesOf(trip, from, to, &pieces, &error)) {
                fuzz::Require(!error.isEmpty() && pieces.empty());
                continue;
            }
            // The pieces play the span, each part once, in order; gaps only between them.
            fuzz::Require(!pieces.empty() && pieces.front().gapBeforeMs == 0);
            int64_t played = 0;
            for (const media::ClipPiece &piece : pieces) {
                fuzz::Require(piece.fromMs >= 0 && piece.toMs > piece.fromMs && piece.gapBeforeMs >= 0);
                played += piece.toMs - piece.fromMs + piece.gapBeforeMs;
            }
            fuzz::Require(played <= to - from);
        }
    }
    return 0;
}
