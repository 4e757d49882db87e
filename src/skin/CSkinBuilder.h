#pragma once

#include "skin/SkinItems.h"

#include <QString>

class QWidget;

namespace skin {

class CSkin;
class SkinRuntime;
class SkinXmlNode;
struct SkinParseInfo;

// Turns one description into the items and controls of a CSkin.
class CSkinBuilder
{
public:
    CSkinBuilder(CSkin &skin, SkinRuntime &runtime)
        : m_skin(skin)
        , m_runtime(runtime)
    {
    }

    // Parses and builds. A markup error is logged and whatever the parser could read is
    // built; the result is false only when the markup yields no element.
    bool Build(const QString &text, SkinWindowInfo *info, QWidget *dialog);

    // The window attributes of a root element.
    static SkinWindowInfo ReadWindowInfo(
        const SkinXmlNode &root, const SkinRect &monitor, SkinRuntime &runtime);

private:
    static void LogMarkupError(const QString &text, const SkinParseInfo &parse);
    void ReadItems(const SkinXmlNode &parent, const SkinRect &reference);
    void ReadArea(const SkinXmlNode &node, const SkinRect &reference);
    void ReadImage(const SkinXmlNode &node, const SkinRect &reference);
    void ReadText(const SkinXmlNode &node, const SkinRect &reference);
    void ReadGroup(const SkinXmlNode &node, const SkinRect &reference);
    void ReadControl(const SkinXmlNode &node, const SkinRect &reference);
    void ReadFont(const SkinXmlNode &root);

    // Control creation and the settings of each type (CSkinBuilderControls.cpp).
    QWidget *CreateControl(SkinControlType type, const SkinXmlNode &node, const QString &name, int id,
        const SkinRect &rect, bool notify);
    void ConfigureControl(SkinControlType type, QWidget *control, const SkinXmlNode &node,
        const QString &name, int id, const SkinRect &rect, bool created);
    void ConfigureImageButton(QWidget *control, const SkinXmlNode &node);
    void ConfigureEdit(QWidget *control, const SkinXmlNode &node);
    void ConfigureStatic(QWidget *control, const SkinXmlNode &node);
    void ConfigureList(QWidget *control, const SkinXmlNode &node);
    void ConfigureSlider(QWidget *control, const SkinXmlNode &node);
    void ConfigureSheet(QWidget *control, const SkinXmlNode &node);
    void ConfigureButton(SkinControlType type, QWidget *control, const SkinXmlNode &node, bool created);
    void ConfigureComboBox(QWidget *control, const SkinXmlNode &node);
    void ConfigureImageNumber(QWidget *control, const SkinXmlNode &node);
    void PlaceControl(SkinControlType type, QWidget *control, const SkinRect &rect);
    QString Path(const SkinXmlNode &node, const QString &attribute) const;

    CSkin &m_skin;
    SkinRuntime &m_runtime;
    QWidget *m_dialog = nullptr;
};

} // namespace skin
