// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "MainWindowFixture.h"
#include "app/ui/AboutForm.h"

namespace {

using HelpMenuTest = MainWindowTest;

TEST_F(HelpMenuTest, MissingHelpIsReportedAndPresentHelpIsOpened)
{
    TfrmMain& w = Open();
    w.menuHelp->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Can not find help file, please re-install Tremolix Audio Converter!");
    EXPECT_EQ(messages[0].caption, "Tremolix Audio Converter");
    EXPECT_EQ(messages[0].icon, platform::BoxIcon::None);
    EXPECT_TRUE(opened.empty());

    std::ofstream(home / "help.html") << "<html></html>";
    w.menuHelp->trigger();
    EXPECT_EQ(messages.size(), 1u);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString((home / "help.html").string())));

    w.menuHomepage->trigger();
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(HelpMenuTest, AboutBoxShowsTheVersionAndClosesWithOk)
{
    TfrmMain& w = Open();
    QString version;
    QString license;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* about = qobject_cast<TfrmAbout*>(modal);
        if (!about) {
            if (modal)
                modal->close();
            FAIL() << "no About box";
        }
        version = about->lblVersion->text();
        license = about->lblLicense->text();
        EXPECT_EQ(about->windowTitle(), "About");
        EXPECT_EQ(about->size(), QSize(372, 246));
        QTest::mouseClick(about->btnOK, Qt::LeftButton);
    });
    w.menuAbout->trigger();
    EXPECT_EQ(version, "Version 2.9");
    EXPECT_NE(license.indexOf("GPL, version 3 or later"), -1);
}

}  // namespace
