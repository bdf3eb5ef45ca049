// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/ui/ValueListDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TValueListDialog::TValueListDialog(const QString& field, const QStringList& values, QWidget* owner)
    : QDialog(owner)
{
    setObjectName("ValueListDialog");
    setWindowTitle(field);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("One value a line:", this));
    edtValues = new QPlainTextEdit(values.join('\n'), this);
    edtValues->setObjectName("edtValues");
    layout->addWidget(edtValues);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(300, 220);
}

QStringList TValueListDialog::Values() const
{
    QStringList values;
    for (const QString& line : edtValues->toPlainText().split('\n'))
        if (const QString value = line.trimmed(); !value.isEmpty())
            values << value;
    return values;
}
