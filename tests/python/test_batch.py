"""vantrel.batch on a local cluster of two worker processes: a worker killed during the run,
every output present once and whole, a damaged file listed with its reason, a second run
skipping what is done."""

import os
import signal
import threading
import time

import numpy
import PIL.Image
import pytest

import vantrel
import vantrel.batch
from conftest import DATA

distributed = pytest.importorskip("dask.distributed")


@pytest.fixture(scope="module")
def client():
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                       dashboard_address=None)
    with distributed.Client(cluster) as client:
        yield client
    cluster.close()


def make_folder(folder, count):
    rng = numpy.random.default_rng(3)
    pictures = {}
    for index in range(count):
        pixels = rng.integers(0, 256, (480, 640, 3), numpy.uint8)
        vantrel.save(pixels, folder / f"p{index:02}.blz", layout="stream")
        pictures[f"p{index:02}"] = pixels
    (folder / "damaged.blz").write_bytes(
        (DATA / "regressions/blz_streaming/stream-truncated.blz").read_bytes())
    return pictures


def kill_a_worker_once_work_shows(client, out_dir):
    """Kills one worker process as soon as the first output appears."""
    pids = client.run(os.getpid)
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline and not any(out_dir.glob("*.png")):
        time.sleep(0.01)
    os.kill(next(iter(pids.values())), signal.SIGKILL)


def test_a_folder_converts_through_a_killed_worker_and_reruns_as_done(client, tmp_path):
    sources, out_dir = tmp_path / "in", tmp_path / "out"
    sources.mkdir()
    pictures = make_folder(sources, 24)
    killer = threading.Thread(target=kill_a_worker_once_work_shows, args=(client, out_dir))
    killer.start()
    results = vantrel.batch.convert([sources], out_dir, to="png", client=client)
    killer.join()

    failed = {os.path.basename(r["source"]): r["error"] for r in results if r["error"]}
    assert list(failed) == ["damaged.blz"] and failed["damaged.blz"]
    assert sorted(os.listdir(out_dir)) == sorted(f"{name}.png" for name in pictures)
    for name, pixels in pictures.items():
        assert numpy.array_equal(numpy.asarray(PIL.Image.open(out_dir / f"{name}.png")), pixels)
    done = [r for r in results if not r["error"]]
    assert all(r["bytes_out"] == os.path.getsize(r["output"]) for r in done)

    again = vantrel.batch.convert([sources], out_dir, to="png", client=client)
    assert sorted(r["skipped"] for r in again) == [False] + [True] * len(pictures)
