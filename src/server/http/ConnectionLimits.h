#pragma once

#include <QtGlobal>

namespace quillora {

/** How long and how much a client may take, and how many may connect at once. */
struct ConnectionLimits
{
    /** Bytes one request may send; past it the connection is answered 413 and closed. */
    qint64 maxRequestBytes = 1024 * 1024;
    /** Seconds a client may take from the first byte of a request to the end of its headers. */
    double headerTimeout = 10;
    /** Seconds of grace for a body, on top of the time its size takes at `bodyMinRate`. */
    double bodyTimeout = 10;
    /** The slowest a body may arrive, in bytes per second. */
    double bodyMinRate = 1024;
    /** Seconds a kept-alive connection may wait for its next request. */
    double idleTimeout = 30;
    /** Open connections at most, in total and from one client address. */
    int maxConnections = 512;
    int maxConnectionsPerClient = 128;
};

} // namespace quillora
