#!/usr/bin/env python3
"""Holds COUNT connections to HOST:PORT open by sending one header byte every INTERVAL seconds.

Usage: slow-headers.py HOST PORT COUNT [INTERVAL]. A connection the server closes is opened
again at once, so COUNT slow clients press on the server for as long as this runs. Prints the
number of connections the server closed when it is stopped (SIGTERM).
"""
import asyncio
import signal
import sys

HOST, PORT, COUNT = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
INTERVAL = float(sys.argv[4]) if len(sys.argv) > 4 else 5.0
closed = 0


async def slow_client():
    global closed
    while True:
        try:
            reader, writer = await asyncio.open_connection(HOST, PORT)
            writer.write(b"GET /api/v1/health HTTP/1.1\r\n")
            while True:
                await writer.drain()
                await asyncio.sleep(INTERVAL)
                if reader.at_eof():
                    break
                writer.write(b"X")
        except (ConnectionError, OSError):
            pass
        closed += 1
        await asyncio.sleep(0.1)


async def main():
    stop = asyncio.Event()
    asyncio.get_running_loop().add_signal_handler(signal.SIGTERM, stop.set)
    tasks = [asyncio.create_task(slow_client()) for _ in range(COUNT)]
    await stop.wait()
    for task in tasks:
        task.cancel()
    print(closed)


asyncio.run(main())
