#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace quillora {

class UpdateManager;
class Workspace;

/**
 * The strip that tells about a newer version: "New Version Available: v…" with "Later" (puts it
 * off for today) and "Update Now" (opens the download page and stays). Hidden while no notice is
 * due; follows the manager's announcements.
 */
class UpdateBanner final : public QWidget
{
    Q_OBJECT

public:
    UpdateBanner(UpdateManager& manager, Workspace& workspace, QWidget* parent = nullptr);

    /** The message line's text. */
    [[nodiscard]] QString message() const;

    /** Shows or hides the strip from the manager's state. */
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    UpdateManager& m_manager;
    Workspace& m_workspace;
    QLabel* m_message;
};

} // namespace quillora
