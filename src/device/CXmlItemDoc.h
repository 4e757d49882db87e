#pragma once

#include <QByteArray>
#include <QString>

#include <tinyxml.h>

#include <map>

namespace device {

class SafeFileWriter;

// The recorder's settings document: a TinyXML document that knows where its items start and which
// item element feeds which of the settings panel's value strings.
class CXmlItemDoc : public TiXmlDocument
{
public:
    CXmlItemDoc() = default;
    CXmlItemDoc(const CXmlItemDoc &) = delete;
    CXmlItemDoc &operator=(const CXmlItemDoc &) = delete;

    // Reads the file at path; false when it cannot be read, is not well-formed 8-bit XML, or holds
    // no `setup` element with at least one of the recorder's items (writing such a file back would
    // leave the card with nearly no settings). The document is then empty and ErrorString() says why.
    bool OpenFile(const QString &path);
    // Replaces the document by the built-in default text (whatever the last load left behind).
    bool ParseDefault();
    // Finds the first `item` under `setup` (and forgets every binding); false when there is none.
    bool FindFirstItem();
    // Binds the first item whose id equals `id` to *value. An empty value string takes the item's
    // value; one that holds text keeps it. False when no such item exists.
    bool BindItem(const char *id, QString *value);
    // Writes the document with the bound values through writer; false when nothing was written.
    bool WriteFile(const QString &path, SafeFileWriter &writer);

    // The bytes WriteFile would write now: optional UTF-8 byte-order mark, the library's printed
    // document, CR LF line ends. Puts the bound values into the document first.
    QByteArray Render();

    bool IsLoaded() const { return m_loaded; }
    bool HasByteOrderMark() const { return m_byteOrderMark; }
    TiXmlElement *FirstItem() const { return m_firstItem; }
    const QString &Path() const { return m_path; }
    // Why the last OpenFile failed: the system's reason, or the parser's message with its row.
    const QString &ErrorString() const { return m_error; }
    bool IsBound(const TiXmlElement *element) const;
    int BindingCount() const { return static_cast<int>(m_bindings.size()); }

private:
    void Unload();
    bool Fail(const QString &reason);
    bool HasKnownItem() const;
    void StoreBoundValues();

    TiXmlElement *m_firstItem = nullptr;
    bool m_loaded = false;
    bool m_byteOrderMark = false;
    std::map<const TiXmlElement *, QString *> m_bindings;
    QString m_path;
    QString m_error;
};

// Value text between the file's bytes and the program's strings. The recorder writes ASCII; other
// bytes go through the system's 8-bit encoding, as values typed on a PC would.
QString ValueFromFile(const char *bytes);
QByteArray ValueToFile(const QString &value);

} // namespace device
