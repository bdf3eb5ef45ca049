// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one message box of the program. Tests install a handler that records
// each box and answers it, so no test ever waits on a real modal box.

#include <functional>
#include <memory>
#include <string>

class QMessageBox;
class QWidget;

namespace platform {

enum class BoxIcon { None, Information, Warning, Error };
// OverwriteChoice: Yes, Yes to all, No, No to all and Stop. CloseOpenFolder:
// Close and "Open folder".
enum class BoxButtons { Ok, YesNo, OverwriteChoice, CloseOpenFolder, SaveDiscardCancel };
enum class BoxAnswer { Ok, Yes, No, YesToAll, NoToAll, Stop, OpenFolder, Save, Discard, Cancel };

struct MessageRecord {
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
};

// The real box ShowMessage shows, for pictures of it.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const MessageRecord& record);

BoxAnswer ShowMessage(QWidget* owner, const std::string& text, const std::string& caption,
                      BoxIcon icon, BoxButtons buttons = BoxButtons::Ok);

// "Warning" for refusals, "Error" for failures, "Prompt" (Yes/No) for questions.
void ShowWarning(QWidget* owner, const std::string& text);
void ShowError(QWidget* owner, const std::string& text);
bool AskYesNo(QWidget* owner, const std::string& text);
// "Unsaved changes" with Save, Discard and Cancel.
BoxAnswer AskSaveChanges(QWidget* owner, const std::string& text);

using MessageHandler = std::function<BoxAnswer(const MessageRecord&)>;
// Replaces the real box; an empty handler restores it.
void SetMessageHandler(MessageHandler handler);

}  // namespace platform
