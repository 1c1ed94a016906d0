#pragma once

#include <QByteArray>
#include <QObject>

#include <qcoro/qcorotask.h>

namespace quillora {

/**
 * Asks an application on the accessibility bus whether it answers at all (org.freedesktop.DBus.Peer
 * Ping, which every D-Bus library answers by itself while its process runs), without blocking:
 * the reply comes through libatspi's connection on the main loop. A stopped or hung process
 * answers nothing, and the ping reports false when `budgetMs` runs out.
 */
class AtspiPing final : public QObject
{
    Q_OBJECT

public:
    /** True when `busName` answered within `budgetMs`. */
    static QCoro::Task<bool> send(QByteArray busName, int budgetMs);

Q_SIGNALS:
    void finished(bool answered);

private:
    AtspiPing() = default;
};

} // namespace quillora
