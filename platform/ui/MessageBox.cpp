// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
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

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const MessageRecord& record)
{
    auto box = std::make_unique<QMessageBox>(QtIcon(record.icon), QString::fromStdString(record.caption),
                                             QString::fromStdString(record.text), QMessageBox::NoButton, owner);
    switch (record.buttons) {
    case BoxButtons::Ok:
        box->setStandardButtons(QMessageBox::Ok);
        break;
    case BoxButtons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case BoxButtons::OverwriteChoice:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll);
        box->addButton("Stop", QMessageBox::RejectRole)->setObjectName("btnStop");
        // Escape keeps the file, as for a plain question; stopping is a click.
        box->setEscapeButton(QMessageBox::No);
        break;
    case BoxButtons::CloseOpenFolder:
        box->addButton("Open folder", QMessageBox::ActionRole)->setObjectName("btnOpenFolder");
        box->setStandardButtons(QMessageBox::Close);
        box->setDefaultButton(QMessageBox::Close);
        break;
    case BoxButtons::SaveDiscardCancel:
        box->setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        break;
    }
    return box;
}

BoxAnswer ShowMessage(QWidget* owner, const std::string& text, const std::string& caption,
                      BoxIcon icon, BoxButtons buttons)
{
    const MessageRecord record{text, caption, icon, buttons};
    if (Handler())
        return Handler()(record);
    const auto box = MakeMessageBox(owner, record);
    box->exec();
    const QAbstractButton* clicked = box->clickedButton();
    if (clicked && clicked->objectName() == "btnStop")
        return BoxAnswer::Stop;
    if (clicked && clicked->objectName() == "btnOpenFolder")
        return BoxAnswer::OpenFolder;
    switch (box->standardButton(const_cast<QAbstractButton*>(clicked))) {
    case QMessageBox::Yes: return BoxAnswer::Yes;
    case QMessageBox::YesToAll: return BoxAnswer::YesToAll;
    case QMessageBox::NoToAll: return BoxAnswer::NoToAll;
    case QMessageBox::No: return BoxAnswer::No;
    case QMessageBox::Save: return BoxAnswer::Save;
    case QMessageBox::Discard: return BoxAnswer::Discard;
    case QMessageBox::Cancel: return BoxAnswer::Cancel;
    default: break;
    }
    // A box closed from its frame answers no to a question and cancels a leave.
    if (buttons == BoxButtons::SaveDiscardCancel)
        return BoxAnswer::Cancel;
    return buttons == BoxButtons::Ok || buttons == BoxButtons::CloseOpenFolder ? BoxAnswer::Ok : BoxAnswer::No;
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
