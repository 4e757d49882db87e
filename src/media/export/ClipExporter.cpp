#include "media/export/ClipExporter.h"

#include "device/CardBackup.h"
#include "media/RecorderClock.h"
#include "media/export/EvidenceFiles.h"
#include "media/export/ExportLog.h"
#include "media/export/InputRecording.h"
#include "media/export/Mp4Writer.h"
#include "media/export/PictureCompositor.h"
#include "media/export/SoundTrack.h"
#include "media/export/StreamCopyWriter.h"
#include "media/telemetry/TelemetryExport.h"
#include "media/telemetry/TelemetryReader.h"
#include "platform/file_identity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace media {

namespace {

    QString SourceCopyPath(const QString &clipPath, const QString &source)
    {
        return QFileInfo(clipPath).dir().filePath(QStringLiteral("sources/") + QFileInfo(source).fileName());
    }

} // namespace

std::vector<CGps> ClipExporter::ReadFixes(const QString &path)
{
    std::vector<CGps> fixes;
    TelemetryReader reader;
    if (reader.Open(path)) {
        for (const TelemetryExportEntry &e : TelemetryExport::Collect(reader)) {
            if (e.kind == telemetry::RecordKind::Gps)
                fixes.push_back(e.fix);
        }
    }
    return fixes;
}

QStringList ClipExporter::SourcesOf(const ClipExportOptions &options)
{
    QStringList sources;
    for (const ClipPiece &piece : options.Pieces()) {
        if (!sources.contains(piece.frontPath))
            sources << piece.frontPath;
        if (!piece.rearPath.isEmpty() && QFileInfo::exists(piece.rearPath)
            && !sources.contains(piece.rearPath))
            sources << piece.rearPath;
    }
    return sources;
}

QStringList ClipExporter::OutputFiles(const ClipExportOptions &options)
{
    QStringList files { options.outputPath, EvidenceFiles::GpxPathFor(options.outputPath),
        EvidenceFiles::ProvenancePathFor(options.outputPath) };
    if (options.withSources) {
        for (const QString &source : SourcesOf(options))
            files << SourceCopyPath(options.outputPath, source);
    }
    return files;
}

QString ClipExporter::ProtectedFolderFor(const QString &recordingPath)
{
    // The recorder keeps its settings file at the card's root, a folder or two above the
    // recordings.
    QDir folder = QFileInfo(recordingPath).absoluteDir();
    const QString own = folder.absolutePath();
    for (int level = 0; level < 3; ++level) {
        if (QFileInfo::exists(folder.filePath(QStringLiteral("setup.xml"))))
            return folder.absolutePath();
        if (!folder.cdUp())
            break;
    }
    return own;
}

bool ClipExporter::CheckOutputs(const ClipExportOptions &options, QString *error)
{
    for (const ClipPiece &piece : options.Pieces()) {
        if (!QFileInfo(piece.frontPath).isFile()) {
            *error = QStringLiteral("no recording at %1; nothing was written")
                         .arg(QDir::toNativeSeparators(piece.frontPath));
            return false;
        }
    }
    const QStringList sources = SourcesOf(options);
    QStringList outputs = OutputFiles(options);
    outputs << options.outputPath + QStringLiteral(".part") << EvidenceFiles::SumsPathFor(options.outputPath);
    for (const QString &output : outputs) {
        for (const QString &source : sources) {
            if (platform::SameFile(output, source)) {
                *error = QStringLiteral("%1 is the recording %2 itself; nothing was written")
                             .arg(QDir::toNativeSeparators(output), QDir::toNativeSeparators(source));
                return false;
            }
        }
    }
    for (const QString &source : sources) {
        const QString folder = ProtectedFolderFor(source);
        if (platform::LiesWithin(QFileInfo(options.outputPath).absolutePath(), folder)) {
            *error = QStringLiteral("%1 lies in the card's folder %2; choose a folder outside the card")
                         .arg(QDir::toNativeSeparators(options.outputPath), QDir::toNativeSeparators(folder));
            return false;
        }
    }
    if (QFileInfo(options.outputPath).fileName().isEmpty()) {
        *error = QStringLiteral("no file name for the clip");
        return false;
    }
    return true;
}

ClipExporter::Outcome ClipExporter::Run(
    const ClipExportOptions &options, const std::atomic_bool *cancel, const Progress &progress)
{
    m_error.clear();
    m_frames = 0;
    m_writtenMs = 0;
    m_gpxPath.clear();
    m_sumsPath.clear();
    m_provenancePath.clear();
    m_notes.clear();
    m_trackPoints = 0;
    m_written.clear();
    m_copiedTracks.clear();
    m_widened.clear();
    if (!CheckOutputs(options, &m_error)) {
        qCWarning(lcExport) << "export of" << SourcesOf(options).value(0) << "refused:" << m_error;
        return Outcome::Failed;
    }
    if (!RemoveLeftovers(options))
        return Outcome::Failed;
    Outcome outcome
        = options.streamCopy ? CopyClip(options, cancel, progress) : WriteClip(options, cancel, progress);
    // The clip stays under its temporary name until the files that tie it to the card are there.
    if (outcome == Outcome::Done)
        outcome = WriteCompanionFiles(options, cancel);
    if (outcome != Outcome::Done)
        QFile::remove(options.outputPath + QStringLiteral(".part"));
    if (outcome == Outcome::Failed) {
        // A card taken out mid-way fails the export on whatever it read next; say what happened.
        for (const ClipPiece &piece : options.Pieces()) {
            if (!QFileInfo::exists(piece.frontPath)) {
                m_error += QStringLiteral(" (%1 is not there any more: was the card taken out?)")
                               .arg(QDir::toNativeSeparators(piece.frontPath));
                break;
            }
        }
    }
    if (outcome == Outcome::Failed)
        qCWarning(lcExport) << "export of" << SourcesOf(options).value(0) << "failed:" << m_error;
    return outcome;
}

ClipExporter::Outcome ClipExporter::WriteClip(
    const ClipExportOptions &options, const std::atomic_bool *cancel, const Progress &progress)
{
    using Kind = InputRecording::Kind;
    const std::vector<ClipPiece> pieces = options.Pieces();
    const bool several = pieces.size() > 1;
    const QString tempPath = options.outputPath + QStringLiteral(".part");
    Mp4Writer writer;
    // The clip is written under a temporary name, which a clip not done takes away.
    const auto end = [&](Outcome outcome, const QString &error = {}) {
        if (!error.isEmpty())
            m_error = error;
        writer.Close();
        if (outcome != Outcome::Done)
            QFile::remove(tempPath);
        return outcome;
    };
    const auto fail = [&](const QString &error) {
        m_error = error;
        return false;
    };
    const auto cancelled = [cancel] { return cancel && cancel->load(); };

    // The whole span for the progress; a piece to the end of its recording counts by its length.
    int64_t totalUs = 0;
    for (const ClipPiece &piece : pieces) {
        int64_t toUs = piece.toMs * 1000;
        if (piece.toMs < 0) {
            InputRecording probe;
            QString ignored;
            toUs = probe.Open(piece.frontPath, false, &ignored) ? probe.LengthUs() : 0;
        }
        totalUs += std::max<int64_t>(0, toUs - std::max<int64_t>(0, piece.fromMs) * 1000);
    }

    // Made with the first piece's pictures: its size, rate and sound set the clip's.
    AVRational frameRate { 30, 1 };
    int64_t framePeriodUs = 0;
    int frontWidth = 0;
    int frontHeight = 0;
    std::optional<PictureCompositor> compositor;
    std::optional<SoundTrack> sound;
    std::optional<ClipCaption> caption;

    int64_t lastPts = -1;
    int frames = 0;
    int64_t doneUs = 0; // the pieces before the current one, on the clip
    ffmpeg::FramePtr finished = ffmpeg::MakeFrame();
    const auto writePictures = [&] {
        int taken = 0;
        while ((taken = compositor->Take(finished.get())) > 0) {
            const bool ok = writer.WritePicture(finished.get());
            av_frame_unref(finished.get());
            if (!ok)
                return fail(writer.ErrorString());
            ++frames;
        }
        return taken == 0 || fail(compositor->ErrorString());
    };
    const auto writeSound = [&](bool draining) {
        ffmpeg::FramePtr frame;
        while (true) {
            if (!sound->Take(&frame, draining))
                return fail(sound->ErrorString());
            if (!frame)
                return true;
            if (!writer.WriteSound(frame.get()))
                return fail(writer.ErrorString());
        }
    };

    m_written.clear();
    for (size_t index = 0; index < pieces.size(); ++index) {
        const ClipPiece &piece = pieces[index];
        const QString name = QFileInfo(piece.frontPath).fileName();
        if (cancelled())
            return end(Outcome::Cancelled);
        InputRecording front;
        if (!front.Open(piece.frontPath, options.audio, &m_error))
            return end(Outcome::Failed);
        std::optional<InputRecording> rear;
        if (!piece.rearPath.isEmpty()) {
            rear.emplace();
            QString rearError;
            if (!rear->Open(piece.rearPath, false, &rearError)) {
                qCWarning(lcExport) << "exporting without the rear channel:" << rearError;
                rear.reset();
            }
        }
        const int64_t lengthUs = front.LengthUs();
        const int64_t fromUs = std::max<int64_t>(0, piece.fromMs) * 1000;
        int64_t toUs = piece.toMs < 0 ? lengthUs : piece.toMs * 1000;
        if (lengthUs > 0)
            toUs = std::min(toUs, lengthUs);
        if (toUs <= fromUs) {
            const QString span = QStringLiteral("the span from %1 s to %2 s")
                                     .arg(fromUs / 1e6)
                                     .arg(piece.toMs < 0 ? lengthUs / 1e6 : piece.toMs / 1e3);
            if (!several)
                return end(Outcome::Failed, span + QStringLiteral(" is empty"));
            // A recording shorter than its listing told leaves nothing for its part.
            m_notes << QStringLiteral("%1 holds nothing of %2 of it").arg(name, span);
            continue;
        }
        front.Seek(fromUs);
        if (rear)
            rear->Seek(fromUs);
        const AVCodecParameters *frontSize = front.PictureStream()->codecpar;

        if (options.caption) {
            caption.emplace(piece.frontPath, ReadFixes(piece.frontPath), options.speedUnit);
            if (compositor)
                compositor->SetCaption(&*caption);
        }
        if (!compositor) {
            frameRate = front.FrameRate();
            framePeriodUs = av_rescale_q(1, av_inv_q(frameRate), InputRecording::kTimeBase);
            frontWidth = frontSize->width;
            frontHeight = frontSize->height;
            const AVCodecParameters *rearSize = rear ? rear->PictureStream()->codecpar : nullptr;
            compositor.emplace(frontWidth, frontHeight, rearSize ? rearSize->width : 0,
                rearSize ? rearSize->height : 0, options.layout, caption ? &*caption : nullptr,
                av_inv_q(frameRate));
            if (!writer.Open(
                    tempPath, compositor->Width(), compositor->Height(), frameRate, front.SoundDecoder()))
                return end(Outcome::Failed, writer.ErrorString());
            if (several && options.audio && !front.SoundDecoder())
                m_notes << QStringLiteral("%1, the clip's first recording, has no sound: the clip is silent")
                               .arg(name);
            if (writer.SoundEncoder()) {
                sound.emplace();
                if (!sound->Open(front.SoundDecoder(), writer.SoundEncoder(), fromUs, toUs))
                    return end(Outcome::Failed, sound->ErrorString());
            }
        } else {
            if (frontSize->width != frontWidth || frontSize->height != frontHeight)
                return end(Outcome::Failed,
                    QStringLiteral("%1 has pictures of %2x%3, the clip's first recording of %4x%5; "
                                   "export the two apart")
                        .arg(name)
                        .arg(frontSize->width)
                        .arg(frontSize->height)
                        .arg(frontWidth)
                        .arg(frontHeight));
            if (sound && !sound->Continue(front.SoundDecoder(), doneUs, fromUs, toUs))
                return end(Outcome::Failed, sound->ErrorString());
        }

        const int64_t basePts = lastPts + 1;
        int64_t anchorUs = index == 0 ? fromUs : -1; // the piece's time at basePts
        bool pictureDone = false;
        bool rearShown = false;
        const auto addPicture = [&](AVFrame *frame) {
            const int64_t timeUs = front.FrameTimeUs(frame, Kind::Picture);
            // A frame counts for the span when its moment lies in it, give or take a quarter frame
            // of rounding in the container's time stamps.
            const int64_t slack = framePeriodUs / 4;
            if (timeUs < 0 || timeUs < fromUs - slack)
                return true;
            if (timeUs >= toUs - slack) {
                pictureDone = true;
                return true;
            }
            // A later piece starts at its first picture, right after the last one of the piece
            // before: no frame repeated, none left out.
            if (anchorUs < 0)
                anchorUs = timeUs;
            int64_t pts = basePts
                + av_rescale_q(timeUs - anchorUs, InputRecording::kTimeBase, writer.PictureTimeBase());
            pts = std::max(pts, lastPts + 1);
            lastPts = pts;
            // The rear picture shown is the last one not later than the front's.
            const AVFrame *rearPicture = rear ? rear->PictureAt(timeUs + slack) : nullptr;
            if (rear && !rearPicture) {
                qCWarning(lcExport) << "the rear recording gave no picture; exporting the front alone";
                rear.reset();
            }
            rearShown
                = rearShown || (rearPicture && compositor->HasRear() && compositor->TakesRear(rearPicture));
            if (!compositor->Add(frame, rearPicture, pts, timeUs / 1000))
                return fail(compositor->ErrorString());
            if (progress)
                progress((doneUs + timeUs - fromUs) / 1000, totalUs / 1000);
            return writePictures();
        };
        const auto addSound = [&](const AVFrame *frame) {
            if (sound->IsComplete())
                return true;
            if (!sound->Add(frame, front.FrameTimeUs(frame, Kind::Sound)))
                return fail(sound->ErrorString());
            return writeSound(false);
        };
        const InputRecording::FrameSink take = [&](AVFrame *frame, Kind kind) {
            return kind == Kind::Picture ? addPicture(frame) : addSound(frame);
        };

        bool atEnd = false;
        while (!(pictureDone && (!sound || sound->IsComplete())) && !atEnd) {
            if (cancelled())
                return end(Outcome::Cancelled);
            if (!front.DecodeNext(take, &atEnd))
                return end(Outcome::Failed);
        }
        if (!compositor->IsBuilt())
            return end(Outcome::Failed, QStringLiteral("the span holds no picture"));
        const int64_t pieceMs = av_rescale_q(lastPts + 1 - basePts, writer.PictureTimeBase(), { 1, 1000 });
        if (several && lastPts + 1 == basePts)
            m_notes << QStringLiteral("%1 gave no picture for its part").arg(name);
        else if (several && !rearShown && compositor->HasRear())
            m_notes << QStringLiteral("no rear picture goes with %1: its part of the clip shows a dark one")
                           .arg(name);
        else if (several && !piece.rearPath.isEmpty() && !compositor->HasRear())
            m_notes << QStringLiteral("the clip's first recording has no rear picture: the rear camera of %1 "
                                      "is left out")
                           .arg(name);
        ClipPiece written = piece;
        written.fromMs = fromUs / 1000;
        written.toMs = written.fromMs + pieceMs;
        if (!rearShown)
            written.rearPath.clear();
        m_written.push_back(written);
        doneUs = av_rescale_q(lastPts + 1, writer.PictureTimeBase(), InputRecording::kTimeBase);
    }
    if (!compositor || !compositor->IsBuilt())
        return end(Outcome::Failed, QStringLiteral("the span holds no picture"));
    compositor->Close(lastPts + 1);
    if (!writePictures())
        return end(Outcome::Failed);
    if (!writer.EndPictures())
        return end(Outcome::Failed, writer.ErrorString());
    if (sound && !writeSound(true))
        return end(Outcome::Failed);
    if (!writer.EndSound())
        return end(Outcome::Failed, writer.ErrorString());
    if (cancelled())
        return end(Outcome::Cancelled);
    if (!writer.Finish())
        return end(Outcome::Failed, writer.ErrorString());
    m_frames = frames;
    m_writtenMs = av_rescale_q(lastPts + 1, writer.PictureTimeBase(), { 1, 1000 });
    return end(Outcome::Done);
}

ClipExporter::Outcome ClipExporter::CopyClip(
    const ClipExportOptions &options, const std::atomic_bool *cancel, const Progress &progress)
{
    const QString tempPath = options.outputPath + QStringLiteral(".part");
    StreamCopyWriter writer;
    const Outcome outcome = writer.Write(options, tempPath, cancel, progress);
    m_error = writer.ErrorString();
    m_notes << writer.Notes();
    m_written = writer.WrittenPieces();
    m_frames = writer.Frames();
    m_writtenMs = writer.WrittenMs();
    m_copiedTracks = writer.TracksText();
    m_widened = writer.Widened();
    // The writer closes the file before it goes.
    writer = StreamCopyWriter();
    if (outcome != Outcome::Done)
        QFile::remove(tempPath);
    return outcome;
}

QStringList ClipExporter::Leftovers(const ClipExportOptions &options)
{
    QStringList found;
    for (const QString &file : OutputFiles(options)) {
        if (QFileInfo::exists(file + QStringLiteral(".part")))
            found << file + QStringLiteral(".part");
    }
    // A clip's temporary file without the clip: the export was cut off before the clip took its
    // name, so the track and provenance beside it belong to no clip. Copied sources are complete,
    // verified copies that other clips of the folder may list; they stay.
    if (!QFileInfo::exists(options.outputPath)
        && QFileInfo::exists(options.outputPath + QStringLiteral(".part"))) {
        for (const QString &file : { EvidenceFiles::GpxPathFor(options.outputPath),
                 EvidenceFiles::ProvenancePathFor(options.outputPath) }) {
            if (QFileInfo::exists(file))
                found << file;
        }
    }
    return found;
}

bool ClipExporter::RemoveLeftovers(const ClipExportOptions &options)
{
    const QStringList leftovers = Leftovers(options);
    if (leftovers.isEmpty())
        return true;
    QStringList names;
    for (const QString &file : leftovers) {
        if (!QFile::remove(file)) {
            m_error = QStringLiteral("cannot remove %1, left by an export that was cut off")
                          .arg(QDir::toNativeSeparators(file));
            return false;
        }
        names << QFileInfo(file).fileName();
    }
    // Its sums may already name the clip that never took its name.
    if (!QFileInfo::exists(options.outputPath)
        && !EvidenceFiles::DropSums(EvidenceFiles::SumsPathFor(options.outputPath),
            { options.outputPath, EvidenceFiles::GpxPathFor(options.outputPath),
                EvidenceFiles::ProvenancePathFor(options.outputPath) },
            &m_error))
        return false;
    qCInfo(lcExport) << "removed the files of an export that was cut off:" << leftovers;
    m_notes << QStringLiteral("removed what an earlier export to this name left when it was cut off: %1")
                   .arg(names.join(QStringLiteral(", ")));
    return true;
}

ClipExporter::Outcome ClipExporter::WriteCompanionFiles(
    const ClipExportOptions &options, const std::atomic_bool *cancel)
{
    // Every file is made under a temporary name first and put in place at the end, the clip
    // last: whenever the program stops, a clip under its own name has its track, provenance and
    // sums beside it. Whatever cannot be made takes the clip away again.
    const QString clipPart = options.outputPath + QStringLiteral(".part");
    std::vector<std::pair<QString, QString>> pending; // temporary name, final name
    QStringList placed;
    bool madeSourcesFolder = false;
    const auto undo = [&](Outcome result) {
        for (const auto &[part, final] : pending)
            QFile::remove(part);
        for (const QString &path : placed)
            QFile::remove(path);
        if (madeSourcesFolder)
            QDir(QFileInfo(options.outputPath).dir()).rmdir(QStringLiteral("sources"));
        return result;
    };

    const QString gpx = EvidenceFiles::GpxPathFor(options.outputPath);
    int points = 0;
    pending.emplace_back(gpx + QStringLiteral(".part"), gpx);
    if (!EvidenceFiles::WriteGpx(m_written, pending.back().first, &m_error, &points))
        return undo(Outcome::Failed);
    m_trackPoints = points;
    if (points == 0) {
        QStringList names;
        for (const ClipPiece &piece : m_written)
            names << QFileInfo(piece.frontPath).fileName();
        m_notes << QStringLiteral("%1 %2 no GPS track for this span: the GPX file holds no points")
                       .arg(names.join(QStringLiteral(", ")), names.size() == 1 ? "carries" : "carry");
    }

    QList<EvidenceFiles::Source> sources;
    QStringList sums { options.outputPath, gpx };
    for (const QString &path : SourcesOf(options)) {
        EvidenceFiles::Source source { path, QFileInfo(path).size(), {} };
        if (options.withSources) {
            const QString copy = SourceCopyPath(options.outputPath, path);
            if (!QFileInfo(copy).dir().exists()) {
                if (!QFileInfo(options.outputPath).dir().mkdir(QStringLiteral("sources"))) {
                    m_error = QStringLiteral("cannot create %1").arg(QFileInfo(copy).path());
                    return undo(Outcome::Failed);
                }
                madeSourcesFolder = true;
            }
            // Copied under a temporary name: a copy cut short never passes for the recording, and
            // an earlier copy the user agreed to replace stays until the new one is verified.
            const QString part = copy + QStringLiteral(".part");
            QFile::remove(part);
            QString reason;
            source.sha256 = device::CopyFileVerified(path, part, cancel, &reason);
            if (cancel && cancel->load())
                return undo(Outcome::Cancelled);
            if (source.sha256.isEmpty()) {
                m_error = QStringLiteral("cannot copy %1: %2").arg(QDir::toNativeSeparators(path), reason);
                return undo(Outcome::Failed);
            }
            pending.emplace_back(part, copy);
            sums << copy;
        } else {
            source.sha256 = EvidenceFiles::Sha256(path);
            if (source.sha256.isEmpty()) {
                m_error = QStringLiteral("cannot read %1").arg(QDir::toNativeSeparators(path));
                return undo(Outcome::Failed);
            }
        }
        sources << source;
    }

    // Each piece's times by its own recording's clock, as its caption shows them.
    EvidenceFiles::Provenance provenance;
    QStringList rules;
    std::vector<QStringList> ruleNames;
    std::optional<RecorderClock> previous;
    int64_t previousEndMs = 0;
    bool withRear = false;
    for (const ClipPiece &piece : m_written) {
        std::vector<CGps> fixes = ReadFixes(piece.frontPath);
        std::erase_if(fixes, [](const CGps &fix) { return !fix.IsValid(); });
        RecorderClock clock(piece.frontPath, fixes);
        EvidenceFiles::Part part { piece.frontPath, piece.fromMs, piece.toMs, {} };
        if (piece.gapBeforeMs > 0 && previous) {
            part.gapBefore = QStringLiteral("%1 s, %2 to %3")
                                 .arg(piece.gapBeforeMs / 1000.0, 0, 'f', 1)
                                 .arg(previous->TextAt(previousEndMs), clock.TextAt(piece.fromMs));
        }
        if (provenance.parts.isEmpty())
            provenance.startText = clock.TextAt(piece.fromMs);
        provenance.endText = clock.TextAt(piece.toMs);
        // Recordings whose rule reads the same share one line.
        const QString rule = clock.RuleText();
        if (!rules.contains(rule)) {
            rules << rule;
            ruleNames.emplace_back();
        }
        ruleNames[size_t(rules.indexOf(rule))] << QFileInfo(piece.frontPath).fileName();
        withRear = withRear || !piece.rearPath.isEmpty();
        provenance.parts << part;
        previous.emplace(std::move(clock));
        previousEndMs = piece.toMs;
    }
    provenance.clipPath = options.outputPath;
    provenance.folder = ProtectedFolderFor(m_written.front().frontPath);
    provenance.sources = sources;
    if (rules.size() > 1) {
        for (qsizetype i = 0; i < rules.size(); ++i)
            rules[i] = ruleNames[size_t(i)].join(QStringLiteral(", ")) + QStringLiteral(": ") + rules[i];
    }
    provenance.timeRule = rules.join(QStringLiteral("; "));
    if (options.streamCopy) {
        provenance.settings
            = QStringLiteral("stream copy: pictures and sound as recorded, not re-encoded (%1); each "
                             "camera a video track of its own; caption %2, speed in %3, sources copied %4")
                  .arg(m_copiedTracks, options.caption ? "as a timed text track, a cue per second" : "no",
                      options.speedUnit == ExportSpeedUnit::Mph ? "mph" : "km/h",
                      options.withSources ? "yes" : "no");
        provenance.widened = m_widened;
    } else {
        provenance.settings
            = QStringLiteral("layout %1, rear camera %2, caption %3, sound %4, speed in %5, "
                             "sources copied %6; H.264 (x264 veryfast, CRF 23), AAC 64 kb/s "
                             "per channel")
                  .arg(options.layout == ClipLayout::Stacked ? "stacked" : "picture in picture",
                      withRear ? "yes" : "no", options.caption ? "yes" : "no", options.audio ? "yes" : "no",
                      options.speedUnit == ExportSpeedUnit::Mph ? "mph" : "km/h",
                      options.withSources ? "yes" : "no");
    }
    const QString provenancePath = EvidenceFiles::ProvenancePathFor(options.outputPath);
    pending.emplace_back(provenancePath + QStringLiteral(".part"), provenancePath);
    if (!EvidenceFiles::WriteProvenance(pending.back().first, provenance, &m_error))
        return undo(Outcome::Failed);
    sums << provenancePath;
    if (cancel && cancel->load())
        return undo(Outcome::Cancelled);

    // The old clip the user agreed to replace goes first, so that it never stands beside the new
    // clip's sums; then the companions, the sums (the clip's read from its temporary file) and
    // last the clip.
    QFile::remove(options.outputPath);
    while (!pending.empty()) {
        const auto [part, final] = pending.front();
        QFile::remove(final);
        if (!QFile::rename(part, final)) {
            m_error = QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(final));
            return undo(Outcome::Failed);
        }
        pending.erase(pending.begin());
        placed << final;
    }
    const QString sumsPath = EvidenceFiles::SumsPathFor(options.outputPath);
    if (!EvidenceFiles::WriteSums(sumsPath, sums, &m_error, { { options.outputPath, clipPart } }))
        return undo(Outcome::Failed);
    if (!QFile::rename(clipPart, options.outputPath)) {
        m_error = QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(options.outputPath));
        QString ignored;
        EvidenceFiles::DropSums(sumsPath, sums, &ignored);
        return undo(Outcome::Failed);
    }
    m_gpxPath = gpx;
    m_sumsPath = sumsPath;
    m_provenancePath = provenancePath;
    return Outcome::Done;
}

QString ClipExporter::RearFileFor(const QString &frontPath)
{
    const QFileInfo info(frontPath);
    QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 2 || name[dot - 2].toUpper() != QLatin1Char('F'))
        return {};
    name[dot - 2] = name[dot - 2] == QLatin1Char('f') ? QLatin1Char('r') : QLatin1Char('R');
    const QString rear = info.dir().filePath(name);
    return QFileInfo::exists(rear) ? rear : QString();
}

int64_t ClipExporter::DurationMs(const QString &path)
{
    InputRecording input;
    QString error;
    if (!input.Open(path, false, &error))
        return -1;
    const AVStream *video = input.PictureStream();
    if (video->duration > 0)
        return av_rescale_q(video->duration, video->time_base, { 1, 1000 });
    return input.Format()->duration > 0 ? input.Format()->duration / 1000 : -1;
}

} // namespace media
