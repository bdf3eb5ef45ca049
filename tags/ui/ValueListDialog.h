// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The values of a field that holds several (artists, genres), one a line.

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

class TValueListDialog : public QDialog {
    Q_OBJECT
public:
    TValueListDialog(const QString& field, const QStringList& values, QWidget* owner = nullptr);

    // The lines that hold a value, trimmed.
    QStringList Values() const;

    QPlainTextEdit* edtValues = nullptr;
};
