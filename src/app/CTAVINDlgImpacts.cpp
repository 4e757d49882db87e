// The main window's impact events: found in all G-sensor readings of the open recording, marked
// on the graph, listed in a compact drop-down beside the impact buttons, and reached with those
// buttons or Ctrl+Left and Ctrl+Right.
#include "app/AppLog.h"
#include "app/CTAVINDlg.h"
#include "media/widgets/CPLVVideoView.h"
#include "views/CGSensorGraph.h"

#include <QComboBox>
#include <QKeyEvent>

using skin::kSkinImgButton;

namespace {
const QString kImpactPrev = QStringLiteral("impact_prev");
const QString kImpactNext = QStringLiteral("impact_next");
constexpr int kListWidth = 106;
constexpr int kListGap = 4;

QString impactText(const media::Impact &impact)
{
    const uint32_t seconds = impact.timeMs / 1000;
    return QStringLiteral("%1:%2  %3")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(qRound(impact.strength));
}
} // namespace

void CTAVINDlg::SetUpImpactControls()
{
    RegisterEvent(
        kImpactPrev, kSkinImgButton, skin::kEventClick, skin::ClickDelegate([this] { JumpToImpact(-1); }));
    RegisterEvent(
        kImpactNext, kSkinImgButton, skin::kEventClick, skin::ClickDelegate([this] { JumpToImpact(1); }));
    if (!m_impactList) {
        m_impactList = new QComboBox(this);
        m_impactList->setObjectName(QStringLiteral("impact_list"));
        m_impactList->setFocusPolicy(Qt::NoFocus);
        m_impactList->setToolTip(tr("충격 시각과 세기"));
        m_impactList->setStyleSheet(QStringLiteral(
            "QComboBox { background: #202020; color: #C8C8C8; border: 1px solid #2A2A2A; padding: 0 4px;"
            " font-size: 12px; }"
            "QComboBox:disabled { color: #656565; }"
            "QComboBox QAbstractItemView { background: #202020; color: #C8C8C8;"
            " selection-background-color: #3FA6FE; }"));
        connect(m_impactList, &QComboBox::activated, this, [this](int index) {
            if (index >= 0 && size_t(index) < m_impacts.size())
                SeekTo(media::ImpactDetector::JumpTarget(m_impacts[size_t(index)]));
        });
    }
    // The skin shows its new controls only after this returns: place the list once it has.
    QMetaObject::invokeMethod(
        this, [this] { PlaceImpactList(); }, Qt::QueuedConnection);
    ShowImpacts();
}

void CTAVINDlg::PlaceImpactList()
{
    if (!m_impactList)
        return;
    // The list stands right of the next button of the layout; a layout without the buttons has
    // no room for it.
    QWidget *next = Control<QWidget>(kSkinImgButton, kImpactNext);
    if (next && !next->isHidden()) {
        const QRect r = next->geometry();
        m_impactList->setGeometry(r.right() + 1 + kListGap, r.top(), kListWidth, r.height());
        m_impactList->show();
        m_impactList->raise();
    } else {
        m_impactList->hide();
    }
}

void CTAVINDlg::LoadImpacts()
{
    m_impacts.clear();
    if (media::IStreamParseData *source = m_playback.Player(DualPlayback::kFront).GetStreamParseData()) {
        // The loader has drained the source for the graph; read all readings again from the start.
        source->SetRecordRange(0, -1);
        m_impacts = media::ImpactDetector::Detect(media::ImpactDetector::CollectSamples(*source));
    }
    ShowImpacts();
}

void CTAVINDlg::ClearImpacts()
{
    m_impacts.clear();
    ShowImpacts();
}

void CTAVINDlg::ShowImpacts()
{
    if (CGSensorGraph *graph = Graph())
        graph->SetImpacts(m_impacts);
    for (const QString &name : { kImpactPrev, kImpactNext }) {
        if (QWidget *button = Control<QWidget>(kSkinImgButton, name))
            button->setEnabled(!m_impacts.empty());
    }
    if (!m_impactList)
        return;
    m_impactList->clear();
    for (const media::Impact &impact : m_impacts)
        m_impactList->addItem(impactText(impact));
    m_impactList->setCurrentIndex(-1);
    m_impactList->setPlaceholderText(
        m_impacts.empty() ? tr("충격 없음") : tr("충격 %1건").arg(m_impacts.size()));
    m_impactList->setEnabled(!m_impacts.empty());
}

void CTAVINDlg::JumpToImpact(int step)
{
    if (!m_playback.IsLoaded())
        return;
    const int64_t position = m_positionMs;
    const std::optional<size_t> index = step > 0 ? media::ImpactDetector::Next(m_impacts, position)
                                                 : media::ImpactDetector::Previous(m_impacts, position);
    if (!index)
        return;
    SeekTo(media::ImpactDetector::JumpTarget(m_impacts[*index]));
    if (m_impactList)
        m_impactList->setCurrentIndex(int(*index));
}

bool CTAVINDlg::HandleImpactKey(const QKeyEvent &event)
{
    if (event.modifiers() != Qt::ControlModifier)
        return false;
    if (event.key() == Qt::Key_Right)
        JumpToImpact(1);
    else if (event.key() == Qt::Key_Left)
        JumpToImpact(-1);
    else
        return false;
    return true;
}
