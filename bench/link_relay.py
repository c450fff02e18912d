#!/usr/bin/env python3
"""TCP relay for the download benchmark that plays a network path:

    link_relay.py LISTEN_HOST LISTEN_PORT TARGET_PORT --rate BYTES_PER_S
                  --rtt MS --cut BYTES --count FILE

Listens on LISTEN_HOST:LISTEN_PORT and forwards each connection to
127.0.0.1:TARGET_PORT.

--rate  meters each TCP connection as a whole (every response on a kept-alive
        connection shares it), not each response; 0: unmetered.
--rtt   adds a round trip: data waits half of it in each direction, and the
        first request of a connection waits a whole one more, as the TCP
        handshake would hold it. Only the relay's turnarounds are delayed (a
        request and its answer, a new connection); the kernel's own TCP
        between client and relay still sees loopback timing, so slow start
        and window limits of a long path are not played.
--cut   cuts each connection after that many bytes from the server; 0: never.
--count writes the bytes sent to clients so far (all connections) into FILE,
        at most every 20 ms while they change.
--pid   writes the relay's process id into FILE once it listens (the
        interpreter may run under a launcher with another id).

Prints nothing; runs until killed.
"""
import argparse
import asyncio
import os
import time

CHUNK = 16 << 10  # the metering's grain: 8 ms at 2 MB/s


class Counter:
    def __init__(self, path):
        self.path, self.total, self.written = path, 0, -1

    async def flush_loop(self):
        while True:
            await asyncio.sleep(0.02)
            if self.path and self.total != self.written:
                tmp = self.path + ".tmp"
                with open(tmp, "w") as f:
                    f.write(f"{self.total}\n")
                os.replace(tmp, self.path)
                self.written = self.total


async def forward(reader, writer, delay, first_at, rate, cut, counter):
    """Copies reader to writer, each chunk released `delay` seconds after it
    arrived (and not before `first_at`), at most `rate` bytes a second."""
    queue = asyncio.Queue(maxsize=256)  # at most 4 MiB held: the server waits beyond that

    async def take():
        try:
            while True:
                data = await reader.read(CHUNK)
                await queue.put((time.monotonic(), data))
                if not data:
                    return
        except (ConnectionError, OSError):
            await queue.put((time.monotonic(), b""))

    taker = asyncio.ensure_future(take())
    sent, next_at = 0, 0.0
    try:
        while True:
            arrived, data = await queue.get()
            if not data:
                break
            if cut and sent + len(data) > cut:
                data = data[: cut - sent]
            at = max(arrived + delay, first_at, next_at)
            wait = at - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
            sent += len(data)
            if counter:
                counter.total += len(data)
            if rate:
                # The next chunk leaves once this one's share of the rate has passed.
                next_at = max(at, time.monotonic() - 0.05) + len(data) / rate
            if cut and sent >= cut:
                break
    except (ConnectionError, OSError):
        pass
    finally:
        taker.cancel()
        writer.close()


def make_handler(args, counter):
    half = args.rtt / 2000.0

    async def handle(client_reader, client_writer):
        accepted = time.monotonic()
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", args.target)
        except OSError:
            client_writer.close()
            return
        up = asyncio.ensure_future(
            forward(client_reader, server_writer, half, accepted + 3 * half, 0, 0, None))
        await forward(server_reader, client_writer, half, 0.0, args.rate, args.cut, counter)
        server_writer.close()
        up.cancel()

    return handle


async def main():
    p = argparse.ArgumentParser()
    p.add_argument("host")
    p.add_argument("port", type=int)
    p.add_argument("target", type=int)
    p.add_argument("--rate", type=float, default=0)
    p.add_argument("--rtt", type=float, default=0)
    p.add_argument("--cut", type=int, default=0)
    p.add_argument("--count", default="")
    p.add_argument("--pid", default="")
    args = p.parse_args()
    counter = Counter(args.count)
    server = await asyncio.start_server(make_handler(args, counter), args.host, args.port)
    if args.pid:
        with open(args.pid, "w") as f:
            f.write(f"{os.getpid()}\n")
    asyncio.ensure_future(counter.flush_loop())
    async with server:
        await server.serve_forever()


asyncio.run(main())
