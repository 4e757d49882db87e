// The language's reach beyond the program's own texts: Qt's buttons and dialogs, the forms a count
// takes, and the clock and information fields of the recorder's settings.
#include "app/features/ImpactsController.h"
#include "i18n/UiLanguage.h"
#include "panels/CBBSettingDlg.h"
#include "support/QtPrinters.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kBinDir = QStringLiteral(TAVIN_BIN_DIR);

QString QtText(const char *context, const char *text)
{
    return QCoreApplication::translate(context, text);
}

// The text of a standard button of a real message box, as the user sees it.
QString MessageBoxButton(QMessageBox::StandardButton which)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("TAVIN"), QStringLiteral("?"),
        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    const QAbstractButton *button = box.button(which);
    return button ? button->text() : QString();
}

// Everything a message handler hears while a translation is applied.
struct Warnings {
    Warnings() { previous = qInstallMessageHandler(&Warnings::Hear); }
    ~Warnings() { qInstallMessageHandler(previous); }
    static void Hear(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (type == QtWarningMsg)
            heard << text;
    }
    static inline QStringList heard;
    QtMessageHandler previous = nullptr;
};

} // namespace

// Korean brings Qt's Korean with it: the standard buttons of a message box, the file and print
// dialogs; English takes it away again, and Qt speaks its own English.
TEST(QtTexts, FollowTheProgramsLanguage)
{
    i18n::ProgramTranslation translation;
    QString error;
    ASSERT_TRUE(translation.Apply(i18n::UiLanguage::Korean, kBinDir, &error)) << error.toStdString();
    ASSERT_TRUE(translation.QtTranslated())
        << "Qt's Korean translation is missing from " << translation.QtTranslationsFolder().toStdString()
        << " (scripts/install-deps installs qt6-translations-l10n)";
    // The buttons of every standard dialog come from this context.
    EXPECT_EQ(QtText("QPlatformTheme", "Cancel"), QStringLiteral("취소"));
    EXPECT_EQ(MessageBoxButton(QMessageBox::Cancel), QStringLiteral("취소"));
    EXPECT_EQ(MessageBoxButton(QMessageBox::Ok), QStringLiteral("확인"));
    EXPECT_EQ(MessageBoxButton(QMessageBox::No), QStringLiteral("아니요(&N)"));
    // The folder chooser and the print dialog the program opens have their texts in the same file.
    EXPECT_EQ(QtText("QFileDialog", "Back"), QStringLiteral("뒤로"));
    EXPECT_EQ(QtText("QPrintDialog", "Print"), QStringLiteral("인쇄"));
    {
        QFileDialog chooser(nullptr, QString(), QDir::tempPath());
        chooser.setOption(QFileDialog::DontUseNativeDialog);
        chooser.setFileMode(QFileDialog::Directory);
        const auto *buttons = chooser.findChild<QDialogButtonBox *>();
        ASSERT_NE(buttons, nullptr);
        ASSERT_NE(buttons->button(QDialogButtonBox::Cancel), nullptr);
        EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("취소"));
    }

    {
        QPrinter printer;
        QPrintDialog dialog(&printer);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("인쇄"));
        QStringList texts;
        for (const QAbstractButton *button : dialog.findChildren<QAbstractButton *>())
            texts << button->text();
        EXPECT_TRUE(texts.contains(QStringLiteral("인쇄(&P)"))) << texts.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("취소"))) << texts.join(QLatin1Char('|')).toStdString();
    }
    ASSERT_TRUE(translation.Apply(i18n::UiLanguage::English, kBinDir, &error)) << error.toStdString();
    EXPECT_FALSE(translation.QtTranslated());
    EXPECT_EQ(QtText("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    EXPECT_EQ(MessageBoxButton(QMessageBox::Cancel), QStringLiteral("Cancel"));
    EXPECT_EQ(QtText("QPrintDialog", "Print"), QStringLiteral("Print"));
    {
        QPrinter printer;
        QPrintDialog dialog(&printer);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Print"));
    }
    // Back to Korean, then the translation goes: nothing of it stays installed.
    ASSERT_TRUE(translation.Apply(i18n::UiLanguage::Korean, kBinDir, &error));
    EXPECT_EQ(MessageBoxButton(QMessageBox::Cancel), QStringLiteral("취소"));
}

TEST(QtTexts, WithoutQtsTranslationKoreanStillStartsAndQtStaysEnglish)
{
    QTemporaryDir empty;
    Warnings warnings;
    {
        i18n::ProgramTranslation translation;
        translation.SetQtTranslationsFolder(empty.path());
        QString error;
        EXPECT_TRUE(translation.Apply(i18n::UiLanguage::Korean, kBinDir, &error)) << error.toStdString();
        EXPECT_EQ(translation.Language(), i18n::UiLanguage::Korean);
        EXPECT_FALSE(translation.QtTranslated());
        EXPECT_EQ(MessageBoxButton(QMessageBox::Cancel), QStringLiteral("Cancel"));
    }
    ASSERT_EQ(Warnings::heard.size(), 1) << Warnings::heard.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(Warnings::heard.front().contains(empty.path())) << Warnings::heard.front().toStdString();
}

// An English translation that is missing leaves the program Korean, and Qt speaks Korean with it.
TEST(QtTexts, AFailedEnglishFallsBackToKoreanWhole)
{
    QTemporaryDir empty;
    i18n::ProgramTranslation translation;
    QString error;
    EXPECT_FALSE(translation.Apply(i18n::UiLanguage::English, empty.path(), &error));
    EXPECT_TRUE(error.contains(QLatin1String(i18n::kEnglishTranslationFile))) << error.toStdString();
    EXPECT_EQ(translation.Language(), i18n::UiLanguage::Korean);
    EXPECT_EQ(MessageBoxButton(QMessageBox::Cancel), QStringLiteral("취소"));
}

// A count takes the form English gives it; Korean keeps its one form.
TEST(CountTexts, TheImpactListSaysHowManyImpacts)
{
    i18n::ProgramTranslation translation;
    QString error;
    ASSERT_TRUE(translation.Apply(i18n::UiLanguage::English, kBinDir, &error)) << error.toStdString();
    EXPECT_EQ(ImpactsController::CountText(0), QStringLiteral("No impacts"));
    EXPECT_EQ(ImpactsController::CountText(1), QStringLiteral("1 impact"));
    EXPECT_EQ(ImpactsController::CountText(3), QStringLiteral("3 impacts"));

    ASSERT_TRUE(translation.Apply(i18n::UiLanguage::Korean, kBinDir, &error));
    EXPECT_EQ(ImpactsController::CountText(0), QStringLiteral("충격 없음"));
    EXPECT_EQ(ImpactsController::CountText(1), QStringLiteral("충격 1건"));
    EXPECT_EQ(ImpactsController::CountText(3), QStringLiteral("충격 3건"));
}

// The recorder's clock in English names the month and counts the hours on a 12-hour clock; in
// Korean every field is its number with its unit.
TEST(SettingsTexts, TheClockFieldsReadAsEachLanguageWritesThem)
{
    using Dlg = CBBSettingDlg;
    i18n::ProgramTranslation translation;
    QString error;
    ASSERT_TRUE(translation.Apply(i18n::UiLanguage::English, kBinDir, &error)) << error.toStdString();
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kYear, 2024), QStringLiteral("2024"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kMonth, 9), QStringLiteral("Sep"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kDay, 12), QStringLiteral("12"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kHour, 14), QStringLiteral("2 PM"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kHour, 0), QStringLiteral("12 AM"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kHour, 12), QStringLiteral("12 PM"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kMinute, 30), QStringLiteral("30 min"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kSecond, 5), QStringLiteral("5 sec"));
    EXPECT_EQ(Dlg::InfoLabel(2), QStringLiteral("Controller firmware: "));

    ASSERT_TRUE(translation.Apply(i18n::UiLanguage::Korean, kBinDir, &error));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kYear, 2024), QStringLiteral("2024년"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kMonth, 9), QStringLiteral("9월"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kHour, 14), QStringLiteral("14시"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kHour, 0), QStringLiteral("0시"));
    EXPECT_EQ(Dlg::DateFieldText(Dlg::kSecond, 5), QStringLiteral("5초"));
    EXPECT_EQ(Dlg::InfoLabel(2), QStringLiteral("MICOM: "));
}
