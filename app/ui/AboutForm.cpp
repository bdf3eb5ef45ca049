// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/AboutForm.h"

#include <QLabel>
#include <QPushButton>

#include "app/ui/HeaderBand.h"
#include "app/ui/ShellActions.h"
#include "platform/Version.h"

namespace {

QLabel* MakeLink(QWidget* parent, const char* name, const QString& caption, void (*open)())
{
    auto* link = new QLabel("<a href=\"#\">" + caption.toHtmlEscaped() + "</a>", parent);
    link->setObjectName(name);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(link, &QLabel::linkActivated, parent, [open] { open(); });
    return link;
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner)
{
    setObjectName("frmAbout");
    setWindowTitle("About");
    setFixedSize(372, 246);

    auto* header = new appui::HeaderBand(this, 80, "sbkg", "sft");
    header->setGeometry(0, 0, 372, 80);

    lblVersion = new QLabel(QString("Version ") + platform::VersionText, this);
    lblVersion->setObjectName("lblVersion");
    lblVersion->setGeometry(24, 96, 324, 20);
    QFont bold = lblVersion->font();
    bold.setBold(true);
    lblVersion->setFont(bold);

    lblHomePage = MakeLink(this, "lblHomePage", "Home page", appui::OpenHomePage);
    lblHomePage->setGeometry(24, 128, 324, 20);
    lblMail = MakeLink(this, "lblMail", QString("E-mail: ") + appui::SupportAddress, appui::OpenSupportMail);
    lblMail->setGeometry(24, 152, 324, 20);
    lblLicense = new QLabel("Free software under the GNU GPL, version 3 or later", this);
    lblLicense->setObjectName("lblLicense");
    lblLicense->setGeometry(24, 176, 324, 20);

    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnOK->setGeometry(142, 204, 88, 25);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}
