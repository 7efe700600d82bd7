#include "lock_keys.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace platform {

namespace {
// A light is on when its brightness is above 0.
bool LightIsOn(const std::string& folder) {
    std::FILE* file = std::fopen((folder + "/brightness").c_str(), "re");
    if (!file) return false;
    int brightness = 0;
    const bool read = std::fscanf(file, "%d", &brightness) == 1;
    std::fclose(file);
    return read && brightness > 0;
}

bool EndsWith(const char* name, const char* suffix) {
    const size_t n = std::strlen(name), s = std::strlen(suffix);
    return n >= s && std::strcmp(name + n - s, suffix) == 0;
}
}  // namespace

LockKeyStates ReadLockKeyStates() {
    LockKeyStates states;
    const char* root = "/sys/class/leds";
    DIR* dir = ::opendir(root);
    if (!dir) return states;
    // Every keyboard has lights of its own (input3::capslock, input7::capslock ...):
    // a key counts as on when any keyboard shows it.
    while (struct dirent* ent = ::readdir(dir)) {
        const std::string folder = std::string(root) + "/" + ent->d_name;
        if (EndsWith(ent->d_name, "::capslock")) {
            states.known = true;
            states.capsLock = states.capsLock || LightIsOn(folder);
        } else if (EndsWith(ent->d_name, "::numlock")) {
            states.known = true;
            states.numLock = states.numLock || LightIsOn(folder);
        } else if (EndsWith(ent->d_name, "::scrolllock")) {
            states.known = true;
            states.scrollLock = states.scrollLock || LightIsOn(folder);
        }
    }
    ::closedir(dir);
    return states;
}

}  // namespace platform
