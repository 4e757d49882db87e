// tavin-cli pack: builds, lists and extracts skin pack files.

#include "CliCommand.h"

#include "skin/core/CSkinPackWriter.h"
#include "skin/core/SkinPackReader.h"
#include "skin/core/SkinTextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

using skin::SkinPackTable;

const char *ResultText(int result)
{
    switch (result) {
    case skin::kSkinPackCannotOpen:
        return "cannot open the file";
    case skin::kSkinPackShortRead:
        return "the file is truncated or an entry lies outside it";
    case skin::kSkinPackBadHeader:
        return "the header does not match the file (wrong file name or length)";
    default:
        return "unknown error";
    }
}

QString EntrySuffix(SkinPackTable table)
{
    return table == SkinPackTable::Descriptions ? QStringLiteral(".xml") : QStringLiteral(".html");
}

int PackBuild(const QString &sourceDir, const QString &outFile)
{
    const QDir dir(sourceDir);
    if (!dir.exists()) {
        CliErr(QStringLiteral("pack build: no such folder: %1\n").arg(sourceDir));
        return 1;
    }
    skin::CSkinPackWriter writer;
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        const QString suffix = file.suffix().toLower();
        SkinPackTable table;
        if (suffix == QLatin1String("xml"))
            table = SkinPackTable::Descriptions;
        else if (suffix == QLatin1String("html"))
            table = SkinPackTable::PageTexts;
        else
            continue;
        QString text;
        QString error;
        if (!skin::ReadSkinTextFile(file.filePath(), &text, &error)) {
            CliErr(QStringLiteral("pack build: %1\n").arg(error));
            return 1;
        }
        if (!writer.AddEntry(table, file.completeBaseName(), text, &error)) {
            CliErr(QStringLiteral("pack build: %1: %2\n").arg(file.filePath(), error));
            return 1;
        }
    }
    QString error;
    if (!writer.Write(outFile, &error)) {
        CliErr(QStringLiteral("pack build: %1\n").arg(error));
        return 1;
    }
    CliOut(QStringLiteral("%1: %2 descriptions, %3 page texts\n")
               .arg(outFile)
               .arg(writer.Count(SkinPackTable::Descriptions))
               .arg(writer.Count(SkinPackTable::PageTexts)));
    return 0;
}

int PackList(const QString &packFile)
{
    QStringList broken;
    const int result = skin::ReadSkinPack(
        packFile,
        [](skin::SkinPackEntry &&entry) {
            CliOut(QStringLiteral("%1\t%2\t%3\n")
                       .arg(static_cast<int>(entry.table))
                       .arg(entry.name)
                       .arg(entry.bytes.size()));
        },
        &broken);
    for (const QString &name : std::as_const(broken))
        CliErr(
            QStringLiteral("pack list: entry '%1' is damaged (its data lies outside the file)\n").arg(name));
    if (result != skin::kSkinPackOk) {
        CliErr(QStringLiteral("pack list: %1: %2 (result %3)\n")
                   .arg(packFile, QLatin1String(ResultText(result)))
                   .arg(result));
        return 1;
    }
    return 0;
}

// Entry names become file names: refuse any that would leave the target folder.
bool IsSafeFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

int PackExtract(const QString &packFile, const QString &targetDir)
{
    if (!QDir().mkpath(targetDir)) {
        CliErr(QStringLiteral("pack extract: cannot create folder %1\n").arg(targetDir));
        return 1;
    }
    const QDir dir(targetDir);
    bool failed = false;
    const int result = skin::ReadSkinPack(packFile, [&](skin::SkinPackEntry &&entry) {
        if (!IsSafeFileName(entry.name)) {
            CliErr(QStringLiteral("pack extract: skipped entry with unusable name '%1'\n").arg(entry.name));
            failed = true;
            return;
        }
        QString text = skin::TextFromUtf16Le(entry.bytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        const QString path = dir.filePath(entry.name + EntrySuffix(entry.table));
        QSaveFile file(path);
        const QByteArray utf8 = text.toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(utf8) != utf8.size() || !file.commit()) {
            CliErr(QStringLiteral("pack extract: cannot write %1: %2\n").arg(path, file.errorString()));
            failed = true;
        }
    });
    if (result != skin::kSkinPackOk) {
        CliErr(QStringLiteral("pack extract: %1: %2 (result %3)\n")
                   .arg(packFile, QLatin1String(ResultText(result)))
                   .arg(result));
        return 1;
    }
    return failed ? 1 : 0;
}

int RunPack(const QStringList &args)
{
    const QString sub = args.value(0);
    if (sub == QLatin1String("build") && args.size() == 3)
        return PackBuild(args[1], args[2]);
    if (sub == QLatin1String("list") && args.size() == 2)
        return PackList(args[1]);
    if (sub == QLatin1String("extract") && args.size() == 3)
        return PackExtract(args[1], args[2]);
    CliErr(QStringLiteral(
        "usage: tavin-cli pack build SRC_DIR OUT_FILE | pack list FILE | pack extract FILE DIR\n"));
    return 2;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("pack"),
    QStringLiteral("pack build SRC_DIR OUT_FILE   pack *.xml (descriptions) and *.html (page texts)\n"
                   "pack list FILE                table, name and length of every entry\n"
                   "pack extract FILE DIR         write the entries back as UTF-8 files"),
    false, RunPack);
