#pragma once

// Header only: the suites that use it link the skin and view libraries through the application's,
// which the support libraries must not depend on.

#include "skin/SkinRuntime.h"
#include "skin/core/SkinPackReader.h"
#include "views/ViewControlFactories.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace testsupport {

// A message box the program asked for, recorded instead of shown.
struct ShownBox {
    QString text;
    QString caption;
};

// The button a user would press on a recorded box.
using BoxAnswer = std::function<int(const ShownBox &)>;

// Sets the runtime up as the program starts it with the build's default skin pack on a full-HD
// monitor, with the view controls registered. Message boxes are appended to shown, which must live
// as long as the runtime is used, and answered by answer (OK when none is given). False, with a test
// failure, when the pack does not load.
inline bool UseDefaultSkin(skin::SkinRuntime &runtime, std::vector<ShownBox> &shown, BoxAnswer answer = {})
{
    const int loaded = runtime.LoadPack(QStringLiteral(TAVIN_BIN_DIR "/default.skin"));
    if (loaded != skin::kSkinPackOk) {
        ADD_FAILURE() << "the default skin pack does not load (" << loaded << "); build default_skin first";
        return false;
    }
    runtime.SetBaseFolder(QStringLiteral(TAVIN_BIN_DIR));
    runtime.SetMonitorSize(QSize(1920, 1080));
    runtime.SetMessageBoxHandler(
        [&shown, answer = std::move(answer)](QWidget *, const QString &text, const QString &caption, int) {
            const ShownBox box { text, caption };
            shown.push_back(box);
            return answer ? answer(box) : int(skin::kIdOk);
        });
    RegisterViewControlFactories(runtime);
    return true;
}

// The recorded boxes' texts, in order.
inline QStringList Texts(const std::vector<ShownBox> &shown)
{
    QStringList texts;
    for (const ShownBox &box : shown)
        texts << box.text;
    return texts;
}

} // namespace testsupport
