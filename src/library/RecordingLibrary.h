#pragma once

#include "library/RecordingName.h"
#include "platform/file_times.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

namespace library {

// One listed file of the recording table; the file index is its place in the table.
struct Recording {
    QString path; // as found, its case kept
    int lengthSeconds = 0;
    bool normal = false;
    bool event = false;
    bool manual = false;
    bool archive = false;
};

// The list's categories, as the category buttons pass them; 0 shows everything too.
enum Category {
    kCategoryAll = 1,
    kCategoryNormal = 2,
    kCategoryEvent = 3,
    kCategoryManual = 4,
    kCategoryArchive = 5,
};

// True when the recording is shown under the category (front and rear files alike).
bool InCategory(const Recording &recording, int category);

// The columns of file_list's rows; column 0 is the list control's hidden one.
enum ListColumn {
    kColumnHidden = 0,
    kColumnNumber = 1,
    kColumnFileName = 2,
    kColumnKind = 3,
    kColumnLength = 4
};

// One row of file_list: a front recording of the table.
struct ListRow {
    int fileIndex = -1; // the row's item data
    QString number; // "000" until the fill numbers the rows, then "%03d" from 1
    QString fileName; // upper-cased
    QString kindText;
    QString lengthText; // "%02d:%02d:%02d"

    // The row's texts for every list column, the hidden one first.
    QStringList Texts() const;
};

// Whether the archive holds a file reached through a location (the card root or the chosen
// folder): some folder from the location's own name down to the file's folder is named "SAVE",
// in any case. Separators, a trailing separator and the case of the location do not matter.
bool IsInArchive(const QString &path, const QString &location);

// Splits a command line into the paths it quotes: each path runs from a double quote to the
// next, the following one starts three characters after that closing quote (one separator and
// its opening quote); a line without quotes is one path.
QStringList SplitCommandLine(const QString &commandLine);

// Walks the location breadth first (the location, then its sub-folders in name order, and so
// on) and returns every recording in discovery order. Safe on a worker thread; `cancel`, when
// set, stops the walk (what was found so far is returned). Symbolic links to folders are not
// followed, so a link that loops back cannot keep the walk going.
std::vector<Recording> ListRecordings(
    const QString &location, const VideoExtensions &extensions, const std::atomic_bool *cancel = nullptr);

// The main window's model of the recordings the user can play: the recording table, the rows of
// file_list built from it and their order, and the search for a front file's rear file.
class RecordingLibrary
{
public:
    // Puts a row into the list control; false when the control could not insert it.
    using RowInserter = std::function<bool(const ListRow &row)>;
    // Opens a candidate rear file in the rear player; true when it opened.
    using RearOpener = std::function<bool(const QString &path)>;

    void SetVideoExtensions(const VideoExtensions &extensions) { m_extensions = extensions; }
    const VideoExtensions &Extensions() const { return m_extensions; }

    // Lists the card whose root is given (the configuration's selected card); an empty root
    // changes nothing. The card's settings are the caller's to reload afterwards.
    void ScanCard(const QString &cardRoot);

    // What ScanFolder did with the chosen folder.
    struct FolderResult {
        bool listed = false; // false: the chooser was cancelled, nothing changed
        int cardIndex = -1; // the card whose root was chosen (listed as by ScanCard), or -1
    };
    // Lists the folder chosen by the user; a folder that is the root of one of the cards is
    // listed as that card. The caller then selects that card and refreshes the storage figures.
    FolderResult ScanFolder(const QString &chosenPath, const QStringList &cardRoots);

    // Lists the front recordings named on the program's command line (see SplitCommandLine),
    // each once, then fills the list with every row. The location stays as it was. The caller
    // plays the selected row, or shows the folder chooser when there is none.
    void OpenCommandLine(const QString &commandLine, const RowInserter &insert = {});

    // Rebuilds the rows from the table for a category: every front file that the category
    // shows, in table order; a file whose row the inserter refuses is dropped from the table.
    // The rows are then sorted by file name ascending, numbered from 1, and row 0 is selected.
    void FillList(int category, const RowInserter &insert = {});
    // The row of one file index, handed to the inserter. True when handled: a row was inserted,
    // or the file is a rear file that gets none. False when the inserter refused the row.
    bool AddRow(int fileIndex, const RowInserter &insert);
    // Orders the rows by file name as the list control does (the user's locale, digits as
    // text); rows keep their numbers.
    void SortList(bool ascending);

    // The rear file to open with a front file: the same name with channel letter "R" when that
    // opens; otherwise the first rear recording of the front file's folder (in name order) that
    // was created 0 to 49 seconds before it, by its birth time where the file system keeps one,
    // else its modification time. Empty when no candidate opens.
    QString FindRearFile(const QString &frontPath, const RearOpener &open,
        const platform::FileTimes &times = platform::SystemFileTimes()) const;

    // Takes over a listing made by ListRecordings (on a worker, for a card that is slow to read)
    // as ScanCard and ScanFolder do with their own: the table, the location, and every row.
    void SetListing(const QString &location, bool isCard, std::vector<Recording> recordings);

    // Category changes are carried out only once a listing finished and while no recording is
    // being opened.
    bool CanChangeCategory() const { return m_ready && !m_location.isEmpty(); }
    void SetReady(bool ready) { m_ready = ready; }

    const std::vector<Recording> &Recordings() const { return m_recordings; }
    const std::vector<ListRow> &Rows() const { return m_rows; }
    const QString &Location() const { return m_location; }
    void SetLocation(const QString &location) { m_location = location; } // the saved "LastOpen"
    bool IsCard() const { return m_isCard; }
    bool IsReady() const { return m_ready; }
    bool SortAscending() const { return m_sortAscending; }
    int SelectionMark() const { return m_rows.empty() ? -1 : 0; }

private:
    QString RearFileByCreationTime(const QString &frontPath, const platform::FileTimes &times) const;

    VideoExtensions m_extensions;
    std::vector<Recording> m_recordings;
    std::vector<ListRow> m_rows;
    QString m_location;
    bool m_isCard = false;
    bool m_ready = false;
    bool m_sortAscending = true;
};

} // namespace library
