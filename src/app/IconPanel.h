#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>

namespace quillora {

/**
 * The small round button shown next to the pointer after a selection. It never takes focus from
 * the application the user works in. Positions and frames are in screen points: points,
 * origin at the bottom-left corner of the primary screen, y growing upward. Main thread only.
 */
class IconPanel
{
public:
    IconPanel() = default;
    IconPanel(const IconPanel&) = delete;
    IconPanel& operator=(const IconPanel&) = delete;
    virtual ~IconPanel() = default;

    /**
     * Shows the icon with its bottom-left corner 20 points right of and 5 points below `at`, fading
     * in, disarmed, with the auto-hide timer running. Never fails.
     */
    virtual void showAt(QPointF at) = 0;

    /** Fades the icon out and takes it off the screen. Never fails. */
    virtual void hidePanel() = 0;

    /** True while the window is on the screen (also during the fade-out). */
    [[nodiscard]] virtual bool isOnScreen() const = 0;

    /** The window's opacity, 0 (invisible) to 1. */
    [[nodiscard]] virtual double alphaValue() const = 0;

    /** The window's frame in screen points. */
    [[nodiscard]] virtual QRectF frame() const = 0;

    /**
     * Whether `p` lies in `frame()`: left and bottom edges inside, right and top edges outside.
     */
    [[nodiscard]] bool contains(QPointF p) const;

    /** Sets the callback run each time the pointer enters the icon. */
    void setOnHover(std::function<void()> onHover);

    /** Sets the callback run when the icon is activated (an armed click). */
    void setOnClick(std::function<void()> onClick);

    /** Names the window for automation and diagnostics (e.g. "floatingIcon"). */
    void setIdentifier(QString identifier);

    /** The name given by `setIdentifier`; empty until set. */
    [[nodiscard]] const QString& identifier() const { return m_identifier; }

protected:
    /** Called after `setIdentifier` so that a window can pass the name on. */
    virtual void identifierChanged() {}

    std::function<void()> m_onHover;
    std::function<void()> m_onClick;
    QString m_identifier;
};

} // namespace quillora
