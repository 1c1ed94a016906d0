#!/usr/bin/env python3
"""Fails when a file under src/ includes a header of a component it must not depend on.

The libraries are layered bottom up: core, platform (interfaces only), keys, ax, capture, app, ui.
A library may include its own headers and those of the libraries below it. The backends (sim,
linux) stand on the interfaces and are reached only through the factory, which only the programs
and the tests link; the offline rules engine stands on core alone, and the service on core and the
rules engine. The service is in rooms too: the HTTP room (connections, framing) stands on core
alone, the store on core, the engines on core, the rules engine and the HTTP room (to read an
upstream's answers), and the API on all three; only the service's top joins them.
Usage: check_layering.py SRC_DIR
"""
import pathlib
import re
import sys

LIBRARIES = ["core", "platform", "keys", "ax", "capture", "app", "ui"]
BACKENDS = ["platform/sim", "platform/linux"]

ALLOWED = {name: set(LIBRARIES[: index + 1]) for index, name in enumerate(LIBRARIES)}
for backend in BACKENDS:
    ALLOWED[backend] = {"core", "platform", backend}
ALLOWED["platform/factory"] = {"core", "platform", "platform/factory", *BACKENDS}
ALLOWED["rules"] = {"core", "rules"}
ALLOWED["server"] = {"core", "rules", "server"}
# The service's top holds what every room shares (its errors, the hand-over between threads) and
# the composition root; a room may use that, its own headers and the rooms listed here.
SERVER_ROOMS = {
    "http": set(),
    "store": set(),
    "engines": {"rules", "server/http"},
    "api": {"server/http", "server/store", "server/engines"},
}
for room, others in SERVER_ROOMS.items():
    ALLOWED[f"server/{room}"] = {"core", "server", f"server/{room}"} | others
# The HTTP room knows nothing of the service it carries.
ALLOWED["server/http"].discard("server")
ALLOWED["server"] |= {f"server/{room}" for room in SERVER_ROOMS}
# The programs may use any library and, through the factory or for the demo, a backend.
PROGRAM_DEPENDENCIES = set(LIBRARIES) | set(BACKENDS) | {"platform/factory"}
ALLOWED["cli"] = PROGRAM_DEPENDENCIES | {"cli"}
ALLOWED["desktop"] = PROGRAM_DEPENDENCIES | {"desktop"}

# The Linux backend is in rooms by technology. A room stands on the interfaces and core alone (the
# session probe also on the Wayland room); only the backend's top joins the rooms.
LINUX_ROOMS = ["atspi", "x11", "wayland", "session", "gnome", "portal"]
for room in LINUX_ROOMS:
    ALLOWED[f"platform/linux/{room}"] = {"core", "platform", f"platform/linux/{room}"}
# The session probe asks the compositor through the Wayland room's connection.
ALLOWED["platform/linux/session"].add("platform/linux/wayland")
ALLOWED["platform/linux"] |= {f"platform/linux/{room}" for room in LINUX_ROOMS}
for user in ["platform/factory", "cli", "desktop"]:
    ALLOWED[user] |= {f"platform/linux/{room}" for room in LINUX_ROOMS}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def component(relative: str) -> str:
    """The component a path below src/ (or an include path) belongs to."""
    parts = relative.split("/")
    if parts[:2] == ["platform", "linux"] and len(parts) > 3 and f"platform/linux/{parts[2]}" in ALLOWED:
        return f"platform/linux/{parts[2]}"
    if parts[0] == "server" and len(parts) > 2 and f"server/{parts[1]}" in ALLOWED:
        return f"server/{parts[1]}"
    if parts[0] == "platform" and len(parts) > 2 and f"platform/{parts[1]}" in ALLOWED:
        return f"platform/{parts[1]}"
    return parts[0]


def main() -> int:
    source = pathlib.Path(sys.argv[1])
    violations = []
    for path in sorted(source.rglob("*")):
        if path.suffix not in {".h", ".cpp"}:
            continue
        owner = component(path.relative_to(source).as_posix())
        if owner not in ALLOWED:
            violations.append(f"{path}: component '{owner}' has no place in the layering")
            continue
        for included in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if "/" not in included:
                continue  # a header next to the file, e.g. a generated one
            target = component(included)
            if target not in ALLOWED[owner]:
                violations.append(f"{path}: '{owner}' must not include \"{included}\" ('{target}')")
    for line in violations:
        print(line)
    if violations:
        print(f"{len(violations)} forbidden include(s)")
        return 1
    print("layering: every include follows the architecture")
    return 0


if __name__ == "__main__":
    sys.exit(main())
