#!/usr/bin/env python3
"""A TCP proxy that holds every byte at least DELAY seconds in each direction,
as a network link with that latency does (the kernels here have no netem).

  latency_proxy.py LISTEN_PORT TARGET_PORT [DELAY_MS]

Each direction keeps what it read with the time it is due; a writer sends
everything that is due in one write, so a burst of small packets costs one
system call, not one per packet, and the proxy does not become the limit.
"""
import asyncio
import collections
import sys
import time

LISTEN, TARGET = int(sys.argv[1]), int(sys.argv[2])
DELAY = (float(sys.argv[3]) if len(sys.argv) > 3 else 0.5) / 1000.0


async def pump(reader, writer):
    pending = collections.deque()  # (due, bytes)
    arrived = asyncio.Event()
    done = False

    async def read():
        nonlocal done
        while data := await reader.read(1 << 16):
            pending.append((time.monotonic() + DELAY, data))
            arrived.set()
        done = True
        arrived.set()

    async def write():
        while True:
            if not pending:
                if done:
                    break
                arrived.clear()
                await arrived.wait()
                continue
            wait = pending[0][0] - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            now, due = time.monotonic(), []
            while pending and pending[0][0] <= now:
                due.append(pending.popleft()[1])
            if due:
                writer.write(b"".join(due))
                await writer.drain()
        writer.close()

    await asyncio.gather(read(), write(), return_exceptions=True)


async def serve(client_reader, client_writer):
    try:
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", TARGET)
    except OSError:
        client_writer.close()
        return
    await asyncio.gather(pump(client_reader, server_writer), pump(server_reader, client_writer),
                         return_exceptions=True)


async def main():
    server = await asyncio.start_server(serve, "127.0.0.1", LISTEN)
    async with server:
        await server.serve_forever()


asyncio.run(main())
