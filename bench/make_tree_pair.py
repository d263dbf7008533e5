#!/usr/bin/env python3
"""Makes a pair of directory trees for the benchmarks.

make_tree_pair.py OUT [--files N] [--differ FRACTION]

OUT/one holds N small files in nested directories; OUT/two is the same tree
with about FRACTION of the names differing: a third of them newer in two, a
third only in one, a third only in two. Times are set explicitly, so equal
files compare equal. Leaves an existing complete pair alone.
"""
import argparse
import os
import random
import shutil


def tree_paths(count):
    # 20 top directories, 10 subdirectories each, files spread evenly.
    per_dir = max(1, count // 200)
    paths = []
    i = 0
    for top in range(20):
        for sub in range(10):
            for _ in range(per_dir):
                if i >= count:
                    return paths
                paths.append(f"d{top:02d}/s{sub:02d}/file_{i:07d}.dat")
                i += 1
    while i < count:
        paths.append(f"file_{i:07d}.dat")
        i += 1
    return paths


def write(root, rel, content, mtime):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(content)
    os.utime(path, (mtime, mtime))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--files", type=int, default=100000)
    ap.add_argument("--differ", type=float, default=0.03)
    args = ap.parse_args()
    marker = os.path.join(args.out, f".complete-{args.files}-{args.differ}")
    if os.path.exists(marker):
        return
    shutil.rmtree(args.out, ignore_errors=True)
    one = os.path.join(args.out, "one")
    two = os.path.join(args.out, "two")
    rnd = random.Random(42)
    base = 1600000000
    paths = tree_paths(args.files)
    changed = set(rnd.sample(range(len(paths)), int(len(paths) * args.differ)))
    for k, rel in enumerate(paths):
        content = (rel * (1 + k % 7)).encode()[: 100 + k % 900]
        write(one, rel, content, base + k)
        if k in changed:
            kind = k % 3
            if kind == 0:
                write(two, rel, content + b"!", base + k + 100)  # newer in two
            elif kind == 1:
                pass  # only in one
            else:
                write(two, rel.replace("file_", "extra_"), content, base + k)  # only in two
                write(one, rel, content, base + k)
                write(two, rel, content, base + k)
        else:
            write(two, rel, content, base + k)
    # Directory times differ from run to run; rsync compares only file data here.
    open(marker, "w").close()


if __name__ == "__main__":
    main()
