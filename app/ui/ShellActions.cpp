// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/ShellActions.h"

#include <QDesktopServices>
#include <QFileInfo>

#include "platform/ProgramFolder.h"
#include "platform/ui/MessageBox.h"

namespace appui {
namespace {

UrlOpener& Opener()
{
    static UrlOpener opener;
    return opener;
}

bool Open(const QUrl& url)
{
    return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
}

QString HelpPath()
{
    return QString::fromStdString((platform::ShippedFolder(platform::ProgramFolder()) / "help.html").string());
}

}  // namespace

QUrl HelpUrl() { return QUrl::fromLocalFile(HelpPath()); }

QUrl HomePageUrl() { return HelpUrl(); }

QUrl SupportMailUrl() { return QUrl(QString("mailto:") + SupportAddress); }

void OpenHelp(QWidget* owner)
{
    if (QFileInfo(HelpPath()).isFile() && Open(HelpUrl()))
        return;
    platform::ShowMessage(owner, "Can not find help file, please re-install Tremolix Audio Converter!",
                          ApplicationTitle, platform::BoxIcon::None);
}

void OpenHomePage() { Open(HomePageUrl()); }

void OpenSupportMail() { Open(SupportMailUrl()); }

void OpenFolder(const std::string& folder) { Open(QUrl::fromLocalFile(QString::fromStdString(folder))); }

void SetUrlOpener(UrlOpener opener) { Opener() = std::move(opener); }

}  // namespace appui
