// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings page's loudness group: which gain values a run writes, and
// whether it brings its outputs to a loudness, per track or per album.

#include <QGroupBox>

#include "app/RunLoudness.h"
#include "app/Settings.h"

class QComboBox;
class QSpinBox;

namespace appui {

class LoudnessBox : public QGroupBox {
    Q_OBJECT
public:
    explicit LoudnessBox(QWidget* parent = nullptr);

    void Show(const TGlobaVariant& record);
    void Take(TGlobaVariant& record) const;
    app::LoudnessChoice Choice() const;

    QComboBox* cmbReplayGain = nullptr;
    QComboBox* cmbNormalizeLoudness = nullptr;
    QSpinBox* SpinEditLoudnessTarget = nullptr;

private:
    void cmbNormalizeLoudnessChange();
};

}  // namespace appui
