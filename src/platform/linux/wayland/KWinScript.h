#pragma once

#include "platform/Compositor.h"

#include <QPointF>
#include <QString>

#include <optional>

namespace quillora {

/** What KWin's script told: the pointer, and the active window unless none is active. */
struct KWinAnswer
{
    std::optional<QPointF> pointer;
    std::optional<ForeignWindow> window;

    bool operator==(const KWinAnswer&) const = default;
};

/**
 * The KWin script that asks KWin for the pointer and the active window, and reads its answer.
 * Run once, the script sends its answer as JSON to a D-Bus method of ours (`callDBus`), with a
 * token that only this process and KWin know (the script file is private), so that no other
 * process on the bus can pass for KWin. The window's frame is its buffer geometry (the client
 * surface, whose top-left accessibility extents on Wayland are relative to), else its frame
 * geometry; its app id is its resource class.
 */
class KWinScript final
{
public:
    /** The D-Bus interface and method the script calls. */
    static constexpr char answerInterface[] = "org.quillora.KWinAnswer";
    static constexpr char answerMethod[] = "answer";

    /** The script's text: it answers to object `path` of bus name `service`, with `token`. */
    [[nodiscard]] static QString text(const QString& service, const QString& path, const QString& token);

    /**
     * The answer in `json`; none when it is malformed, lacks the pointer, or carries another token.
     * A window without a complete rectangle counts as none.
     */
    [[nodiscard]] static std::optional<KWinAnswer> parseAnswer(const QString& json, const QString& token);
};

} // namespace quillora
