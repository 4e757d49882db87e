// tavin-cli commands for the recorder's card: its settings file, the card list and the time file.

#include "CliCommand.h"

#include "device/CTAVINSDConfig.h"
#include "device/CardPaths.h"
#include "device/ConfigItems.h"
#include "device/TimeFile.h"
#include "device/ui/CSelDriveDlg.h"

#include "platform/volume_source.h"

#include <QDateTime>
#include <QDialog>
#include <QFileInfo>

#include <memory>

using namespace device;

namespace {

// A configuration object whose only card is the given folder, selected.
std::unique_ptr<CTAVINSDConfig> OpenCard(const QString &folder, ValueStrings &values)
{
    if (!QFileInfo(folder).isDir()) {
        CliErr(QStringLiteral("tavin-cli: %1 is not a folder\n").arg(folder));
        return nullptr;
    }
    auto config = std::make_unique<CTAVINSDConfig>();
    config->SetVolumeSource(std::make_unique<platform::FolderVolumeSource>(QStringList { folder }));
    config->SetValueStrings(&values);
    if (config->ScanDrives(false) != 1 || !config->SelectDrive(0)) {
        CliErr(QStringLiteral("tavin-cli: cannot use %1 as a card\n").arg(folder));
        return nullptr;
    }
    return config;
}

QString SetupPath(const CTAVINSDConfig &config)
{
    return CardFilePath(config.GetSelectedDrive(), config.FileName());
}

// Where an unreadable file that a write replaced was kept, so the user can find it.
void ReportKeptCopy(const CTAVINSDConfig &config)
{
    if (!config.KeptCopyPath().isEmpty())
        CliErr(QStringLiteral("note: the unreadable %1 was kept as %2\n")
                   .arg(SetupPath(config), config.KeptCopyPath()));
}

// The write the settings panel does: the calibration from the raw file, the bindings renewed.
bool WriteSettings(CTAVINSDConfig &config)
{
    config.ReadBatteryCalibration();
    if (!config.Load(QString()) || !config.Save(config.FileName())) {
        CliErr(QStringLiteral("tavin-cli: %1\n").arg(config.ErrorString()));
        return false;
    }
    ReportKeptCopy(config);
    return true;
}

int ConfigShow(const QString &folder)
{
    ValueStrings values {};
    std::unique_ptr<CTAVINSDConfig> config = OpenCard(folder, values);
    if (!config)
        return 1;
    if (!config->Load(config->FileName())) {
        CliErr(QStringLiteral("tavin-cli: %1\n").arg(config->ErrorString()));
        return 1;
    }
    // Every element the item walk examines, in file order; "-" marks one the viewer ignores
    // (an unknown id, or a later duplicate of an item).
    CXmlItemDoc &document = config->Document();
    const TiXmlElement *first = document.FirstItem();
    for (const TiXmlElement *element = first; element; element = element->NextSiblingElement()) {
        const QString id = ValueFromFile(element->Attribute("id"));
        const int index = document.IsBound(element) ? ItemIndexOf(id) : -1;
        CliOut(QStringLiteral("%1\t%2\t%3\n")
                   .arg(id, ValueFromFile(element->Attribute("value")),
                       index < 0 ? QStringLiteral("-") : QString::number(index)));
    }
    for (int i = 0; i < kItemCount; ++i) {
        bool present = false;
        for (const TiXmlElement *element = first; element && !present;
             element = element->NextSiblingElement())
            present = document.IsBound(element) && ItemIndexOf(ValueFromFile(element->Attribute("id"))) == i;
        if (!present)
            CliErr(QStringLiteral("missing: %1 (item %2)\n").arg(QLatin1String(ConfigItems()[i].id)).arg(i));
    }
    return 0;
}

int ConfigSet(const QString &folder, const QStringList &assignments)
{
    if (assignments.isEmpty()) {
        CliErr(QStringLiteral("tavin-cli: config set needs ID=VALUE\n"));
        return 2;
    }
    ValueStrings values {};
    std::unique_ptr<CTAVINSDConfig> config = OpenCard(folder, values);
    if (!config)
        return 1;
    if (!config->Load(config->FileName())) {
        CliErr(QStringLiteral("tavin-cli: %1 (try: config reset)\n").arg(config->ErrorString()));
        return 1;
    }
    config->ReadBatteryCalibration();

    std::vector<std::pair<int, QString>> changes;
    for (const QString &assignment : assignments) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        const int index = equals > 0 ? ItemIndexOf(assignment.left(equals)) : -1;
        if (index < 0) {
            CliErr(QStringLiteral("tavin-cli: '%1' is not ID=VALUE with a known item id\n").arg(assignment));
            return 2;
        }
        changes.emplace_back(index, assignment.mid(equals + 1));
    }
    // Values of items that the file lacks would silently not be written: refuse before writing.
    config->Load(QString());
    CXmlItemDoc &document = config->Document();
    for (const auto &[index, value] : changes) {
        bool bound = false;
        for (const TiXmlElement *element = document.FirstItem(); element && !bound;
             element = element->NextSiblingElement())
            bound = document.IsBound(element)
                && ValueFromFile(element->Attribute("id")) == QLatin1String(ConfigItems()[index].id)
                && element->Attribute("value");
        if (!bound) {
            CliErr(QStringLiteral("tavin-cli: %1 has no value in the card's file; nothing written\n")
                       .arg(QLatin1String(ConfigItems()[index].id)));
            return 1;
        }
    }
    for (const auto &[index, value] : changes)
        values[index] = value;
    if (!config->Save(config->FileName())) {
        CliErr(QStringLiteral("tavin-cli: %1\n").arg(config->ErrorString()));
        return 1;
    }
    for (const auto &[index, value] : changes)
        CliOut(QStringLiteral("%1=%2\n").arg(QLatin1String(ConfigItems()[index].id), value));
    CliOut(QStringLiteral("wrote %1\n").arg(SetupPath(*config)));
    return 0;
}

int ConfigReset(const QString &folder, bool keep)
{
    ValueStrings values {};
    std::unique_ptr<CTAVINSDConfig> config = OpenCard(folder, values);
    if (!config)
        return 1;
    // Keeping needs the card's values first; a card without a readable file has none to keep.
    if (keep && !config->Load(config->FileName())) {
        CliErr(QStringLiteral("note: nothing to keep: %1\n").arg(config->ErrorString()));
        keep = false;
    }
    if (!config->Reset(keep)) {
        CliErr(QStringLiteral("tavin-cli: reset failed\n"));
        return 1;
    }
    if (!WriteSettings(*config))
        return 1;
    CliOut(QStringLiteral("wrote %1 (defaults%2, PartitionMode=%3)\n")
               .arg(SetupPath(*config),
                   keep ? QStringLiteral(" keeping the card's partition and calibration") : QString(),
                   values[kItemPartitionMode]));
    return 0;
}

int ConfigCommand(const QStringList &args)
{
    const QString verb = args.value(0);
    if (verb == QLatin1String("show") && args.size() == 2)
        return ConfigShow(args[1]);
    if (verb == QLatin1String("set") && args.size() >= 2)
        return ConfigSet(args[1], args.mid(2));
    if (verb == QLatin1String("reset")
        && (args.size() == 2 || (args.size() == 3 && args[2] == QLatin1String("--keep"))))
        return ConfigReset(args[1], args.size() == 3);
    CliErr(QStringLiteral(
        "usage: tavin-cli config show CARD_DIR | set CARD_DIR ID=VALUE... | reset CARD_DIR [--keep]\n"));
    return 2;
}

// Parses [--card DIR]... [--all]; false on anything else.
bool CardOptions(const QStringList &args, QStringList &folders, bool &all)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--card") && i + 1 < args.size())
            folders << args[++i];
        else if (args[i] == QLatin1String("--all"))
            all = true;
        else
            return false;
    }
    return true;
}

int CardsCommand(const QStringList &args)
{
    QStringList folders;
    bool all = false;
    if (!CardOptions(args, folders, all)) {
        CliErr(QStringLiteral("usage: tavin-cli cards [--card DIR]... [--all]\n"));
        return 2;
    }
    CTAVINSDConfig config;
    config.SetVolumeSource(platform::CreateSystemVolumeSource(folders));
    const int count = config.ScanDrives(!all);
    for (int i = 0; i < count; ++i)
        CliOut(config.GetDrive(i) + QLatin1Char('\n'));
    if (count == 0) {
        CliErr(all ? QStringLiteral("no removable card found\n")
                   : QStringLiteral("no card holding setup.xml found\n"));
        return 1;
    }
    return 0;
}

int ChooseCardCommand(const QStringList &args)
{
    QStringList folders;
    bool all = false;
    if (!CardOptions(args, folders, all)) {
        CliErr(QStringLiteral("usage: tavin-cli choose-card [--card DIR]... [--all]\n"));
        return 2;
    }
    CTAVINSDConfig config;
    config.SetVolumeSource(platform::CreateSystemVolumeSource(folders));
    const int count = config.ScanDrives(!all);
    if (count == 0) {
        CliErr(QStringLiteral("no card holding setup.xml found\n"));
        return 1;
    }
    QStringList roots;
    for (int i = 0; i < count; ++i)
        roots << config.GetDrive(i);
    CSelDriveDlg dialog(roots);
    if (dialog.exec() != QDialog::Accepted || !config.SelectDrive(dialog.ChosenIndex()))
        return 1;
    CliOut(config.GetSelectedDrive() + QLatin1Char('\n'));
    return 0;
}

int TimeFileCommand(const QStringList &args)
{
    if (args.isEmpty() || args.size() > 2) {
        CliErr(QStringLiteral("usage: tavin-cli timefile CARD_DIR [YYYY.MM.DD-hh:mm:ss]\n"));
        return 2;
    }
    QDateTime time = QDateTime::currentDateTime();
    if (args.size() == 2) {
        const std::optional<QDateTime> given = ParseTimeFileText(args[1]);
        if (!given) {
            CliErr(QStringLiteral("tavin-cli: '%1' is not a valid YYYY.MM.DD-hh:mm:ss time\n").arg(args[1]));
            return 2;
        }
        time = *given;
    }
    ValueStrings values {};
    std::unique_ptr<CTAVINSDConfig> config = OpenCard(args[0], values);
    if (!config)
        return 1;
    const QDate date = time.date();
    const QTime clock = time.time();
    if (!config->WriteTimeFile(
            date.year(), date.month(), date.day(), clock.hour(), clock.minute(), clock.second())) {
        CliErr(QStringLiteral("tavin-cli: %1\n").arg(config->ErrorString()));
        return 1;
    }
    CliOut(QStringLiteral("%1\t%2\n")
               .arg(QString::fromLatin1(*TimeFileText(time)),
                   CardFilePath(config->GetSelectedDrive(), QString::fromLatin1(kTimeFileName))));
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("config"),
    QStringLiteral(
        "config show CARD_DIR            items of the card's setup.xml: id, value, item index\n"
        "config set CARD_DIR ID=VALUE...  change items and write setup.xml as the viewer does\n"
        "config reset CARD_DIR [--keep]   write defaults (--keep: keep PartitionMode, CarBatVoltCalib)"),
    false, ConfigCommand);
TAVIN_CLI_COMMAND(QStringLiteral("cards"),
    QStringLiteral(
        "cards [--card DIR]... [--all]      removable cards holding setup.xml (--all: every card)"),
    false, CardsCommand);
TAVIN_CLI_COMMAND(QStringLiteral("choose-card"),
    QStringLiteral("choose-card [--card DIR]... [--all]  pick a card in the card chooser, print its root"),
    true, ChooseCardCommand);
TAVIN_CLI_COMMAND(QStringLiteral("timefile"),
    QStringLiteral("timefile CARD_DIR [YYYY.MM.DD-hh:mm:ss]  write time.cfg (now when no time is given)"),
    false, TimeFileCommand);
