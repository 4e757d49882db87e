#include "device/CXmlItemDoc.h"

#include "device/ConfigItems.h"
#include "device/SafeFileWriter.h"

#include <QFile>
#include <QFileInfo>

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

bool CXmlItemDoc::OpenFile(const QString &path)
{
    if (m_loaded)
        Unload();
    m_path = path;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    FilePtr file(std::fopen(QFile::encodeName(path).constData(), "rb"));
    if (!file)
        return false;
    // The library notes a leading byte-order mark but keeps that to itself; the file is written
    // back with the mark exactly when it came with one.
    char head[3] = {};
    m_byteOrderMark = std::fread(head, 1, 3, file.get()) == 3 && std::memcmp(head, kByteOrderMark, 3) == 0;
    // LoadFile rewinds to the start itself.
    m_loaded = LoadFile(file.get());
    if (!m_loaded)
        m_byteOrderMark = false;
    return m_loaded;
}

bool CXmlItemDoc::ParseDefault()
{
    if (m_loaded)
        Unload();
    ClearError();
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
    return writer.write(path, bytes);
}

} // namespace device
