// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/LoudnessBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

namespace appui {
namespace {

QComboBox* Choices(QWidget* parent, const char* name, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

}  // namespace

LoudnessBox::LoudnessBox(QWidget* parent) : QGroupBox("Loudness", parent)
{
    setObjectName("grpLoudness");
    auto* grid = new QGridLayout(this);
    cmbReplayGain = Choices(this, "cmbReplayGain", {"Off", "Track", "Track and album"});
    cmbReplayGain->setToolTip("Measures each file while it is decoded (EBU R128, true peak) and writes "
                              "ReplayGain 2.0 values into its output; an album is the files of one folder "
                              "with the same album artist and album");
    grid->addWidget(new QLabel("ReplayGain values", this), 0, 0);
    grid->addWidget(cmbReplayGain, 0, 1);

    cmbNormalizeLoudness = Choices(this, "cmbNormalizeLoudness", {"Off", "Per track", "Per album"});
    cmbNormalizeLoudness->setToolTip("Brings each output to the loudness, its true peak kept below -1 dBTP; "
                                     "a measuring pass comes before each encode (before each album's first)");
    SpinEditLoudnessTarget = new QSpinBox(this);
    SpinEditLoudnessTarget->setObjectName("SpinEditLoudnessTarget");
    SpinEditLoudnessTarget->setRange(app::MinLoudnessTarget, app::MaxLoudnessTarget);
    SpinEditLoudnessTarget->setValue(-18);
    SpinEditLoudnessTarget->setSuffix(" LUFS");
    grid->addWidget(new QLabel("Normalize loudness to", this), 1, 0);
    grid->addWidget(cmbNormalizeLoudness, 1, 1);
    grid->addWidget(SpinEditLoudnessTarget, 1, 2);
    grid->setColumnStretch(3, 1);
    connect(cmbNormalizeLoudness, &QComboBox::currentIndexChanged, this, &LoudnessBox::cmbNormalizeLoudnessChange);
    cmbNormalizeLoudnessChange();
}

void LoudnessBox::cmbNormalizeLoudnessChange()
{
    SpinEditLoudnessTarget->setEnabled(cmbNormalizeLoudness->currentIndex() > 0);
}

void LoudnessBox::Show(const TGlobaVariant& record)
{
    cmbReplayGain->setCurrentIndex(record.ReplayGain);
    cmbNormalizeLoudness->setCurrentIndex(record.NormalizeLoudness);
    SpinEditLoudnessTarget->setValue(record.LoudnessTarget);
}

void LoudnessBox::Take(TGlobaVariant& record) const
{
    record.ReplayGain = std::uint8_t(std::max(0, cmbReplayGain->currentIndex()));
    record.NormalizeLoudness = std::uint8_t(std::max(0, cmbNormalizeLoudness->currentIndex()));
    record.LoudnessTarget = SpinEditLoudnessTarget->value();
}

app::LoudnessChoice LoudnessBox::Choice() const
{
    TGlobaVariant record;
    Take(record);
    return {app::GainTagMode(record.ReplayGain), app::LoudnessApply(record.NormalizeLoudness),
            double(record.LoudnessTarget)};
}

}  // namespace appui
