// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/ProgressForm.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/ui/GradientBar.h"

Tfrmprogress::Tfrmprogress(QWidget* owner) : appui::ButtonlessDialog(owner)
{
    setObjectName("frmprogress");
    setFixedSize(353, 110);

    lblPrompt = new QLabel("Tips", this);
    lblPrompt->setObjectName("lblPrompt");
    lblPrompt->setWordWrap(true);
    lblPrompt->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblPrompt->setGeometry(12, 8, 329, 40);

    proBar = new QProgressBar(this);
    proBar->setObjectName("proBar");
    appui::MakeGradientBar(proBar, 20);
    proBar->setGeometry(12, 52, 329, 18);

    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setGeometry(253, 78, 88, 25);
    connect(btnCancel, &QPushButton::clicked, this, &Tfrmprogress::btnCancelClick);
}

void Tfrmprogress::SetPercent(int percent) { proBar->setValue(percent); }

void Tfrmprogress::SetPrompt(const std::string& text) { lblPrompt->setText(QString::fromStdString(text)); }

void Tfrmprogress::btnCancelClick() { CancelRequested = true; }
