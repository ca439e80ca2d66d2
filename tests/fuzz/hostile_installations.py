#!/usr/bin/env python3
"""Hostile installations: every file the program opens, damaged one at a time.

  generate STAGE CORPUS   writes the cases (one folder each) made from the installation in STAGE
  run STAGE CORPUS WORK   runs the program on each case in a copy of STAGE and sorts the outcomes

A case replaces one file (or every file a pattern names) by damaged bytes, a FIFO or a folder,
loose or inside a pack of its own, then runs the screen saver, the wallpaper or the Settings
program on the installation. Allowed outcomes: a clean run (errors in the log are fine), a
fallback, or a clean fatal error with its message. A crash, a sanitizer report, a hang or a run
past its memory bound fails the campaign.
"""

import glob
import json
import os
import random
import re
import shutil
import signal
import stat
import struct
import subprocess
import sys
import time

TW_HEADER = 13  # size (4), magic (5), version (4)
HUGE = 0x7FFFFFFF


# ---------------------------------------------------------------------------------------------
# Damage


def cut(fraction):
    return lambda data, rng: data[: int(len(data) * fraction)]


def keep(count):
    return lambda data, rng: data[:count]


def random_bytes(data, rng):
    return bytes(rng.getrandbits(8) for _ in range(max(len(data), 64)))


def flips(count):
    def damage(data, rng):
        out = bytearray(data)
        for _ in range(count if out else 0):
            out[rng.randrange(len(out))] = rng.getrandbits(8)
        return bytes(out)

    return damage


def put_u32(offset, value):
    def damage(data, rng):
        if len(data) < offset + 4:
            return None
        return data[:offset] + struct.pack("<I", value) + data[offset + 4 :]

    return damage


def tga_huge(data, rng):
    # Run-length coded, 65535 x 65535, the file's own packets after the header.
    if len(data) < 18:
        return None
    header = bytearray(data[:18])
    header[2] = 10
    header[12:16] = struct.pack("<HH", 65535, 65535)
    return bytes(header) + data[18:]


def jpeg_huge(data, rng):
    for marker in (b"\xff\xc0", b"\xff\xc2", b"\xff\xc1"):
        at = data.find(marker)
        if at >= 0 and len(data) > at + 9:
            return data[: at + 5] + struct.pack(">HH", 65500, 65500) + data[at + 9 :]
    return None


def wav_chunk(name, value, field_offset=0):
    def damage(data, rng):
        at = data.find(name)
        if at < 0 or len(data) < at + 8 + field_offset + 2:
            return None
        if field_offset:  # a 16-bit field inside the chunk
            spot = at + 8 + field_offset
            return data[:spot] + struct.pack("<H", value) + data[spot + 2 :]
        return data[: at + 4] + struct.pack("<I", value) + data[at + 8 :]

    return damage


def fsp_count(value):
    def damage(data, rng):
        if not data:
            return None
        at = 1 + data[0]
        return data[:at] + struct.pack("<i", value) + data[at + 4 :]

    return damage


def elf_field(offset, fmt, value):
    def damage(data, rng):
        if len(data) < 64:
            return None
        size = struct.calcsize(fmt)
        return data[:offset] + struct.pack(fmt, value) + data[offset + size :]

    return damage


# Dynamic section tags (elf.h).
DT_NULL, DT_NEEDED, DT_PLTRELSZ, DT_HASH, DT_STRTAB, DT_SYMTAB, DT_RELA, DT_RELASZ = 0, 1, 2, 4, 5, 6, 7, 8
DT_INIT, DT_JMPREL, DT_INIT_ARRAY, DT_INIT_ARRAYSZ = 12, 23, 25, 27
DT_GNU_HASH, DT_VERSYM, DT_VERNEED = 0x6FFFFEF5, 0x6FFFFFF0, 0x6FFFFFFE
PT_LOAD, PT_DYNAMIC, PF_W = 1, 2, 2
FAR_ADDRESS = 0x7FF000000000


def elf_segments(data):
    if len(data) < 64 or data[:4] != b"\x7fELF" or data[4] != 2:
        return []
    phoff, = struct.unpack_from("<Q", data, 32)
    phnum, = struct.unpack_from("<H", data, 56)
    segments = []
    for i in range(phnum):
        at = phoff + i * 56
        if at + 56 > len(data):
            break
        kind, flags, offset, vaddr, _, filesz, memsz, _ = struct.unpack_from("<IIQQQQQQ", data, at)
        segments.append((kind, flags, offset, vaddr, filesz, memsz))
    return segments


def dynamic_entries(data):
    """(file offset, tag, value) of every entry of the dynamic section."""
    for kind, _, offset, _, filesz, _ in elf_segments(data):
        if kind == PT_DYNAMIC:
            return [(at,) + struct.unpack_from("<qQ", data, at)
                    for at in range(offset, min(offset + filesz, len(data)) - 15, 16)]
    return []


def dynamic_entry(tag, value):
    """The library's dynamic section lies: entry `tag` gets `value`."""
    def damage(data, rng):
        for at, entry_tag, _ in dynamic_entries(data):
            if entry_tag == tag:
                return data[:at] + struct.pack("<qQ", tag, value) + data[at + 16:]
        return None

    return damage


def init_into_data(data, rng):
    """An initialiser that points into the writable data segment (or a spare slot made one)."""
    writable = [vaddr for kind, flags, _, vaddr, _, _ in elf_segments(data) if kind == PT_LOAD and flags & PF_W]
    entries = dynamic_entries(data)
    if not writable:
        return None
    slots = [at for at, tag, _ in entries if tag == DT_INIT]
    nulls = [at for at, tag, _ in entries if tag == DT_NULL]
    if not slots and len(nulls) >= 2:
        slots = nulls[:1]
    if not slots:
        return None
    return data[:slots[0]] + struct.pack("<qQ", DT_INIT, writable[0]) + data[slots[0] + 16:]


LYING_DYNAMIC_SECTIONS = [
    ("dynamic-strtab-past-segments", dynamic_entry(DT_STRTAB, FAR_ADDRESS)),
    ("dynamic-symtab-past-segments", dynamic_entry(DT_SYMTAB, FAR_ADDRESS)),
    ("dynamic-gnu-hash-past-segments", dynamic_entry(DT_GNU_HASH, FAR_ADDRESS)),
    ("dynamic-rela-past-segments", dynamic_entry(DT_RELA, FAR_ADDRESS)),
    ("dynamic-rela-size-huge", dynamic_entry(DT_RELASZ, 1 << 40)),
    ("dynamic-jmprel-past-segments", dynamic_entry(DT_JMPREL, FAR_ADDRESS)),
    ("dynamic-plt-rel-size-huge", dynamic_entry(DT_PLTRELSZ, 1 << 40)),
    ("dynamic-versym-past-segments", dynamic_entry(DT_VERSYM, FAR_ADDRESS)),
    ("dynamic-verneed-past-segments", dynamic_entry(DT_VERNEED, FAR_ADDRESS)),
    ("dynamic-init-array-past-segments", dynamic_entry(DT_INIT_ARRAY, FAR_ADDRESS)),
    ("dynamic-init-array-size-huge", dynamic_entry(DT_INIT_ARRAYSZ, 1 << 40)),
    ("dynamic-needed-past-string-table", dynamic_entry(DT_NEEDED, 0x7FFFFFFF)),
    ("dynamic-init-into-data", init_into_data),
]


def text(content):
    return lambda data, rng: content.encode("latin-1")


def long_lines(data, rng):
    return (b"v_mode " + b"9" * 5000 + b"\n" + b"x" * 70000 + b"\n") + data


def registry_with(path):
    return lambda data, rng: (
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0]\nInstallPath=%s\n" % path
    ).encode()


GENERIC = [
    ("empty", keep(0)),
    ("half", cut(0.5)),
    ("last-byte-cut", lambda d, r: d[:-1]),
    ("random", random_bytes),
    ("flipped", flips(24)),
]
ENGINE_FORMAT = GENERIC + [
    ("header-only", keep(TW_HEADER)),
    ("lying-size", put_u32(0, 0xFFFFFFF0)),
    ("lying-count", put_u32(TW_HEADER, HUGE)),
    ("lying-second-count", put_u32(TW_HEADER + 4, HUGE)),
]

# (file pattern relative to the installation, damage list, modes)
SAVER = ("saver", "wallpaper")
TARGETS = [
    ("Data/Models/star.mlf", ENGINE_FORMAT, SAVER),
    ("Data/Models/tank_sand.mlf", ENGINE_FORMAT, SAVER),
    ("Data/Models/tank_grass.otf", [("lying-count", put_u32(TW_HEADER, HUGE)), ("half", cut(0.5))], SAVER),
    ("Data/Models/star.srf", ENGINE_FORMAT, SAVER),
    ("Data/Models/star.otf", ENGINE_FORMAT, SAVER),
    ("Data/Particle Systems/bubbles.psf", ENGINE_FORMAT, SAVER),
    ("Data/Particle Systems/tank_bubbles.srf", ENGINE_FORMAT, SAVER),
    ("Data/Textures/font/font.fnt", ENGINE_FORMAT, ("saver", "settings")),
    ("Data/Textures/font/font.tga", GENERIC + [("huge", tga_huge)], ("saver", "settings")),
    ("Data/Textures/Settings/*.tga", [("half", cut(0.5)), ("huge", tga_huge)], ("settings",)),
    ("Data/Textures/star.jpg", GENERIC + [("huge", jpeg_huge)], SAVER),
    ("Data/Textures/loading.jpg", [("half", cut(0.5)), ("huge", jpeg_huge)], SAVER),
    ("Data/Textures/tank_sand.jpg", [("random", random_bytes), ("huge", jpeg_huge)], SAVER),
    ("Data/Sounds/edit.wav", GENERIC + [
        ("stereo", wav_chunk(b"fmt ", 2, field_offset=2)),
        ("lying-data-size", wav_chunk(b"data", HUGE)),
        ("lying-format-size", wav_chunk(b"fmt ", HUGE)),
    ], ("saver",)),
    ("Data/Sounds/Menu/*.wav", [("half", cut(0.5)), ("stereo", wav_chunk(b"fmt ", 2, field_offset=2))],
     ("settings",)),
    ("Data/Sounds/bubbles.ogg", GENERIC, SAVER),
    ("Data/Coralume.ini", [
        ("empty", keep(0)),
        ("random", random_bytes),
        ("long-lines", long_lines),
        ("numbers", text("g_fish_areas_count 2147483647\ng_fish_area_0_min_x 1e39\ns_volume -1e30\n"
                         "v_mode 0x0x0\nr_gamma nan\n")),
    ], ("saver", "settings")),
    ("Plugins/Shoalmind.dat", GENERIC, SAVER),
    ("Plugins/StarFish.dat", GENERIC + [("speed-cut", lambda d, r: d[:-2])], SAVER),
    ("Plugins/Tank.so", [
        ("empty", keep(0)),
        ("first-3000", keep(3000)),
        ("half", cut(0.5)),
        ("random", random_bytes),
        ("phoff-past-end", elf_field(32, "<Q", 1 << 40)),
        ("phnum-huge", elf_field(56, "<H", 65535)),
    ] + LYING_DYNAMIC_SECTIONS, SAVER),
    ("Plugins/StarFish.so", [("first-3000", keep(3000))], ("wallpaper",)),
    ("Data/FishPacks/*/Fish */fish.dat", GENERIC, SAVER),
    ("Data/FishPacks/*.fsp", [
        ("empty", keep(0)),
        ("random", random_bytes),
        ("huge-count", fsp_count(HUGE)),
        ("negative-count", fsp_count(-5)),
        ("title-past-end", lambda d, r: b"\xff" + d[1:]),
    ], ("saver", "settings")),
    ("Data/fishes.dat", GENERIC + [("lying-packs", put_u32(81, HUGE))], ("saver", "settings")),
]
SPECIALS = ["fifo", "folder"]
SPECIAL_TARGETS = [
    ("Data/Models/star.mlf", SAVER),
    ("Data/Textures/loading.jpg", ("saver",)),
    ("Data/Sounds/bubbles.ogg", ("wallpaper",)),
    ("Data/Coralume.ini", ("saver", "settings")),
    ("Plugins/Tank.so", ("saver",)),
    ("Plugins/StarFish.dat", ("saver",)),
    ("Data/FishPacks/*.fsp", ("settings",)),
    ("Data/fishes.dat", ("saver",)),
]
# Members damaged inside a pack of their own (the loose copy removed).
PACKED = [
    ("Data/Models/star.mlf", [("half", cut(0.5)), ("lying-count", put_u32(TW_HEADER, HUGE))]),
    ("Data/Models/star.otf", [("lying-count", put_u32(TW_HEADER, HUGE))]),
    ("Data/Particle Systems/bubbles.psf", [("random", random_bytes)]),
    ("Data/Textures/font/font.fnt", [("lying-count", put_u32(TW_HEADER, HUGE))]),
    ("Data/Textures/star.jpg", [("huge", jpeg_huge)]),
    ("Data/Textures/font/font.tga", [("huge", tga_huge)]),
    ("Data/Sounds/bubbles.ogg", [("half", cut(0.5))]),
    ("Data/Sounds/edit.wav", [("lying-data-size", wav_chunk(b"data", HUGE))]),
    ("Data/FishPacks/*/Fish */fish.dat", [("half", cut(0.5))]),
]


def write_pack(members):
    """A TWPAK image holding {name: bytes}; everything after the 13-byte header complemented."""
    names = list(members)
    body = struct.pack("<I", len(names))
    for name in names:
        encoded = name.replace("/", "\\").encode() + b"\0"
        body += bytes([len(encoded)]) + encoded
    offset = TW_HEADER + len(body) + 8 * len(names)
    table = b""
    data = b""
    for name in names:
        table += struct.pack("<II", offset + len(data), len(members[name]))
        data += members[name]
    inverted = bytes(b ^ 0xFF for b in body + table + data)
    size = TW_HEADER + len(inverted)
    return struct.pack("<I", size) + b"TWPAK" + struct.pack("<I", 100) + inverted


PACK_DAMAGE = [
    ("pack-truncated", lambda p: p[: len(p) // 2]),
    ("pack-lying-count", lambda p: p[:13] + bytes(b ^ 0xFF for b in struct.pack("<I", HUGE)) + p[17:]),
    ("pack-lying-size", lambda p: struct.pack("<I", 0xFFFFFFFF) + p[4:]),
    ("pack-entry-past-end", None),  # built below
]


# ---------------------------------------------------------------------------------------------
# Generation


def expand(stage, pattern):
    return sorted(os.path.relpath(p, stage) for p in glob.glob(os.path.join(stage, pattern)))


def add_case(corpus, cases, name, recipe, files):
    folder = os.path.join(corpus, "%03d-%s" % (len(cases), re.sub(r"[^A-Za-z0-9.-]+", "_", name)))
    os.makedirs(folder)
    payload = []
    for i, (relative, content) in enumerate(files):
        stored = "payload%d" % i
        if content is not None:
            with open(os.path.join(folder, stored), "wb") as out:
                out.write(content)
        payload.append({"target": relative, "file": stored if content is not None else None})
    recipe = dict(recipe, name=name, files=payload)
    with open(os.path.join(folder, "case.json"), "w") as out:
        json.dump(recipe, out, indent=1)
    cases.append(recipe)


def generate(stage, corpus):
    rng = random.Random(20261208)
    shutil.rmtree(corpus, ignore_errors=True)
    os.makedirs(corpus)
    cases = []

    def read(relative):
        with open(os.path.join(stage, relative), "rb") as f:
            return f.read()

    for pattern, damages, modes in TARGETS:
        targets = expand(stage, pattern)
        if not targets:
            print("hostile: no file matches %s" % pattern, file=sys.stderr)
            continue
        for index, (label, damage) in enumerate(damages):
            files = []
            for relative in targets:
                damaged = damage(read(relative), rng)
                if damaged is not None:
                    files.append((relative, damaged))
            if files:
                mode = modes[index % len(modes)]
                add_case(corpus, cases, "%s %s %s" % (pattern, label, mode),
                         {"action": "replace", "mode": mode}, files)

    for pattern, modes in SPECIAL_TARGETS:
        targets = expand(stage, pattern)
        for index, special in enumerate(SPECIALS):
            mode = modes[index % len(modes)]
            add_case(corpus, cases, "%s %s %s" % (pattern, special, mode),
                     {"action": special, "mode": mode}, [(t, None) for t in targets])

    for pattern, damages in PACKED:
        targets = expand(stage, pattern)
        for index, (label, damage) in enumerate(damages):
            members = {t: damage(read(t), rng) for t in targets}
            mode = SAVER[index % 2]
            add_case(corpus, cases, "packed %s %s %s" % (pattern, label, mode),
                     {"action": "packed", "mode": mode,
                      "pack": "Data/hostile.pak", "members": targets},
                     [("Data/hostile.pak", write_pack(members))])

    # Damaged packs holding sound copies of a few members.
    sound = {t: read(t) for t in ["Data/Models/star.mlf", "Data/Textures/star.jpg"]}
    good = write_pack(sound)
    for index, (label, damage) in enumerate(PACK_DAMAGE):
        if damage is None:
            # The first entry's offset just inside the file and its size far past the end.
            names = b"".join(bytes([len(n) + 1]) + n.replace("/", "\\").encode() + b"\0" for n in sound)
            entry = TW_HEADER + 4 + len(names)
            plain = bytes(b ^ 0xFF for b in good[TW_HEADER:])
            plain = plain[: entry - TW_HEADER + 4] + struct.pack("<I", HUGE) + plain[entry - TW_HEADER + 8 :]
            damaged = good[:TW_HEADER] + bytes(b ^ 0xFF for b in plain)
        else:
            damaged = damage(good)
        add_case(corpus, cases, "Data/hostile.pak %s %s" % (label, SAVER[index % 2]),
                 {"action": "packed", "mode": SAVER[index % 2], "pack": "Data/hostile.pak",
                  "members": list(sound)}, [("Data/hostile.pak", damaged)])
    for index, special in enumerate(SPECIALS):
        add_case(corpus, cases, "Data/hostile.pak %s saver" % special,
                 {"action": special, "mode": "saver"}, [("Data/hostile.pak", None)])

    # The registry file beside the program.
    registry = [
        ("empty", keep(0)),
        ("random", random_bytes),
        ("long-lines", long_lines),
        ("install-path-too-long", registry_with("/" + "x" * 230)),
        ("install-path-missing-folder", registry_with("/nonexistent/coralume")),
    ]
    for index, (label, damage) in enumerate(registry):
        mode = ("saver", "wallpaper")[index % 2]
        add_case(corpus, cases, "registry %s %s" % (label, mode), {"action": "replace", "mode": mode},
                 [("registry", damage(read("registry"), rng))])
    for special in SPECIALS:
        add_case(corpus, cases, "registry %s saver" % special, {"action": special, "mode": "saver"},
                 [("registry", None)])
    print("hostile: %d cases in %s" % (len(cases), corpus))


# ---------------------------------------------------------------------------------------------
# Running

SANITIZER_TEXTS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "ERROR: UndefinedBehaviorSanitizer", "AddressSanitizer:DEADLYSIGNAL")
MEMORY_TEXTS = ("allocation-size-too-big", "out of memory", "rss limit", "allocator is out of memory")
LEAK_SUPPRESSED = ["libGL", "libGLX", "libgallium", "libLLVM", "libEGL", "libX11", "libxcb", "libSDL2",
                   "libopenal", "libdbus", "libfontconfig", "libasound", "_dl_", "swrast", "dri", "libalut",
                   # The dynamic loader's own tables, reached only through thread-local storage.
                   "add_to_global_resize", "allocate_dtv"]


def snapshot(root, relative):
    """Moves the original away; returns where it went (None when there was none)."""
    path = os.path.join(root, relative)
    if not os.path.lexists(path):
        return None
    saved = path + ".hostile-original"
    os.rename(path, saved)
    return saved


def restore(root, relative, saved):
    path = os.path.join(root, relative)
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path)
    elif os.path.lexists(path):
        os.remove(path)
    if saved:
        os.rename(saved, path)


def apply_case(install, case_folder, recipe):
    undo = []
    for item in recipe["files"]:
        saved = snapshot(install, item["target"])
        undo.append((item["target"], saved))
        path = os.path.join(install, item["target"])
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if recipe["action"] == "fifo":
            os.mkfifo(path)
        elif recipe["action"] == "folder":
            os.makedirs(path)
        else:
            shutil.copyfile(os.path.join(case_folder, item["file"]), path)
    for member in recipe.get("members", []):  # read from the pack only
        undo.append((member, snapshot(install, member)))
    return undo


def command_for(install, mode, seconds):
    program = os.path.join(install, "coralume")
    if mode == "saver":
        return [program, "-window", "--demo-seconds", str(seconds)], False
    if mode == "wallpaper":
        return [program, "-root", "--demo-seconds", str(seconds)], False
    return [os.path.join(install, "Settings"), install], True


def run_one(install, recipe, seconds, timeout, suppressions):
    for log in glob.glob(os.path.join(install, "**", "*.html"), recursive=True):
        os.remove(log)
    command, stopped_by_signal = command_for(install, recipe["mode"], seconds)
    env = dict(os.environ)
    home = os.path.join(install, "home")
    shutil.rmtree(home, ignore_errors=True)  # every case starts as a new user
    env.update({
        # The user's folders (settings, logs, pictures) lie inside the case's installation.
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, "config"),
        "XDG_STATE_HOME": os.path.join(home, "state"),
        "XDG_PICTURES_DIR": os.path.join(home, "pictures"),
        "CORALUME_REGISTRY": os.path.join(install, "registry"),
        "CORALUME_NO_MESSAGE_BOXES": "1",
        "ALSOFT_DRIVERS": "null",
        "LIBGL_ALWAYS_SOFTWARE": "1",
        # Memory stays bounded: a run past these limits is a sanitizer report.
        "ASAN_OPTIONS": "detect_leaks=1:hard_rss_limit_mb=3072:max_allocation_size_mb=1536:"
                        "allocator_may_return_null=0:abort_on_error=0:exitcode=86",
        "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1:exitcode=87",
        # Thread-local storage is not scanned: the leak checker's walk over the dynamic TLS blocks
        # of libraries opened at run time can read a stale slot and crash ("Tracer caught signal
        # 11"), depending on the memory layout (the installation's path length changes it).
        "LSAN_OPTIONS": "suppressions=%s:print_suppressions=0:use_tls=0:exitcode=88" % suppressions,
    })
    started = time.time()
    process = subprocess.Popen(command, cwd=install, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, process_group=0)
    hung = False
    try:
        output, _ = process.communicate(timeout=seconds + 2 if stopped_by_signal else timeout)
    except subprocess.TimeoutExpired:
        if stopped_by_signal:
            # The Settings program runs until it is told to stop: SIGTERM must end it cleanly.
            os.killpg(process.pid, signal.SIGTERM)
            try:
                output, _ = process.communicate(timeout=timeout)
            except subprocess.TimeoutExpired:
                hung = True
        else:
            hung = True
        if hung:
            os.killpg(process.pid, signal.SIGKILL)
            output, _ = process.communicate()
    elapsed = time.time() - started
    output = output.decode("latin-1")
    logs = ""
    for log in glob.glob(os.path.join(install, "**", "*.html"), recursive=True):
        with open(log, "rb") as f:
            logs += f.read().decode("latin-1")
    status = process.returncode

    if hung:
        outcome = "HANG"
    elif any(t in output for t in MEMORY_TEXTS):
        outcome = "MEMORY"
    elif any(t in output for t in SANITIZER_TEXTS) or status in (86, 87, 88):
        outcome = "SANITIZER"
    elif status < 0:
        outcome = "CRASH (signal %d)" % -status
    elif status == 0:
        errors = len(re.findall(r"Error", logs))
        outcome = "clean, %d errors logged" % errors if errors else "clean"
    elif status == 1 and ("Fatal Error:" in output or "Settings:" in output or "PROGRAM ABORTING" in logs
                          or "Coralume:" in output):
        outcome = "fatal error with message"
    else:
        outcome = "EXIT %d" % status
    return outcome, elapsed, output, logs


def report_excerpt(output, lines=40):
    """The sanitizer's report (from its first line on), else the end of the output."""
    text = output.splitlines()
    for index, line in enumerate(text):
        if any(t in line for t in SANITIZER_TEXTS + MEMORY_TEXTS):
            return "\n".join(text[max(0, index - 5):index + lines])
    return "\n".join(text[-lines:])


# Cases that still fail, with why; each stays listed in the output until it is mended.
KNOWN_FAILURES = {}


def run(stage, corpus, work, seconds, timeout, budget, only):
    install = os.path.join(work, "install")
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(stage, install, symlinks=True)
    with open(os.path.join(install, "registry"), "w") as out:
        out.write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0]\nInstallPath=%s\n"
                  "[HKEY_LOCAL_MACHINE\\Software\\Vantorin\\Coralume]\nVersion=100\n" % install)
    suppressions = os.path.join(work, "lsan.supp")
    with open(suppressions, "w") as out:
        out.write("".join("leak:%s\n" % name for name in LEAK_SUPPRESSED))
    failures_folder = os.path.join(work, "failures")
    os.makedirs(failures_folder)

    folders = sorted(f for f in os.listdir(corpus) if os.path.isfile(os.path.join(corpus, f, "case.json")))
    if only:
        folders = [f for f in folders if re.search(only, f)]
    started = time.time()
    results = []
    excerpts = []
    # The untouched installation first: every mode must run clean before anything is damaged.
    baseline = [{"name": "sound installation %s" % m, "mode": m, "files": [], "action": "replace"}
                for m in ("saver", "wallpaper", "settings")]
    for recipe, folder in [(b, None) for b in baseline] + [(None, f) for f in folders]:
        if time.time() - started > budget:
            print("hostile: time budget of %d s spent; %d cases not run" % (budget, len(folders) + 3 - len(results)))
            break
        if recipe is None:
            with open(os.path.join(corpus, folder, "case.json")) as f:
                recipe = json.load(f)
        undo = apply_case(install, os.path.join(corpus, folder) if folder else None, recipe)
        try:
            outcome, elapsed, output, logs = run_one(install, recipe, seconds, timeout, suppressions)
        finally:
            for target, saved in reversed(undo):
                restore(install, target, saved)
        failed = outcome.isupper() or outcome.startswith(("CRASH", "EXIT"))
        if failed and recipe["name"] in KNOWN_FAILURES:
            outcome += " (known, open: %s)" % KNOWN_FAILURES[recipe["name"]]
            failed = False
        results.append((recipe["name"], outcome, failed))
        print("%-70s %6.1fs  %s" % (recipe["name"][:70], elapsed, outcome), flush=True)
        if failed:
            name = re.sub(r"[^A-Za-z0-9.-]+", "_", recipe["name"])
            with open(os.path.join(failures_folder, name + ".txt"), "w") as out:
                out.write(output + "\n----- log -----\n" + logs)
            excerpts.append((recipe["name"], report_excerpt(output)))

    counts = {}
    for _, outcome, _ in results:
        key = re.sub(r", \d+ errors logged", ", errors logged", outcome)
        counts[key] = counts.get(key, 0) + 1
    print("hostile: %d cases in %.0f s" % (len(results), time.time() - started))
    for key in sorted(counts):
        print("  %4d  %s" % (counts[key], key))
    failed = [name for name, _, bad in results if bad]
    if failed:
        print("hostile: %d failed (outputs in %s):" % (len(failed), failures_folder))
        for name in failed:
            print("  " + name)
        # The reports themselves, so that a run whose folders are gone can still be read.
        for name, excerpt in excerpts:
            print("----- %s -----\n%s" % (name, excerpt))
        return 1
    return 0


def main(argv):
    if len(argv) >= 3 and argv[0] == "generate":
        generate(argv[1], argv[2])
        return 0
    if len(argv) >= 4 and argv[0] == "run":
        seconds = int(os.environ.get("HOSTILE_SECONDS", "1"))
        timeout = int(os.environ.get("HOSTILE_TIMEOUT", "90"))
        budget = int(os.environ.get("HOSTILE_BUDGET", "1200"))
        return run(argv[1], argv[2], argv[3], seconds, timeout, budget, os.environ.get("HOSTILE_ONLY"))
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
