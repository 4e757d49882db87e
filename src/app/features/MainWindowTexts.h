#pragma once

#include <QCoreApplication>
#include <QString>

// The main window's fixed texts in Korean, as the sources hold them; they are shown through the
// window's translation context in the chosen language.
namespace mainwindow {

inline const QString kBusyOpeningText = QStringLiteral("다른 파일이 열리는 중입니다.");
inline const QString kCardRemovedText = QStringLiteral("현재 사용중인 SD 카드가 제거 되었습니다.");
inline const QString kNotAvailableText = QStringLiteral("이 기능은 이 버전에서 아직 제공되지 않습니다.");
inline const QString kNoRearPictureText = QStringLiteral("이 영상에는 후방 카메라 화면이 없습니다.");
inline const QString kRenamedCopiesText
    = QStringLiteral("같은 이름의 파일이 있어 다음 파일은 번호를 붙인 이름으로 저장했습니다.");

inline QString Translated(const char *text)
{
    return QCoreApplication::translate("CTAVINDlg", text);
}
// A text that shows a count: "%n" in it stands for the count, and the translation picks the form
// the count takes (English: one form for 1, another for the rest; Korean has one).
inline QString Translated(const char *text, qsizetype count)
{
    return QCoreApplication::translate("CTAVINDlg", text, nullptr, int(count));
}
inline QString Translated(const QString &text)
{
    return Translated(qUtf8Printable(text));
}

} // namespace mainwindow
