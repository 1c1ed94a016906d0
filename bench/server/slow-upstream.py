#!/usr/bin/env python3
"""An OpenAI-compatible chat-completions endpoint that answers every call after a fixed delay.

Usage: slow-upstream.py PORT [DELAY_SECONDS]. Serves POST /v1/chat/completions on 127.0.0.1
with keep-alive; each answer's content is the request's last message.
"""
import asyncio
import json
import sys

DELAY = float(sys.argv[2]) if len(sys.argv) > 2 else 1.0


async def handle(reader, writer):
    try:
        while True:
            head = await reader.readuntil(b"\r\n\r\n")
            length = 0
            for line in head.split(b"\r\n"):
                if line.lower().startswith(b"content-length:"):
                    length = int(line.split(b":", 1)[1])
            body = await reader.readexactly(length)
            await asyncio.sleep(DELAY)
            try:
                text = json.loads(body)["messages"][-1]["content"]
            except (ValueError, KeyError, IndexError):
                text = "?"
            answer = json.dumps({"model": "slow", "choices": [{"message": {"role": "assistant", "content": text}}]})
            data = answer.encode()
            writer.write(b"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                         + str(len(data)).encode() + b"\r\n\r\n" + data)
            await writer.drain()
    except (asyncio.IncompleteReadError, ConnectionError):
        pass
    finally:
        writer.close()


async def main():
    server = await asyncio.start_server(handle, "127.0.0.1", int(sys.argv[1]), backlog=4096)
    async with server:
        await server.serve_forever()


asyncio.run(main())
