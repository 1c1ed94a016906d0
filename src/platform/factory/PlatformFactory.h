#pragma once

#include <QString>

#include <memory>

namespace quillora {

class Platform;

/**
 * Makes the backend called `name` ("sim" or "linux"); null for an unknown name. The one place
 * where a backend is chosen; only programs and tests call it.
 */
[[nodiscard]] std::unique_ptr<Platform> createPlatform(const QString& name);

} // namespace quillora
