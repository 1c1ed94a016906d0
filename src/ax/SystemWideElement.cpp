#include "ax/SystemWideElement.h"

namespace quillora {

SystemWideElement::SystemWideElement()
    : UIElement(platform().createSystemWide())
{
}

SystemWideElement& systemWideElement()
{
    static SystemWideElement element;
    return element;
}

} // namespace quillora
