// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A main window over a temporary program folder, with message boxes and
// desktop openings recorded instead of shown.

#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "app/ui/MainForm.h"
#include "app/ui/ShellActions.h"
#include "platform/IniFile.h"
#include "platform/ui/MessageBox.h"
#include "support/TempFolder.h"

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("TREMOLIX_HOME", home.path().c_str(), 1);
        platform::SetMessageHandler([this](const platform::MessageRecord& box) {
            messages.push_back(box);
            return platform::BoxAnswer::Ok;
        });
        appui::SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
    }

    void TearDown() override
    {
        window.reset();
        platform::SetMessageHandler({});
        appui::SetUrlOpener({});
        ::unsetenv("TREMOLIX_HOME");
    }

    TfrmMain& Open()
    {
        window = std::make_unique<TfrmMain>();
        window->show();
        return *window;
    }

    void Close()
    {
        window->close();
        window.reset();
    }

    std::filesystem::path SettingsPath() const { return home / "Options.ini"; }
    platform::IniFile Settings() const { return platform::IniFile(SettingsPath()); }

    testsupport::TempFolder home;
    std::unique_ptr<TfrmMain> window;
    std::vector<platform::MessageRecord> messages;
    std::vector<QUrl> opened;
};
