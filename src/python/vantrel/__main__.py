"""python3 -m vantrel convert [--scheduler ADDRESS] --out-dir DIR [--to png|bmp|blz]
[--layout packed|stream] [-r] SOURCES...: vantrel.batch.convert from the shell."""

import argparse
import sys


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m vantrel",
                                     description="Convert pictures on a Dask cluster.")
    commands = parser.add_subparsers(dest="command", required=True)
    convert = commands.add_parser("convert", help="convert files and folders into a folder")
    convert.add_argument("--scheduler", help="the Dask scheduler's address "
                         "(tcp://host:8786); without it, a local cluster")
    convert.add_argument("--out-dir", required=True, help="the output folder")
    convert.add_argument("--to", default="png", choices=["png", "bmp", "blz"])
    convert.add_argument("--layout", default="packed", choices=["packed", "stream"])
    convert.add_argument("-r", "--recursive", action="store_true", help="walk subfolders too")
    convert.add_argument("sources", nargs="+", metavar="SOURCE")
    options = parser.parse_args(argv)

    from dask.distributed import Client

    from . import batch

    client = Client(options.scheduler) if options.scheduler else None
    try:
        results = batch.convert(options.sources, options.out_dir, to=options.to,
                                client=client, recursive=options.recursive,
                                layout=options.layout, progress=sys.stdout.isatty())
    finally:
        if client is not None:
            client.close()
    failed = [r for r in results if r["error"]]
    skipped = sum(1 for r in results if r["skipped"])
    for result in failed:
        print(f"{result['source']}: {result['error']}", file=sys.stderr)
    print(f"{len(results) - len(failed) - skipped} converted, {skipped} already done, "
          f"{len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
