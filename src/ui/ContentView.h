#pragma once

#include "ui/ShellServices.h"

#include <QWidget>

namespace quillora {

class PermissionGate;

/** The content of the main window: gate banner, update banner, history list and control bar. */
class ContentView final : public QWidget
{
    Q_OBJECT

public:
    ContentView(ShellServices services, PermissionGate& gate, QWidget* parent = nullptr);

private:
    ShellServices m_services;
    PermissionGate& m_gate;
};

} // namespace quillora
