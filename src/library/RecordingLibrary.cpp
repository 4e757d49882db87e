#include "library/RecordingLibrary.h"

#include "library/LibraryLog.h"
#include "library/ListingLength.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <deque>

namespace library {

namespace {

    // The recorder's folder of protected recordings.
    const QString kArchiveFolder = QStringLiteral("SAVE");
    // A rear file starts at most this many seconds before its front file.
    constexpr std::int64_t kRearStartWindowSeconds = 49;

    QString PortablePath(const QString &path)
    {
        return QDir::cleanPath(QDir::fromNativeSeparators(path));
    }

    QString JoinPath(const QString &folder, const QString &name)
    {
        return folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator())
            ? folder + name
            : folder + QLatin1Char('/') + name;
    }

    Recording MakeRecording(const QString &path, bool archive)
    {
        const RecordingName name = ParseRecordingName(path);
        Recording recording;
        recording.path = path;
        recording.archive = archive;
        recording.normal = name.IsNormal();
        recording.event = name.IsEvent();
        recording.manual = name.IsManual();
        recording.lengthSeconds = ReadListingLength(path);
        return recording;
    }

    std::optional<std::int64_t> CreationSeconds(const QString &path, const platform::FileTimes &times)
    {
        const std::optional<platform::FileTimeStamps> stamps = times.Read(path);
        if (!stamps)
            return std::nullopt;
        return stamps->birthSeconds ? *stamps->birthSeconds : stamps->modifiedSeconds;
    }

} // namespace

bool InCategory(const Recording &recording, int category)
{
    switch (category) {
    case kCategoryNormal:
        return recording.normal;
    case kCategoryEvent:
        return recording.event;
    case kCategoryManual:
        return recording.manual;
    case kCategoryArchive:
        return recording.archive;
    default:
        return true;
    }
}

QStringList ListRow::Texts() const
{
    return { QString(), number, fileName, kindText, lengthText };
}

bool IsInArchive(const QString &path, const QString &location)
{
    const QString file = PortablePath(path).toUpper();
    const QString root = location.isEmpty() ? QString() : PortablePath(location).toUpper();
    const QString rootPrefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    qsizetype tailStart;
    if (!root.isEmpty() && file.startsWith(rootPrefix)) {
        // From the location's own name, so that a chosen SAVE folder counts too.
        tailStart = root.endsWith(QLatin1Char('/')) ? root.size() : root.lastIndexOf(QLatin1Char('/')) + 1;
    } else {
        // Reached without a location (the command line): the file's own folder decides.
        const qsizetype nameStart = file.lastIndexOf(QLatin1Char('/'));
        tailStart = nameStart <= 0 ? 0 : file.lastIndexOf(QLatin1Char('/'), nameStart - 1) + 1;
    }
    QStringList folders = file.mid(tailStart).split(QLatin1Char('/'));
    folders.removeLast();
    return folders.contains(kArchiveFolder);
}

QStringList SplitCommandLine(const QString &commandLine)
{
    const qsizetype firstQuote = commandLine.indexOf(QLatin1Char('"'));
    if (firstQuote < 0)
        return { commandLine };
    QStringList paths;
    qsizetype start = firstQuote + 1;
    while (start <= commandLine.size()) {
        const qsizetype close = commandLine.indexOf(QLatin1Char('"'), start);
        if (close < 0)
            break;
        paths.append(commandLine.mid(start, close - start));
        start = close + 3;
    }
    return paths;
}

std::vector<Recording> ListRecordings(
    const QString &location, const VideoExtensions &extensions, const std::atomic_bool *cancel)
{
    std::vector<Recording> recordings;
    std::deque<QString> folders { location };
    while (!folders.empty()) {
        const QString folder = folders.front();
        folders.pop_front();
        const QDir dir(folder);
        if (!dir.exists()) {
            qCWarning(lcLibrary) << "cannot list" << folder << ": no such folder";
            continue;
        }
        const QFileInfoList entries = dir.entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo &entry : entries) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return recordings;
            const QString path = JoinPath(folder, entry.fileName());
            if (entry.isDir()) {
                if (!entry.isSymLink())
                    folders.push_back(path);
            } else if (extensions.Matches(entry.fileName())) {
                recordings.push_back(MakeRecording(path, IsInArchive(path, location)));
            }
        }
    }
    return recordings;
}

void RecordingLibrary::SetListing(const QString &location, bool isCard, std::vector<Recording> recordings)
{
    m_location = location;
    m_isCard = isCard;
    m_recordings = std::move(recordings);
    m_ready = true;
    FillList(0);
}

void RecordingLibrary::ScanCard(const QString &cardRoot)
{
    if (cardRoot.isEmpty())
        return;
    SetListing(cardRoot, true, ListRecordings(cardRoot, m_extensions));
}

RecordingLibrary::FolderResult RecordingLibrary::ScanFolder(
    const QString &chosenPath, const QStringList &cardRoots)
{
    if (chosenPath.isEmpty())
        return {};
    // The chooser gives a root with its trailing separator, the card list keeps none.
    const QString chosen = PortablePath(chosenPath);
    for (int index = 0; index < cardRoots.size(); ++index) {
        if (!cardRoots.at(index).isEmpty() && PortablePath(cardRoots.at(index)) == chosen) {
            ScanCard(cardRoots.at(index));
            return { true, index };
        }
    }
    SetListing(chosenPath, false, ListRecordings(chosenPath, m_extensions));
    return { true, -1 };
}

void RecordingLibrary::OpenCommandLine(const QString &commandLine, const RowInserter &insert)
{
    QStringList paths;
    for (const QString &path : SplitCommandLine(commandLine)) {
        // The path keeps its case: on a case-sensitive file system the upper-cased one is another file.
        const bool duplicate = std::any_of(paths.cbegin(), paths.cend(),
            [&](const QString &kept) { return kept.compare(path, Qt::CaseInsensitive) == 0; });
        if (!duplicate && m_extensions.Matches(path) && ParseRecordingName(path).IsFront())
            paths.append(path);
    }
    m_recordings.clear();
    for (const QString &path : paths)
        m_recordings.push_back(MakeRecording(path, IsInArchive(path, QString())));
    FillList(0, insert);
    m_ready = true;
}

bool RecordingLibrary::AddRow(int fileIndex, const RowInserter &insert)
{
    Q_ASSERT(fileIndex >= 0 && static_cast<size_t>(fileIndex) < m_recordings.size());
    const Recording &recording = m_recordings.at(static_cast<size_t>(fileIndex));
    const RecordingName name = ParseRecordingName(recording.path);
    if (!name.IsFront())
        return true;
    ListRow row;
    row.fileIndex = fileIndex;
    row.number = QStringLiteral("000");
    row.fileName = FileNameOf(recording.path).toUpper();
    row.kindText = KindText(name.kindLetter);
    row.lengthText = FormatLength(recording.lengthSeconds);
    if (insert && !insert(row))
        return false;
    m_rows.push_back(row);
    return true;
}

void RecordingLibrary::FillList(int category, const RowInserter &insert)
{
    m_rows.clear();
    for (size_t index = 0; index < m_recordings.size();) {
        if (!InCategory(m_recordings[index], category)) {
            ++index;
            continue;
        }
        if (AddRow(static_cast<int>(index), insert)) {
            ++index;
            continue;
        }
        qCWarning(lcLibrary) << "dropped from the list, its row could not be inserted:"
                             << m_recordings[index].path;
        m_recordings.erase(m_recordings.begin() + static_cast<std::ptrdiff_t>(index));
    }
    SortList(true);
    for (size_t row = 0; row < m_rows.size(); ++row)
        m_rows[row].number = QString::asprintf("%03d", static_cast<int>(row) + 1);
}

void RecordingLibrary::SortList(bool ascending)
{
    QCollator collator;
    collator.setNumericMode(false);
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const ListRow &a, const ListRow &b) {
        const int order = collator.compare(a.fileName, b.fileName);
        return ascending ? order < 0 : order > 0;
    });
    m_sortAscending = ascending;
}

QString RecordingLibrary::FindRearFile(
    const QString &frontPath, const RearOpener &open, const platform::FileTimes &times) const
{
    const QString name = FileNameOf(frontPath);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString byName;
    if (dot >= 2 && name.at(dot - 2).toUpper() == QLatin1Char('F')) {
        byName = frontPath;
        const qsizetype channel = frontPath.size() - name.size() + dot - 2;
        byName[channel] = name.at(dot - 2).isLower() ? QLatin1Char('r') : QLatin1Char('R');
        if (open(byName))
            return byName;
    }
    const QString byTime = RearFileByCreationTime(frontPath, times);
    if (!byTime.isEmpty() && byTime != byName && open(byTime))
        return byTime;
    return QString();
}

QString RecordingLibrary::RearFileByCreationTime(
    const QString &frontPath, const platform::FileTimes &times) const
{
    const std::optional<std::int64_t> frontCreated = CreationSeconds(frontPath, times);
    if (!frontCreated) {
        qCWarning(lcLibrary) << "no rear file by time for" << frontPath << ": its time stamps cannot be read";
        return QString();
    }
    const QFileInfo front(frontPath);
    const QDir folder = front.dir();
    const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString path = JoinPath(front.path(), entry.fileName());
        if (!ParseRecordingName(path).IsRear() || !m_extensions.Matches(path))
            continue;
        const std::optional<std::int64_t> created = CreationSeconds(path, times);
        if (created && *frontCreated - *created >= 0 && *frontCreated - *created <= kRearStartWindowSeconds)
            return path;
    }
    return QString();
}

} // namespace library
