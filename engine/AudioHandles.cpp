// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/AudioHandles.h"

#include <mutex>
#include <unordered_map>
#include <utility>

namespace AudioLibrary::internal {

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<Handle, std::shared_ptr<HandleObject>> objects;
    Handle next = 1;
};

HandleTable& Table()
{
    static HandleTable table;
    return table;
}

thread_local int lastError = ErrorOk;

}  // namespace

Handle RegisterHandle(std::shared_ptr<HandleObject> object)
{
    if (!object)
        return 0;
    HandleTable& table = Table();
    const std::lock_guard lock(table.mutex);
    if (table.next == 0)
        return 0;
    const Handle handle = table.next++;
    table.objects.emplace(handle, std::move(object));
    return handle;
}

std::shared_ptr<HandleObject> FindHandle(Handle handle)
{
    HandleTable& table = Table();
    const std::lock_guard lock(table.mutex);
    const auto found = table.objects.find(handle);
    return found == table.objects.end() ? nullptr : found->second;
}

std::shared_ptr<HandleObject> ReleaseHandle(Handle handle)
{
    HandleTable& table = Table();
    const std::lock_guard lock(table.mutex);
    const auto found = table.objects.find(handle);
    if (found == table.objects.end())
        return nullptr;
    std::shared_ptr<HandleObject> object = std::move(found->second);
    table.objects.erase(found);
    return object;
}

void SetError(int code)
{
    lastError = code;
}

}  // namespace AudioLibrary::internal

namespace AudioLibrary {

int ErrorGetCode()
{
    return internal::lastError;
}

}  // namespace AudioLibrary
