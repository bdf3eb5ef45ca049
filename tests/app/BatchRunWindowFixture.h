// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window over a temporary program folder with copies of the built
// presets and encoder archive, a run controller, a source and a target
// folder, for tests of the batch run.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidgetItem>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "MainWindowFixture.h"
#include "app/ui/EncProgressForm.h"
#include "app/ui/RunController.h"
#include "app/ui/SongList.h"
#include "platform/Shutdown.h"
#include "support/TestAudio.h"

namespace fs = std::filesystem;

inline constexpr const char* Flac = "FLAC (Free Lossless Audio Codec)";
inline constexpr const char* Wav = "WAV (Standard)";

inline std::string Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void Select(QComboBox* box, const char* text)
{
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text;
    box->setCurrentIndex(index);
    emit box->activated(index);
}

class BatchRunWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        fs::copy(testaudio::BuildProgramFolder() / "Preset", home / "Preset", fs::copy_options::recursive);
        fs::copy_file(testaudio::BuildProgramFolder() / "EncodeDLL.dll", home / "EncodeDLL.dll");
        fs::create_directories(sources);
        fs::create_directories(target);
        platform::SetPowerOffRequest([this](bool) {
            ++powerOffs;
            return true;
        });
        Open();
        controller = std::make_unique<appui::RunController>(*window, home.path());
        window->edtTargetFolder->setText(QString::fromStdString(target.string()));
        // One job at a time unless a test asks for more.
        window->SpinEditSimultaneousJobs->setValue(1);
    }

    void TearDown() override
    {
        controller.reset();
        platform::SetPowerOffRequest({});
        MainWindowTest::TearDown();
    }

    void Choose(const char* format, const char* preset)
    {
        Select(window->cmbFormat, format);
        Select(window->cmbConfig, preset);
    }

    // Copies of the two-second tone under these names, added to the list.
    std::vector<fs::path> AddTones(const std::vector<std::string>& names)
    {
        std::vector<fs::path> paths;
        for (const std::string& name : names) {
            paths.push_back(sources / name);
            fs::copy_file(testaudio::Get("tone.flac"), paths.back(), fs::copy_options::overwrite_existing);
        }
        window->AddFiles(paths);
        return paths;
    }

    void WhenFinished(int action)
    {
        window->chkWhenFinished->setChecked(true);
        window->cmbDoEvent->setCurrentIndex(action);
    }

    TfrmEncProgress* Progress() const { return window->findChild<TfrmEncProgress*>(); }

    // Starts the run and calls look with the shown progress window every
    // few milliseconds until the run has ended.
    void RunWatching(const std::function<void(TfrmEncProgress&)>& look, int milliseconds = 1)
    {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* progress = Progress(); progress && progress->isVisible())
                look(*progress);
        });
        watch.start(milliseconds);
        window->actConvertion->trigger();
        watch.stop();
    }

    // The overwrite questions get these answers in turn (No once they run
    // out); every box is recorded, other questions are answered yes.
    void AnswerOverwrites(std::deque<platform::BoxAnswer> answers)
    {
        platform::SetMessageHandler([this, answers](const platform::MessageRecord& box) mutable {
            messages.push_back(box);
            if (box.buttons == platform::BoxButtons::YesNo)
                return platform::BoxAnswer::Yes;
            if (box.buttons != platform::BoxButtons::OverwriteChoice)
                return platform::BoxAnswer::Ok;
            ++overwriteQuestions;
            if (answers.empty())
                return platform::BoxAnswer::No;
            const platform::BoxAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }

    std::string Result(int row) const { return window->Entry(row)->text(appui::ColResult).toStdString(); }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& box : messages)
            texts.push_back(box.text);
        return texts;
    }

    fs::path sources = home / "in folder";
    fs::path target = home / "out folder";
    std::unique_ptr<appui::RunController> controller;
    int powerOffs = 0;
    int overwriteQuestions = 0;
};

inline constexpr int PopupPrompt = 4;
inline constexpr int CreatePlayList = 2;
