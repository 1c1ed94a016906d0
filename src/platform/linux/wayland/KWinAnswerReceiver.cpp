#include "platform/linux/wayland/KWinAnswerReceiver.h"

namespace quillora {

KWinAnswerReceiver::KWinAnswerReceiver(std::function<void(const QString&)> onAnswer)
    : m_onAnswer(std::move(onAnswer))
{
}

void KWinAnswerReceiver::answer(const QString& json)
{
    m_onAnswer(json);
}

} // namespace quillora
