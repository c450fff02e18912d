#!/usr/bin/env python3
"""TCP relay for the download benchmark: listens on 127.0.0.1:LISTEN, forwards
to 127.0.0.1:TARGET, and cuts every connection after CUT bytes from the
server (0: never). Prints nothing; runs until killed."""
import asyncio
import sys

LISTEN, TARGET, CUT = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])


async def pipe(reader, writer, limit):
    sent = 0
    try:
        while True:
            data = await reader.read(1 << 20)
            if not data:
                break
            if limit and sent + len(data) >= limit:
                writer.write(data[: limit - sent])
                await writer.drain()
                break
            writer.write(data)
            sent += len(data)
            await writer.drain()
    except (ConnectionError, OSError):
        pass
    finally:
        writer.close()


async def handle(client_reader, client_writer):
    try:
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", TARGET)
    except OSError:
        client_writer.close()
        return
    up = asyncio.create_task(pipe(client_reader, server_writer, 0))
    await pipe(server_reader, client_writer, CUT)
    server_writer.close()
    up.cancel()


async def main():
    server = await asyncio.start_server(handle, "127.0.0.1", LISTEN)
    async with server:
        await server.serve_forever()


asyncio.run(main())
