// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file-opening progress window: a text, a bar and Cancel. It does no
// work; its user sets the text and percentage and polls CancelRequested.

#include "app/ui/ButtonlessDialog.h"
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

class Tfrmprogress : public appui::ButtonlessDialog {
    Q_OBJECT
public:
    explicit Tfrmprogress(QWidget* owner);

    void SetPercent(int percent);
    void SetPrompt(const std::string& text);

    bool CancelRequested = false;

    QLabel* lblPrompt = nullptr;
    QProgressBar* proBar = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void btnCancelClick();
};
