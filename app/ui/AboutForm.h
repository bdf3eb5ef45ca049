// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The About box: the header picture, the version, the home page, the
// support address and the licence.

#include <QDialog>

class QLabel;
class QPushButton;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* owner);

    QLabel* lblVersion = nullptr;
    QLabel* lblHomePage = nullptr;
    QLabel* lblMail = nullptr;
    QLabel* lblLicense = nullptr;
    QPushButton* btnOK = nullptr;
};
