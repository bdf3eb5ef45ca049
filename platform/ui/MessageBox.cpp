// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/MessageBox.h"

#include <QMessageBox>
#include <QString>

namespace platform {
namespace {

MessageHandler& Handler()
{
    static MessageHandler handler;
    return handler;
}

QMessageBox::Icon QtIcon(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(BoxButtons buttons)
{
    switch (buttons) {
    case BoxButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case BoxButtons::SaveDiscardCancel: return QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    case BoxButtons::Ok: break;
    }
    return QMessageBox::Ok;
}

BoxAnswer Answer(BoxButtons buttons, int answer)
{
    switch (buttons) {
    case BoxButtons::YesNo: return answer == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
    case BoxButtons::SaveDiscardCancel:
        if (answer == QMessageBox::Save)
            return BoxAnswer::Save;
        return answer == QMessageBox::Discard ? BoxAnswer::Discard : BoxAnswer::Cancel;
    case BoxButtons::Ok: break;
    }
    return BoxAnswer::Ok;
}

}  // namespace

BoxAnswer ShowMessage(QWidget* owner, const std::string& text, const std::string& caption,
                      BoxIcon icon, BoxButtons buttons)
{
    if (Handler())
        return Handler()(MessageRecord{text, caption, icon, buttons});
    QMessageBox box(QtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QtButtons(buttons), owner);
    return Answer(buttons, box.exec());
}

void ShowWarning(QWidget* owner, const std::string& text)
{
    ShowMessage(owner, text, "Warning", BoxIcon::Warning);
}

void ShowError(QWidget* owner, const std::string& text)
{
    ShowMessage(owner, text, "Error", BoxIcon::Error);
}

bool AskYesNo(QWidget* owner, const std::string& text)
{
    return ShowMessage(owner, text, "Prompt", BoxIcon::Information, BoxButtons::YesNo) == BoxAnswer::Yes;
}

BoxAnswer AskSaveChanges(QWidget* owner, const std::string& text)
{
    return ShowMessage(owner, text, "Unsaved changes", BoxIcon::Warning, BoxButtons::SaveDiscardCancel);
}

void SetMessageHandler(MessageHandler handler) { Handler() = std::move(handler); }

}  // namespace platform
