// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/ui/DialogParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/ui/MessageBox.h"

namespace presets {

QHBoxLayout* DescriptionRow(QLineEdit* edit)
{
    auto* row = new QHBoxLayout;
    auto* label = new QLabel("Description:");
    label->setBuddy(edit);
    row->addWidget(label);
    row->addWidget(edit);
    return row;
}

QHBoxLayout* ButtonRow(QPushButton* saveAs, QPushButton* ok, QPushButton* cancel)
{
    ok->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(saveAs);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void ShowWriteFailure(QWidget* owner, const std::filesystem::path& file)
{
    platform::ShowError(owner, "Cannot write the preset file " + file.string());
}

}  // namespace presets
