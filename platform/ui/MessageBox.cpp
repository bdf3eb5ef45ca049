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

}  // namespace

BoxAnswer ShowMessage(QWidget* owner, const std::string& text, const std::string& caption,
                      BoxIcon icon, BoxButtons buttons)
{
    if (Handler())
        return Handler()(MessageRecord{text, caption, icon, buttons});
    const auto qtButtons = buttons == BoxButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                        : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(QtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    qtButtons, owner);
    const int answer = box.exec();
    if (buttons == BoxButtons::Ok)
        return BoxAnswer::Ok;
    return answer == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
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

void SetMessageHandler(MessageHandler handler) { Handler() = std::move(handler); }

}  // namespace platform
