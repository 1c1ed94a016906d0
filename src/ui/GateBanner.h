#pragma once

#include "ui/Glyphs.h"

#include <QColor>
#include <QWidget>

class QLabel;
class QToolButton;

namespace quillora {

/**
 * One of the two strips of the permission gate: a symbol, a bold line and a small line of
 * explanation, and one action button, on the banner's colour at 10 % opacity with a line of it
 * along the bottom edge.
 */
class GateBanner final : public QWidget
{
    Q_OBJECT

public:
    struct Look
    {
        Glyph glyph;
        QColor tint;
        QString title;
        QString detail;
        QString action;
        QString actionName;
    };

    /** The permission warning: what is missing, with the button that turns accessibility on. */
    [[nodiscard]] static Look warning();

    /**
     * Access granted while the window was open: Quillora needs no restart (its button restarts it
     * in place all the same); the detail names the applications that must be restarted.
     */
    [[nodiscard]] static Look granted();

    GateBanner(Look look, const QString& objectName, QWidget* parent = nullptr);

    /** The action button. */
    [[nodiscard]] QToolButton& actionButton() const { return *m_action; }

    /** The explanation line's text. */
    [[nodiscard]] QString detail() const;

    /** Replaces the explanation line (with what the desktop told when access was asked for). */
    void setDetail(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
    QLabel* m_detail;
    QToolButton* m_action;
};

} // namespace quillora
