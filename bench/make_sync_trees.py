#!/usr/bin/env python3
"""Generates directory trees for the synchronisation benchmark.

  small DIR [--files N] [--per-dir K] [--seed S]   N small files, K to a directory, two levels deep
  delta DIR [--percent P] [--seed S]               changes P% of DIR's files: newer content for most,
                                                   a few removed, as many added
  big DIR [--count C] [--mib M]                    C files of M MiB each
Every file gets a fixed old modification time, so copies of a tree compare equal.
"""
import argparse
import os
import random

OLD_TIME = 1600000000
NEW_TIME = 1700000000


def write(path, data, mtime):
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (mtime, mtime))


def small(args):
    rng = random.Random(args.seed)
    blob = rng.randbytes(8192)
    dirs = max(1, args.files // args.per_dir)
    top = max(1, int(dirs ** 0.5))
    made = 0
    for d in range(dirs):
        path = os.path.join(args.dir, "d%03d" % (d % top), "s%04d" % d)
        os.makedirs(path, exist_ok=True)
        for f in range(args.per_dir):
            if made == args.files:
                break
            size = rng.randint(1, 4096)
            start = rng.randint(0, len(blob) - size)
            write(os.path.join(path, "f%05d.dat" % f), blob[start:start + size], OLD_TIME)
            made += 1
    for d in range(top):
        os.utime(os.path.join(args.dir, "d%03d" % d), (OLD_TIME, OLD_TIME))


def delta(args):
    rng = random.Random(args.seed)
    files = []
    for base, _, names in os.walk(args.dir):
        files.extend(os.path.join(base, n) for n in names)
    files.sort()
    count = len(files) * args.percent // 100
    chosen = rng.sample(files, count)
    removed = count // 6
    for path in chosen[:removed]:
        os.remove(path)
    for path in chosen[removed:count - removed]:
        write(path, rng.randbytes(rng.randint(1, 4096)), NEW_TIME)
    for i, path in enumerate(chosen[count - removed:]):
        write(os.path.join(os.path.dirname(path), "new%05d.dat" % i), rng.randbytes(rng.randint(1, 4096)), NEW_TIME)


def big(args):
    os.makedirs(args.dir, exist_ok=True)
    chunk = random.Random(7).randbytes(16 << 20)
    for i in range(args.count):
        path = os.path.join(args.dir, "big%02d.bin" % i)
        with open(path, "wb") as f:
            for k in range(args.mib // 16):
                # Differing chunks, so no file system can share them.
                f.write(k.to_bytes(8, "little") + chunk[8:])
        os.utime(path, (OLD_TIME, OLD_TIME))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kind", choices=["small", "delta", "big"])
    parser.add_argument("dir")
    parser.add_argument("--files", type=int, default=100000)
    parser.add_argument("--per-dir", type=int, default=100)
    parser.add_argument("--percent", type=int, default=3)
    parser.add_argument("--count", type=int, default=2)
    parser.add_argument("--mib", type=int, default=1024)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    {"small": small, "delta": delta, "big": big}[args.kind](args)


if __name__ == "__main__":
    main()
