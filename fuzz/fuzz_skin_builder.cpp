// Arbitrary text as a window description: the markup reader, the description model and the
// builder that creates, places and configures every control it names (the gauge and the graph
// included), on a real dialog. Bitmaps are looked up beside the default skin when
// TAVIN_FUZZ_SKIN_DIR names it.

#include "skin/CSkin.h"
#include "skin/SkinItems.h"
#include "skin/SkinRuntime.h"
#include "views/ViewControlFactories.h"

#include <QApplication>
#include <QDialog>

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_skin_builder";
    static char *argv[] = { name, nullptr };
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    static skin::SkinRuntime *runtime = [] {
        auto *created = new skin::SkinRuntime;
        created->SetBaseFolder(qEnvironmentVariable("TAVIN_FUZZ_SKIN_DIR"));
        created->SetMonitorSize(QSize(1920, 1080));
        created->SetMessageBoxHandler([](QWidget *, const QString &, const QString &, int) { return 0; });
        created->SetUrlOpener([](const QUrl &) {});
        RegisterViewControlFactories(*created);
        return created;
    }();
    (void)app;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QDialog dialog;
    {
        skin::CSkin skin(*runtime);
        skin::SkinWindowInfo info;
        skin.LoadFromText(text, &info, &dialog, true);
    }
    runtime->Delegates().RemoveOwner(&dialog);
    return 0;
}
