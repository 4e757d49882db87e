#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QPainter;

namespace i18n {
class ProgramTranslation;
}
namespace skin {
class CSkinDialog;
class SkinRuntime;
} // namespace skin

namespace skinart {

// Opens every window of a skin pack through the skin engine, in the states a user sees
// (current page of a panel, a recording playing, the texts the panels paint), and saves one
// PNG per window, layout and page. The states are set the way the program's windows set them:
// controls shown, hidden and disabled by name, lists filled, sliders moved.
class SkinGallery
{
public:
    SkinGallery(const QString &packPath, const QString &baseFolder);
    ~SkinGallery();

    bool Open(QString *error);
    // Draws the program's own texts in English (its translation beside the pack) or Korean.
    bool SetEnglish(bool english, QString *error);
    // Writes the pictures into `outDir`; returns the file names written, in order.
    bool Run(const QString &outDir, QStringList *written, QString *error);

private:
    // How a window is put into the state shown, and what the program paints itself on top
    // (texts of the panels, the time display), drawn over the grabbed picture.
    struct Scene {
        std::function<void(skin::CSkinDialog &)> setUp;
        std::function<void(const skin::CSkinDialog &, QPainter &)> paint;
    };
    bool Shoot(const QString &entry, const QString &file, const Scene &scene, const QString &outDir,
        QStringList *written, QString *error);

    QString m_packPath;
    QString m_baseFolder;
    std::unique_ptr<skin::SkinRuntime> m_runtime;
    std::unique_ptr<i18n::ProgramTranslation> m_translation;
    bool m_english = false;
};

} // namespace skinart
