"""Whole archives on a Dask cluster: every file converted (or measured) by one task per small
group of files, on a dask.distributed client.

    >>> from dask.distributed import Client
    >>> import vantrel.batch
    >>> results = vantrel.batch.convert(["/archive/scans"], "/archive/png",
    ...                                 client=Client("tcp://scheduler:8786"), recursive=True)
    >>> [r for r in results if r["error"]]

Sources and the output folder must be on a file system every worker sees at the same path.
Outputs are named as `vantrel-cli convert --out-dir` names them, and written under a
temporary name then renamed, so a worker killed half-way leaves no partial file and its task
runs again elsewhere. An output that exists already counts as done and is skipped, so a
second run only does what the first left. A file that fails is listed with its reason and
the others go on. Without a client a local cluster of one worker process per core is used.
"""

import functools
import os

from . import _vantrel

# A group closes at this many input bytes or files: small files share a task, so the
# scheduler's cost per task stays small next to the work.
_GROUP_BYTES = 8 << 20
_GROUP_FILES = 8
_FORMATS = {"png": ("png", "png"), "bmp": ("bmp", "bmp"), "blz": ("blz", "blz")}
_PART = ".vantrel-part"


def _part_name(output):
    folder, name = os.path.split(output)
    return os.path.join(folder, "." + name + _PART)


def _result(source, output, bytes_in, bytes_out=0, error=None, skipped=False):
    return {"source": source, "output": output, "bytes_in": bytes_in, "bytes_out": bytes_out,
            "error": error, "skipped": skipped}


def _convert_one(source, output, size, format):
    if os.path.exists(output):
        return _result(source, output, size, os.path.getsize(output), skipped=True)
    part = _part_name(output)
    try:
        os.makedirs(os.path.dirname(output) or ".", exist_ok=True)
        bytes_in, bytes_out = _vantrel.convert_file(source, part, format)
        os.replace(part, output)
        return _result(source, output, bytes_in, bytes_out)
    except (_vantrel.Error, OSError) as failure:
        if os.path.exists(part):
            os.unlink(part)
        text = failure.strerror if isinstance(failure, OSError) and failure.strerror else failure
        return _result(source, output, size, error=str(text))


def _convert_group(group, format):
    return [_convert_one(source, output, size, format) for source, output, size in group]


def _info_group(group):
    import json

    results = []
    for source, _, size in group:
        try:
            results.append(json.loads(_vantrel.info_json(source, None))[0])
        except (_vantrel.Error, OSError) as failure:
            results.append({"file": source, "error": str(failure), "disk_bytes": size})
    return results


def _prepare_worker():
    try:
        _vantrel.prepare_threads()
    except _vantrel.Error:
        pass


def _groups(items):
    group, weight = [], 0
    for item in items:
        group.append(item)
        weight += item[2]
        if weight >= _GROUP_BYTES or len(group) >= _GROUP_FILES:
            yield group
            group, weight = [], 0
    if group:
        yield group


def _run(client, work, groups, progress):
    """Results of `work` over the groups, in the groups' order, on `client` or a local one."""
    from dask.distributed import Client, LocalCluster

    own = None
    if client is None:
        own = Client(LocalCluster(processes=True, threads_per_worker=1))
        client = own
    try:
        # Drawing a metafile's text needs Qt's application, which only a worker's main
        # thread (where client.run runs) can start; without the input module, no metafile
        # is read at all, and its tasks say so.
        client.run(_prepare_worker)
        futures = [client.submit(work, group, pure=False) for group in groups]
        if progress:
            from dask.distributed import progress as show_progress

            show_progress(futures)
        return [result for group_results in client.gather(futures) for result in group_results]
    finally:
        if own is not None:
            own.close()
            own.cluster.close()


def convert(sources, out_dir, to="png", client=None, recursive=False, layout="packed",
            progress=False):
    """Convert every file of `sources` (files, and folders whose pictures are taken) into
    `out_dir` as `to` ("png", "bmp" or "blz"; `layout` "packed" or "stream" for BLZ).

    Returns one dict per file: source, output, bytes_in, bytes_out, error (None, or why the
    file failed or was refused) and skipped (True when the output existed already).
    """
    if to not in _FORMATS:
        raise ValueError("to is png, bmp or blz, not " + repr(to))
    if layout not in ("packed", "stream"):
        raise ValueError('layout is "packed" or "stream", not ' + repr(layout))
    extension, format = _FORMATS[to]
    if to == "blz" and layout == "stream":
        format = "blz-stream"
    out_dir = os.path.abspath(os.fspath(out_dir))
    items, refused, _ = _vantrel.plan_batch([os.path.abspath(os.fspath(s)) for s in sources],
                                            out_dir, recursive, extension)
    results = _run(client, functools.partial(_convert_group, format=format),
                   list(_groups(items)), progress)
    # A task cut short leaves its part file behind only until the retry writes it again.
    for _, output, _ in items:
        if os.path.exists(_part_name(output)):
            os.unlink(_part_name(output))
    return results + [_result(source, None, 0, error=reason) for source, reason in refused]


def info(sources, client=None, recursive=False, progress=False):
    """`vantrel.info` of every file of `sources` (files and folders): one dict per file as
    `vantrel-cli info --json` gives it, or {"file", "error", "disk_bytes"} for a failure."""
    items, refused, _ = _vantrel.plan_batch([os.path.abspath(os.fspath(s)) for s in sources],
                                            os.getcwd(), recursive, "info")
    # Names that would collide as outputs are no trouble when nothing is written.
    items += [(source, None, 0) for source, _ in refused]
    return _run(client, _info_group, list(_groups(items)), progress)
