#pragma once

#include "platform/AXResult.h"
#include "core/Error.h"

namespace quillora {

/**
 * The accessibility error: a platform result code thrown by every operation of the element layer
 * and passed through the selected-text toolkit. Its text form is "AXError." followed by the code's
 * name ("AXError.CannotComplete"), or "AXError.<Unknown>" for a code without one; as an error
 * record its domain is "ApplicationServices.AXError" with the code as the error code.
 */
class AXError final : public Error
{
public:
    /** The toolkit's code for "no matching menu item". */
    static constexpr AXResult noMenuItem = static_cast<AXResult>(1001);
    /** The toolkit's code for "the menu item exists but is disabled". */
    static constexpr AXResult disabledMenuItem = static_cast<AXResult>(1002);

    static constexpr auto kDomain = "ApplicationServices.AXError";

    explicit AXError(AXResult code)
        : m_code(code)
    {
    }

    [[nodiscard]] AXResult code() const { return m_code; }

    /** The raw code. */
    [[nodiscard]] qint32 errorCode() const { return static_cast<qint32>(m_code); }

    /** The code's name ("Success", "Failure", …), or "<Unknown>". */
    [[nodiscard]] static QString name(AXResult code);

    [[nodiscard]] QString localizedDescription() const override;
    [[nodiscard]] ErrorRecord toRecord() const override;
    /** "AXError." followed by the code's name. */
    [[nodiscard]] QString debugDescription() const override;
    [[nodiscard]] ErrorPtr clone() const override;

private:
    AXResult m_code;
};

} // namespace quillora
