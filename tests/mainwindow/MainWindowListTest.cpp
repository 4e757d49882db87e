// The recording list around the playing recording, the card chosen while it is listed, and keys
// typed into a panel's fields.

#include "device/CTAVINSDConfig.h"
#include "mainwindow/MainWindowFixture.h"
#include "panels/CBBSettingDlg.h"

#include <QDateEdit>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace mainwindow;
using namespace mainwindow::test;

namespace {

QString RowName(skin::CSkinListCtrl *list, int row)
{
    return list->GetItemText(row, library::kColumnFileName);
}

} // namespace

// Sorting or choosing a category keeps the playing recording's row highlighted, and next counts
// from it.
TEST_F(MainWindowTest, RefillingTheListKeepsThePlayingRow)
{
    Open({ m_card.root });
    skin::CSkinListCtrl *list = m_window->FileList();
    // A continuous recording in the middle of the list, with rows on both sides of it.
    int row = -1;
    for (const auto &plan : m_card.plans) {
        const int at = RowOf(plan);
        if (plan.kind == 'N' && at > 0 && at + 1 < list->GetItemCount()) {
            row = at;
            break;
        }
    }
    ASSERT_GT(row, 0);
    ClickRow(row);
    ASSERT_TRUE(Playing());
    const QString playing = RowName(list, row);

    Click(m_window->Library().SortAscending() ? "sort_new" : "sort_old");
    ASSERT_EQ(RowName(list, list->GetSelectedItem()), playing);
    EXPECT_EQ(m_window->CurrentRow(), list->GetSelectedItem());
    EXPECT_NE(m_window->CurrentRow(), row) << "the sort left the recording where it was";

    Click("filelist_category_normal");
    ASSERT_EQ(RowName(list, list->GetSelectedItem()), playing);
    const int normalRow = m_window->CurrentRow();
    ASSERT_EQ(normalRow, list->GetSelectedItem());
    ASSERT_LT(normalRow + 1, list->GetItemCount());
    const QString next = RowName(list, normalRow + 1);
    Click("next_file");
    EXPECT_EQ(RowName(list, m_window->CurrentRow()), next);

    // A category without the playing recording highlights its first row; nothing counts as playing.
    Click("filelist_category_event");
    EXPECT_EQ(m_window->CurrentRow(), -1);
    EXPECT_EQ(list->GetSelectedItem(), list->GetItemCount() > 0 ? 0 : -1);
}

// A card change while the chosen card is still being listed moves the cards about: the listed card
// is selected by its root afterwards, and the settings panel finds it.
TEST_F(MainWindowTest, ACardChangeDuringTheFirstListingKeepsTheChosenCard)
{
    QTemporaryDir base;
    const QString first = base.filePath(QStringLiteral("A"));
    const QString chosen = base.filePath(QStringLiteral("B"));
    CopyCardTo(first);
    CopyCardTo(chosen);
    m_settings.xmlBBSetting = QStringLiteral("bbsetting");
    CTAVINDlg::Services services;
    services.audioOutputs = {};
    services.volumes = std::make_unique<platform::FolderVolumeSource>(QStringList { first, chosen });
    services.chooseCard = [](const QStringList &) { return std::optional<int>(1); };
    services.watchMounts = false;
    m_window = std::make_unique<CTAVINDlg>(m_runtime, m_settings, std::move(services));
    ASSERT_TRUE(m_window->Init());
    m_window->show();
    // The first card goes while the chosen one is listed: the chosen one becomes the first offered.
    ASSERT_TRUE(QDir(first).removeRecursively());
    m_window->OnMountsChanged();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->FileList()->GetItemCount() > 0; }));

    EXPECT_EQ(
        platform::NormalizedRoot(m_window->Config().GetSelectedDrive()), platform::NormalizedRoot(chosen));
    Post(kMsgShowSettings);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(m_shown.empty()) << m_shown.front().text.toStdString();
    ASSERT_NE(m_window->CardPanelsFeature().SettingsPanel(), nullptr);
    EXPECT_TRUE(m_window->CardPanelsFeature().SettingsPanel()->isVisible());
}

// Space and Enter typed into a field of a panel edit the field; they do not play or pause.
TEST_F(MainWindowTest, KeysTypedIntoAPanelFieldStayThere)
{
    m_settings.xmlBBSetting = QStringLiteral("bbsetting");
    Open({ m_card.root });
    ClickRow(0);
    ASSERT_TRUE(Playing());
    Post(kMsgShowSettings); // pauses the recording
    QCoreApplication::sendPostedEvents();
    CBBSettingDlg *panel = m_window->CardPanelsFeature().SettingsPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(m_window->Playback().IsPaused());
    // A text and a date field, as a skin's edit and date controls make them inside the panel.
    auto *text = new QLineEdit(panel);
    auto *date = new QDateEdit(QDate(2024, 3, 7), panel);
    int returns = 0;
    QObject::connect(text, &QLineEdit::returnPressed, [&returns] { ++returns; });
    for (QWidget *field : { static_cast<QWidget *>(text), static_cast<QWidget *>(date) }) {
        field->show();
        field->setFocus();
        for (const auto &[key, typed] : { std::pair { Qt::Key_Space, QStringLiteral(" ") },
                 std::pair { Qt::Key_Return, QStringLiteral("\r") } }) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed);
            // The key reaches the field's own editor, as a typed key does.
            QWidget *target = field->focusProxy() ? field->focusProxy() : field;
            QApplication::sendEvent(target, &press);
        }
    }
    EXPECT_EQ(text->text(), QStringLiteral(" ")) << "the space never reached the field";
    EXPECT_EQ(returns, 1) << "Enter never reached the field";
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(m_window->Playback().IsPaused()) << "a space in a field played the recording";

    // Outside a field, Space still plays and pauses.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(m_window->FileList(), &space);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(Playing());
}
