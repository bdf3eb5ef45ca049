// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Private to engine/: the audio library's handle table and error code,
// shared by the decoding side and the WMA encoder side.
//
// Every handle names one object derived from HandleObject. Register a new
// object to get its handle; look it up by type (a handle of another kind
// gives nullptr); release it to take it out of the table. Handles are never
// reused while the process lives, so a stale handle finds nothing. The table
// is thread-safe; the object itself is used by one thread at a time.

#include <memory>

#include "engine/AudioLibrary.h"

namespace AudioLibrary::internal {

class HandleObject {
public:
    virtual ~HandleObject() = default;
};

// Returns 0 only when the table is exhausted.
Handle RegisterHandle(std::shared_ptr<HandleObject> object);
std::shared_ptr<HandleObject> FindHandle(Handle handle);
// Removes the entry; returns the object (nullptr when there was none), which
// dies when the last user drops it.
std::shared_ptr<HandleObject> ReleaseHandle(Handle handle);

template <class T>
std::shared_ptr<T> Find(Handle handle)
{
    return std::dynamic_pointer_cast<T>(FindHandle(handle));
}

// Releases the handle only when it names a T; true when it did.
template <class T>
bool ReleaseAs(Handle handle)
{
    if (!Find<T>(handle))
        return false;
    return ReleaseHandle(handle) != nullptr;
}

// Sets the calling thread's code for ErrorGetCode. Every public operation
// sets it: ErrorOk on success.
void SetError(int code);

}  // namespace AudioLibrary::internal
