// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A tag editor over copies of the test audio in a temporary folder, with
// message boxes recorded instead of shown; the unsaved-changes question gets
// the answer the test sets.

#include <QApplication>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "engine/Encoder.h"
#include "platform/ui/MessageBox.h"
#include "support/TempFolder.h"
#include "support/TestAudio.h"
#include "tags/ui/TagForm.h"

class TagEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageHandler([this](const platform::MessageRecord& box) {
            messages.push_back(box);
            return box.buttons == platform::BoxButtons::SaveDiscardCancel ? unsavedAnswer : platform::BoxAnswer::Ok;
        });
    }

    void TearDown() override
    {
        editor.reset();
        platform::SetMessageHandler({});
    }

    std::filesystem::path Copy(const std::string& audio, const std::string& name)
    {
        const std::filesystem::path target = folder / name;
        std::filesystem::copy_file(testaudio::Get(audio), target);
        return target;
    }

    Tfrmtaginfo& Open(const std::vector<std::filesystem::path>& files, int index, bool all = false)
    {
        editor = std::make_unique<Tfrmtaginfo>();
        editor->Engine = &engine;
        editor->FileList = files;
        editor->FileIndex = index;
        editor->EditAll = all;
        editor->show();
        QApplication::processEvents();
        return *editor;
    }

    testsupport::TempFolder folder;
    TEncoder engine;
    std::unique_ptr<Tfrmtaginfo> editor;
    std::vector<platform::MessageRecord> messages;
    platform::BoxAnswer unsavedAnswer = platform::BoxAnswer::Cancel;
};
