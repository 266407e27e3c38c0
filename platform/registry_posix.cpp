#include "platform/registry_store.h"
#include "platform/wine/store.h"

namespace tobrel::platform {

// Here the emulators run under Wine: their registry is the prefix's user.reg.
RegistryBackend& systemRegistry() {
    static WineRegistryStore store;
    return store;
}

} // namespace tobrel::platform
