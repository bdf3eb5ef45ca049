// SPDX-License-Identifier: GPL-3.0-or-later
// The controls of the MP3 options dialog, tab by tab.

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "presets/ui/Mp3OptionsForm.h"

namespace {

QSlider* BitrateSlider()
{
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(BitrateFirstPosition, BitrateLastPosition);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setMinimumWidth(300);
    return slider;
}

QComboBox* ListBox(const QStringList& items)
{
    auto* box = new QComboBox;
    box->addItems(items);
    return box;
}

QGroupBox* Group(const QString& title, QWidget* content)
{
    auto* group = new QGroupBox(title);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(content);
    return group;
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

QHBoxLayout* Row(QWidget* left, QWidget* right)
{
    auto* row = new QHBoxLayout;
    row->addWidget(left);
    row->addWidget(right);
    return row;
}

// lame 3.100 ignores these switches, so the dialog says why they do nothing.
void MarkIgnored(QWidget* control)
{
    control->setToolTip("This version of lame ignores this setting.");
}

}  // namespace

QWidget* TfrmMp3opt::BuildGeneralTab()
{
    auto* tab = new QWidget;
    auto* layout = new QGridLayout(tab);

    auto* bitrate = new QGroupBox("&Bitrate");
    auto* bitrateLayout = new QGridLayout(bitrate);
    LabelBitrate = new QLabel;
    TrackBarBitrate = BitrateSlider();
    bitrateLayout->addWidget(LabelBitrate, 0, 0, 1, 2);
    bitrateLayout->addWidget(new QLabel("poor quality"), 1, 0);
    bitrateLayout->addWidget(new QLabel("good quality"), 1, 1, Qt::AlignRight);
    bitrateLayout->addWidget(TrackBarBitrate, 2, 0, 1, 2);
    bitrateLayout->addWidget(new QLabel("small file"), 3, 0);
    bitrateLayout->addWidget(new QLabel("big file"), 3, 1, Qt::AlignRight);
    layout->addWidget(bitrate, 0, 0, 1, 2);

    ComboBoxMode = ListBox({"Stereo", "Joint Stereo", "Forced Joint Stereo", "Mono", "Default"});
    layout->addWidget(Group("&Channel Mode", ComboBoxMode), 1, 0);
    ComboBoxOptimization = ListBox({"None", "Speed", "Quality"});
    layout->addWidget(Group("Opti&mization", ComboBoxOptimization), 1, 1);

    CheckBoxCRC = new QCheckBox("&Include CRC-Checksums");
    layout->addWidget(Group("Options", CheckBoxCRC), 2, 0);
    auto* flags = new QGroupBox("Flags");
    auto* flagsLayout = new QHBoxLayout(flags);
    CheckBoxCopy = new QCheckBox("Co&py");
    CheckBoxCopyright = new QCheckBox("Copy&right");
    flagsLayout->addWidget(CheckBoxCopy);
    flagsLayout->addWidget(CheckBoxCopyright);
    layout->addWidget(flags, 2, 1);
    layout->setRowStretch(3, 1);
    return tab;
}

QWidget* TfrmMp3opt::BuildVbrTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    CheckBoxVBR = new QCheckBox("Enable Variable Bitrate(VBR)");
    layout->addWidget(CheckBoxVBR);

    GroupBoxVBRMaxBitrate = new QGroupBox("Maximum VBR Bitrate");
    auto* maxLayout = new QVBoxLayout(GroupBoxVBRMaxBitrate);
    LabelVbrMaxBitrate = new QLabel;
    TrackBarVbrMaxBitrate = BitrateSlider();
    LabelVbrHelp = new QLabel(
        "The bitrate on the General page is the minimum bitrate used for VBR.\n"
        "Silent parts always use the smallest frame size.");
    LabelVbrHelp->setWordWrap(true);
    maxLayout->addWidget(LabelVbrMaxBitrate);
    maxLayout->addWidget(TrackBarVbrMaxBitrate);
    maxLayout->addWidget(LabelVbrHelp);
    layout->addWidget(GroupBoxVBRMaxBitrate);

    SpinEditVBRQuality = new QSpinBox;
    SpinEditVBRQuality->setRange(0, 9);
    GroupBoxVBRQuality = new QGroupBox("Quality");
    auto* qualityLayout = new QHBoxLayout(GroupBoxVBRQuality);
    qualityLayout->addWidget(SpinEditVBRQuality);
    qualityLayout->addStretch();
    layout->addWidget(GroupBoxVBRQuality);

    CheckBoxVBRDisableTag = new QCheckBox("Disable writing of the VBR Tag");
    CheckBoxVBRStrictMin = new QCheckBox("strictly en&force minimum bitrate");
    CheckBoxVBRUseABR = new QCheckBox("&use ABR instead of VBR");
    layout->addWidget(CheckBoxVBRDisableTag);
    layout->addWidget(CheckBoxVBRStrictMin);
    layout->addWidget(CheckBoxVBRUseABR);

    SpinEditVBRABRTargetBitrate = new QSpinBox;
    SpinEditVBRABRTargetBitrate->setRange(4, 310);
    SpinEditVBRABRTargetBitrate->setValue(128);
    LabelABRTarget = BuddyLabel("&Target bitrate for ABR:", SpinEditVBRABRTargetBitrate);
    auto* abr = Row(LabelABRTarget, SpinEditVBRABRTargetBitrate);
    abr->addStretch();
    layout->addLayout(abr);
    layout->addStretch();
    return tab;
}

QWidget* TfrmMp3opt::BuildExpertTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    CheckBoxDifferentBlockTypes = new QCheckBox("allo&w block types to differ between channels");
    CheckBoxDisableFiltering = new QCheckBox("disable all &filtering");
    CheckBoxNoRes = new QCheckBox("disable bit &reservoir");
    CheckBoxNoShort = new QCheckBox("disable short &blocks");
    CheckBoxISO = new QCheckBox("compl&y as much as possible to ISO MPEG spec");
    for (QCheckBox* box : {CheckBoxDifferentBlockTypes, CheckBoxDisableFiltering, CheckBoxNoRes,
                           CheckBoxNoShort, CheckBoxISO})
        layout->addWidget(box);
    MarkIgnored(CheckBoxDifferentBlockTypes);
    MarkIgnored(CheckBoxNoShort);

    ComboBoxATH = ListBox({"default", "only", "disabled", "only for short blocks"});
    MarkIgnored(ComboBoxATH);
    ComboBoxqLevel = ListBox({"default", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
    auto* lists = new QGridLayout;
    lists->addWidget(BuddyLabel("AT&H control:", ComboBoxATH), 0, 0);
    lists->addWidget(ComboBoxATH, 0, 1);
    lists->addWidget(BuddyLabel("&q level:", ComboBoxqLevel), 1, 0);
    lists->addWidget(ComboBoxqLevel, 1, 1);
    lists->setColumnStretch(2, 1);
    layout->addLayout(lists);
    layout->addStretch();
    return tab;
}

QGroupBox* TfrmMp3opt::BuildFilterGroup(const QString& title, const QString& name, QCheckBox*& freqBox,
                                        QLineEdit*& freqEdit, QCheckBox*& widthBox, QLineEdit*& widthEdit)
{
    auto* group = new QGroupBox(title);
    auto* layout = new QGridLayout(group);
    freqBox = new QCheckBox(name + " filtering frequency (in kHz):");
    widthBox = new QCheckBox("Width of " + name + " filter (in kHz):");
    freqEdit = new QLineEdit;
    widthEdit = new QLineEdit;
    for (QLineEdit* edit : {freqEdit, widthEdit}) {
        edit->setMaximumWidth(80);
        edit->installEventFilter(this);
    }
    layout->addWidget(freqBox, 0, 0);
    layout->addWidget(freqEdit, 0, 1);
    layout->addWidget(widthBox, 1, 0);
    layout->addWidget(widthEdit, 1, 1);
    return group;
}

QWidget* TfrmMp3opt::BuildAudioTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    ComboBoxResample = new QComboBox;
    const std::pair<const char*, int> rates[] = {
        {"default", 0}, {"16 kHz", 1},   {"22.05 kHz", 2}, {"24 kHz", 3},      {"32 kHz", 4},
        {"44.1 kHz", 5}, {"48 kHz", 6}, {"8 kHz", 7},     {"11.025 kHz", 8}, {"12 kHz", 9}};
    for (const auto& [text, value] : rates)
        ComboBoxResample->addItem(text, value);
    auto* resample = Group("Output sampling &frequency", ComboBoxResample);
    layout->addWidget(resample);
    layout->addWidget(BuildFilterGroup("&Highpass filter", "Highpass", CheckBoxHighpassFreq,
                                       EditHighpassFreq, CheckBoxHighpassWidth, EditHighpassWidth));
    layout->addWidget(BuildFilterGroup("&Lowpass filter", "Lowpass", CheckBoxLowpassFreq,
                                       EditLowpassFreq, CheckBoxLowpassWidth, EditLowpassWidth));
    layout->addStretch();
    return tab;
}
