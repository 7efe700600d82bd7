#pragma once

namespace platform {

// Whether Caps Lock, Num Lock and Scroll Lock are on, as the keyboard lights
// tell. `known` is false where the system does not let us see the lights.
struct LockKeyStates {
    bool known = false;
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

LockKeyStates ReadLockKeyStates();

}  // namespace platform
