// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Documents and addresses the program opens through the desktop: the help,
// the home page and the support e-mail.

#include <QUrl>
#include <functional>
#include <string>

class QWidget;

namespace appui {

inline constexpr const char* ApplicationTitle = "Tremolix Audio Converter";
inline constexpr const char* SupportAddress = "support@tremolix.example";

// The home page is the help page shipped beside the program, so it works
// without a network.
QUrl HelpUrl();
QUrl HomePageUrl();
QUrl SupportMailUrl();

// Opens the help; when it is missing or cannot be opened, says so in a box
// owned by owner.
void OpenHelp(QWidget* owner);
// Failures are ignored.
void OpenHomePage();
void OpenSupportMail();
// The folder in the desktop's file browser; failures are ignored.
void OpenFolder(const std::string& folder);

// Tests replace the desktop with a recorder; an empty opener restores it.
using UrlOpener = std::function<bool(const QUrl&)>;
void SetUrlOpener(UrlOpener opener);

}  // namespace appui
