#include "platform/Registry.h"

namespace Registry {

namespace {
Backend* gBackend = nullptr;
}

std::optional<Value> Read(Root root, const QString& keyName, const QString& valueName,
                          std::uint32_t access)
{
    if (gBackend)
        return gBackend->read(root, keyName, valueName, access);
    return std::nullopt;
}

Backend* SetBackend(Backend* backend)
{
    Backend* previous = gBackend;
    gBackend = backend;
    return previous;
}

} // namespace Registry
