#include "panels/ExportChoicesDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

ExportChoicesDlg::ExportChoicesDlg(const ExportChoices &initial, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("export_choices"));
    setWindowTitle(tr("영상 내보내기"));
    auto *layout = new QVBoxLayout(this);
    m_copy = new QCheckBox(
        tr("원본 영상 그대로 복사 (재인코딩 없음, 전방·후방 별도 트랙, 자막으로 정보 표시)"), this);
    m_copy->setObjectName(QStringLiteral("export_copy"));
    m_copy->setChecked(initial.streamCopy);
    layout->addWidget(m_copy);
    auto *placement = new QGroupBox(tr("후방 영상 위치"), this);
    auto *placementLayout = new QVBoxLayout(placement);
    m_pip = new QRadioButton(tr("전방 영상의 오른쪽 위"), placement);
    m_stacked = new QRadioButton(tr("전방 영상 아래 (전방 영상을 가리지 않음)"), placement);
    m_pip->setObjectName(QStringLiteral("export_layout_pip"));
    m_stacked->setObjectName(QStringLiteral("export_layout_stacked"));
    (initial.stacked ? m_stacked : m_pip)->setChecked(true);
    placementLayout->addWidget(m_pip);
    placementLayout->addWidget(m_stacked);
    layout->addWidget(placement);
    // A copied clip keeps each camera a track of its own: there is no rear picture to place.
    placement->setEnabled(!initial.streamCopy);
    connect(m_copy, &QCheckBox::toggled, placement, [placement](bool copy) { placement->setEnabled(!copy); });
    m_audio = new QCheckBox(tr("차량 내 소리 포함"), this);
    m_audio->setObjectName(QStringLiteral("export_audio"));
    m_audio->setChecked(initial.audio);
    layout->addWidget(m_audio);
    m_sources = new QCheckBox(tr("원본 영상을 검증하여 함께 복사 (sources 폴더)"), this);
    m_sources->setObjectName(QStringLiteral("export_sources"));
    m_sources->setChecked(initial.withSources);
    layout->addWidget(m_sources);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("확인"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("취소"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

ExportChoices ExportChoicesDlg::Choices() const
{
    return { m_audio->isChecked(), m_sources->isChecked(), m_stacked->isChecked(), m_copy->isChecked() };
}
