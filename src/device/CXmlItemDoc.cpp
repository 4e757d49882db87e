#include "device/CXmlItemDoc.h"

#include "device/ConfigItems.h"
#include "device/SafeFileWriter.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace device {
namespace {

    struct FileCloser {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

    const char kByteOrderMark[] = "\xEF\xBB\xBF";
    constexpr qint64 kLargestFile = 1 << 20;

    // The text as the library's own file load hands it to the parser (every CR LF and lone CR
    // turned into LF), followed by NUL bytes: the library's name reader steps over a UTF-8 lead
    // byte's whole sequence, so a damaged sequence at the end would step past a single
    // terminator into memory that is not the file's.
    QByteArray ParseBuffer(const QByteArray &bytes)
    {
        QByteArray text;
        text.reserve(bytes.size() + 8);
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] != '\r') {
                text += bytes[i];
                continue;
            }
            text += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        }
        text.append(QByteArray(8, '\0'));
        return text;
    }

} // namespace

QString ValueFromFile(const char *bytes)
{
    return bytes ? QString::fromLocal8Bit(bytes) : QString();
}

QByteArray ValueToFile(const QString &value)
{
    return value.toLocal8Bit();
}

void CXmlItemDoc::Unload()
{
    m_bindings.clear();
    m_firstItem = nullptr;
    m_byteOrderMark = false;
    Clear();
    ClearError();
    m_loaded = false;
}

bool CXmlItemDoc::Fail(const QString &reason)
{
    Unload();
    m_error = reason;
    return false;
}

bool CXmlItemDoc::OpenFile(const QString &path)
{
    // A failed load leaves a partial tree behind; nothing of it may survive into the next document.
    Unload();
    m_error.clear();
    m_path = path;
    if (path.isEmpty())
        return Fail(QStringLiteral("no card is selected"));
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return Fail(QStringLiteral("%1 is a folder, not a file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    // The recorder's file is a few kilobytes; anything this large is not one of its files.
    if (file.size() > kLargestFile)
        return Fail(QStringLiteral("%1 is too large to be the recorder's settings file").arg(path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    // The library reads UTF-16 as an empty 8-bit text and reports success; the recorder writes
    // 8-bit text only, so a NUL byte means a file it cannot use.
    if (bytes.left(512).contains('\0'))
        return Fail(QStringLiteral("%1 is not 8-bit text (UTF-16 or binary data)").arg(path));
    // The library notes a leading byte-order mark but keeps that to itself; the file is written
    // back with the mark exactly when it came with one.
    m_byteOrderMark = bytes.startsWith(kByteOrderMark);
    // The library's file load, but from a buffer of ours (see ParseBuffer).
    Parse(ParseBuffer(bytes).constData(), nullptr, TIXML_DEFAULT_ENCODING);
    if (Error()) {
        const QString where = ErrorRow() > 0
            ? QStringLiteral(" (row %1, column %2)").arg(ErrorRow()).arg(ErrorCol())
            : QString();
        return Fail(QStringLiteral("%1: %2%3").arg(path, QString::fromLocal8Bit(ErrorDesc()), where));
    }
    if (!FirstChildElement("setup"))
        return Fail(QStringLiteral("%1 has no <setup> element").arg(path));
    if (!FindFirstItem() || !HasKnownItem())
        return Fail(QStringLiteral("%1 holds none of the recorder's settings").arg(path));
    m_loaded = true;
    return true;
}

bool CXmlItemDoc::HasKnownItem() const
{
    for (const TiXmlElement *element = m_firstItem; element; element = element->NextSiblingElement()) {
        const char *id = element->Attribute("id");
        if (id && ItemIndexOf(QString::fromLatin1(id)) >= 0)
            return true;
    }
    return false;
}

bool CXmlItemDoc::ParseDefault()
{
    Unload();
    Parse(DefaultSetupText());
    m_loaded = !Error();
    return m_loaded;
}

bool CXmlItemDoc::FindFirstItem()
{
    m_bindings.clear();
    m_firstItem = nullptr;
    if (TiXmlElement *setup = FirstChildElement("setup"))
        m_firstItem = setup->FirstChildElement("item");
    return m_firstItem != nullptr;
}

bool CXmlItemDoc::BindItem(const char *id, QString *value)
{
    for (TiXmlElement *element = m_firstItem; element; element = element->NextSiblingElement()) {
        const char *elementId = element->Attribute("id");
        if (std::strcmp(elementId ? elementId : "", id) != 0)
            continue;
        if (value->isEmpty())
            *value = ValueFromFile(element->Attribute("value"));
        m_bindings.emplace(element, value); // a second binding of the same element is ignored
        return true;
    }
    return false;
}

bool CXmlItemDoc::IsBound(const TiXmlElement *element) const
{
    return m_bindings.count(element) != 0;
}

void CXmlItemDoc::StoreBoundValues()
{
    for (const auto &[constElement, value] : m_bindings) {
        auto *element = const_cast<TiXmlElement *>(constElement);
        const char *current = element->Attribute("value");
        if (!current)
            continue; // no attribute is created
        // An unchanged value keeps its bytes, even ones the 8-bit encoding cannot carry back.
        if (ValueFromFile(current) != *value)
            element->SetAttribute("value", ValueToFile(*value).constData());
    }
}

QByteArray CXmlItemDoc::Render()
{
    StoreBoundValues();
    QByteArray printed;
    if (FilePtr buffer { std::tmpfile() }) {
        Print(buffer.get(), 0);
        if (std::fflush(buffer.get()) == 0 && !std::ferror(buffer.get())) {
            std::rewind(buffer.get());
            char chunk[4096];
            size_t count;
            while ((count = std::fread(chunk, 1, sizeof chunk, buffer.get())) > 0)
                printed.append(chunk, static_cast<qsizetype>(count));
        }
    }
    if (printed.isEmpty())
        return printed;

    QByteArray bytes;
    if (m_byteOrderMark)
        bytes.append(kByteOrderMark, 3);
    // The recorder's own files use CR LF, as a PC writes text files.
    bytes.append(printed.replace("\n", "\r\n"));
    return bytes;
}

bool CXmlItemDoc::WriteFile(const QString &path, SafeFileWriter &writer)
{
    if (!m_loaded || path.isEmpty())
        return false;
    const QByteArray bytes = Render();
    if (bytes.isEmpty())
        return false;
    return writer.Write(path, bytes);
}

} // namespace device
