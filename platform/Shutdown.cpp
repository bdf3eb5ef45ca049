// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Shutdown.h"

#include <QDBusInterface>
#include <QDBusReply>

namespace platform {
namespace {

PowerOffRequest& Request()
{
    static PowerOffRequest request;
    return request;
}

bool LogindPowerOff(bool force)
{
    QDBusInterface login("org.freedesktop.login1", "/org/freedesktop/login1",
                         "org.freedesktop.login1.Manager", QDBusConnection::systemBus());
    if (!login.isValid())
        return false;
    // Not interactive when forced: running programs are not asked.
    const QDBusMessage reply = login.call("PowerOff", !force);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

bool ShutdownComputer(bool force)
{
    if (Request())
        return Request()(force);
    return LogindPowerOff(force);
}

void SetPowerOffRequest(PowerOffRequest request) { Request() = std::move(request); }

}  // namespace platform
