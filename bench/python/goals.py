"""The Python module's goals, measured: reading a 24-megapixel BLZ into numpy against the
command line and Pillow, threads, a Dask cluster against vantrel-cli --jobs, and a worker's
memory while converting one picture.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/goals.py PHOTO.blz CLI [GOAL...]

PHOTO.blz is a photo-like picture from vantrel-bench's maker (scripts/bench-python makes it);
CLI is vantrel-cli; GOAL names the goals to measure (reading, threads, dask, memory), all of
them when none is named. Every figure is the median of 7 runs; the Dask goal's 21 conversions
of 200 pictures alone take some ten minutes on a busy two-core machine.
"""

import io
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import numpy

import vantrel

RUNS = 7


def median_seconds(work, runs=RUNS):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def interleaved(works, runs=RUNS):
    """Medians of `works` (name → callable), run in turn so that load hits them alike."""
    times = {name: [] for name in works}
    for _ in range(runs):
        for name, work in works.items():
            start = time.perf_counter()
            work()
            times[name].append(time.perf_counter() - start)
    return {name: statistics.median(values) for name, values in times.items()}


def report(goal, figure, holds):
    print(f"{'met ' if holds else 'MISS'}  {goal}: {figure}", flush=True)


def reading(photo, cli):
    from PIL import Image

    pixels = numpy.asarray(vantrel.open(photo))
    png = io.BytesIO()
    Image.fromarray(pixels).save(png, format="PNG")
    png_bytes = png.getvalue()
    with open(os.devnull, "wb") as null:
        medians = interleaved({
            "numpy": lambda: numpy.asarray(vantrel.open(photo)),
            "cli": lambda: subprocess.run([cli, "convert", "--to", "pam", photo, "-"],
                                          stdout=null, check=True),
            "pillow": lambda: numpy.asarray(Image.open(io.BytesIO(png_bytes))),
        })
    height, width = pixels.shape[:2]
    report(f"numpy.asarray(vantrel.open) of {width}x{height} within 1.2x of vantrel-cli "
           "convert --to pam",
           f"{medians['numpy'] * 1000:.0f} ms against {medians['cli'] * 1000:.0f} ms "
           f"({medians['numpy'] / medians['cli']:.2f}x)",
           medians["numpy"] <= 1.2 * medians["cli"])
    report("at least 3x faster than Pillow opening a PNG at its default",
           f"Pillow {medians['pillow'] * 1000:.0f} ms ({medians['pillow'] / medians['numpy']:.1f}x)",
           medians["pillow"] >= 3 * medians["numpy"])
    return pixels


def crops(pixels, count, height, width, folder):
    """`count` BLZ files cut from the photo, each a different part of it."""
    names = []
    rows, cols = pixels.shape[0] - height, pixels.shape[1] - width
    for index in range(count):
        y, x = (index * 7919) % rows, (index * 104729) % cols
        name = os.path.join(folder, f"crop{index:03}.blz")
        vantrel.save(numpy.ascontiguousarray(pixels[y:y + height, x:x + width]), name)
        names.append(name)
    return names


def threads(files):
    vantrel.set_threads(1)
    decode = lambda name: numpy.asarray(vantrel.open(name))  # noqa: E731

    def pace(seconds, busy):
        """Python loop turns per second, while `busy` threads decode."""
        stop = threading.Event()

        def decoding():
            while not stop.is_set():
                for name in files:
                    decode(name)

        others = [threading.Thread(target=decoding) for _ in range(busy)]
        for thread in others:
            thread.start()
        turns, end = 0, time.perf_counter() + seconds
        while time.perf_counter() < end:
            turns += 1
        stop.set()
        for thread in others:
            thread.join()
        return turns / seconds

    alone = statistics.median(pace(0.5, 0) for _ in range(RUNS))
    beside = statistics.median(pace(0.5, 1) for _ in range(RUNS))
    report("with set_threads(1) a Python thread keeps half its pace beside a decoding thread",
           f"{beside / alone:.2f} of its pace", beside >= 0.5 * alone)

    # How many cores the process had while two threads decoded: on a machine busy with other
    # work it may be fewer than two, and no code can then go 1.6x faster.
    cores = []

    def decode_all(workers):
        start, cpu = time.perf_counter(), time.process_time()
        with ThreadPoolExecutor(workers) as pool:
            list(pool.map(decode, files))
        if workers == 2:
            cores.append((time.process_time() - cpu) / (time.perf_counter() - start))

    medians = interleaved({1: lambda: decode_all(1), 2: lambda: decode_all(2)})
    report(f"2 threads decode {len(files)} files at least 1.6x faster than 1",
           f"{medians[1] * 1000:.0f} ms against {medians[2] * 1000:.0f} ms "
           f"({medians[1] / medians[2]:.2f}x; the process had {statistics.median(cores):.1f} "
           "cores while 2 threads decoded)", medians[1] >= 1.6 * medians[2])
    vantrel.set_threads(0)


def dask(files, cli, folder):
    import vantrel.batch
    from dask.distributed import Client, LocalCluster

    def fresh(name):
        out = os.path.join(folder, name)
        shutil.rmtree(out, ignore_errors=True)
        return out

    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        vantrel.batch.convert(files[:2], fresh("warm"), client=client)
        medians = interleaved({
            "jobs 1": lambda: subprocess.run([cli, "convert", "-q", "--jobs", "1", "--to", "png",
                                              "--out-dir", fresh("cli"), *files], check=True),
            "jobs 2": lambda: subprocess.run([cli, "convert", "-q", "--jobs", "2", "--to", "png",
                                              "--out-dir", fresh("cli"), *files], check=True),
            "dask": lambda: vantrel.batch.convert(files, fresh("dask"), client=client),
        })
    cli_gain = medians["jobs 1"] / medians["jobs 2"]
    dask_gain = medians["jobs 1"] / medians["dask"]
    report(f"2 Dask workers converting {len(files)} pictures to PNG get 90 % of --jobs 2's "
           "speed-up",
           f"--jobs 1 {medians['jobs 1']:.2f} s, --jobs 2 {medians['jobs 2']:.2f} s "
           f"({cli_gain:.2f}x), Dask {medians['dask']:.2f} s ({dask_gain:.2f}x, "
           f"{100 * dask_gain / cli_gain:.0f} %)", dask_gain >= 0.9 * cli_gain)


def memory(photo, folder):
    # The peak is the process's own (VmHWM): ru_maxrss would also count the parent's memory
    # that the child shared until it started python3.
    script = f"""if True:
        import vantrel
        from vantrel import _vantrel
        def status(field):
            for line in open("/proc/self/status"):
                if line.startswith(field + ":"):
                    return int(line.split()[1]) * 1024
        before = status("VmRSS")
        _vantrel.convert_file({photo!r}, {os.path.join(folder, "photo.png")!r}, "png")
        print(status("VmHWM") - before)
    """
    grown = int(subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                               check=True).stdout)
    picture = vantrel.open(photo)
    bound = 2 * picture.width * picture.height * 3 + (64 << 20)
    report("a worker grows by at most 2 x width x height x channels + 64 MB converting one "
           "picture", f"{grown >> 20} MB, bound {bound >> 20} MB", grown <= bound)


def main():
    photo, cli = sys.argv[1], sys.argv[2]
    goals = set(sys.argv[3:]) or {"reading", "threads", "dask", "memory"}
    load = "load average %.2f %.2f %.2f on %d cores"
    print(load % (*os.getloadavg(), os.cpu_count()), flush=True)
    with tempfile.TemporaryDirectory() as folder:
        pixels = reading(photo, cli) if "reading" in goals else numpy.asarray(vantrel.open(photo))
        if "threads" in goals:
            threads(crops(pixels, 40, 1200, 1600, folder))
        if "dask" in goals:
            small = os.path.join(folder, "small")
            os.makedirs(small)
            dask(crops(pixels, 200, 480, 640, small), cli, folder)
        if "memory" in goals:
            memory(photo, folder)
    print(load % (*os.getloadavg(), os.cpu_count()))


if __name__ == "__main__":
    main()
