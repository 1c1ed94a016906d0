#pragma once

#include "ui/ShellServices.h"

#include <QWidget>

namespace quillora {

class SettingsView;

/** The window "Settings", 500 points wide, hosting `SettingsView`. */
class SettingsWindow final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int width = 500;
    static constexpr int height = 440;

    explicit SettingsWindow(ShellServices services, QWidget* parent = nullptr);

    [[nodiscard]] SettingsView& view() const { return *m_view; }

    /** Shows the window, restores it when minimised, raises it and gives it the focus. */
    void bringToFront();

private:
    SettingsView* m_view;
};

} // namespace quillora
