#!/usr/bin/python3
"""How many pages a document has as the office loads it and lays it out in a view, for the fidelity
benchmark, which sets that beside the pages of the office's own PDF export of the same file.

Usage: loaded_pages.py --soffice CMD --profile DIR FILE...
Prints one JSON object: {FILE: pages, ...}; a file the office does not load is left out. The count is
the view's own (endnote pages included), taken after the office has laid every page out, as the split
takes it. Starts one headless office with the profile and a pipe of its own and stops it by its process
id. Needs Debian's python3-uno, hence the system interpreter.
"""
import argparse
import hashlib
import json
import os
import shlex
import signal
import stat
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue


def property_value(name, value):
    prop = PropertyValue()
    prop.Name = name
    prop.Value = value
    return prop


def connect(pipe, office, seconds=60):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.monotonic() + seconds
    while True:
        try:
            return resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
        except Exception:
            if office.poll() is not None or time.monotonic() > deadline:
                raise
            time.sleep(0.25)


def loaded_pages(context, path):
    manager = context.ServiceManager
    desktop = manager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
    document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
                                            (property_value("Hidden", True), property_value("ReadOnly", True)))
    try:
        controller = document.getCurrentController()
        dispatcher = manager.createInstanceWithContext("com.sun.star.frame.DispatchHelper", context)
        # Tools > Update > Page Formatting, then every field updated as printing does and the pages
        # formatted again, as the split does before it counts.
        dispatcher.executeDispatch(controller.getFrame(), ".uno:Repaginate", "", 0, ())
        document.getTextFields().refresh()
        dispatcher.executeDispatch(controller.getFrame(), ".uno:Repaginate", "", 0, ())
        return controller.PageCount
    finally:
        document.close(True)


def stop(office, pipe, profile_url):
    """Stops the office by its process group. A killed office leaves the sockets of its pipe and of its
    profile, named as the office names them (the profile's by the MD5 of its URL in UTF-16, each byte in
    hexadecimal without a leading zero): removed here."""
    try:
        os.killpg(office.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    office.wait()
    profile_hash = "".join("%x" % byte for byte in hashlib.md5(profile_url.encode("utf-16-le")).digest())
    for name in (pipe, "SingleOfficeIPC_" + profile_hash):
        socket = "/tmp/OSL_PIPE_%d_%s" % (os.getuid(), name)
        try:
            if stat.S_ISSOCK(os.lstat(socket).st_mode):
                os.unlink(socket)
        except OSError:  # gone already, or not ours to remove: the counts are written all the same
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--soffice", default="soffice")
    parser.add_argument("--profile", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    pipe = "fidelity-loaded-%d" % os.getpid()
    profile_url = "file://" + os.path.abspath(args.profile)
    # A killed office leaves its temporary folder: it goes beside the profile, in the caller's work folder.
    temporary = os.path.abspath(args.profile) + "-tmp"
    os.makedirs(temporary, exist_ok=True)
    office = subprocess.Popen(shlex.split(args.soffice) + [
        "--headless", "--invisible", "--norestore", "--nologo", "--nodefault", "--nolockcheck",
        "-env:UserInstallation=" + profile_url, "--accept=pipe,name=%s;urp;" % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True,
        env=dict(os.environ, TMPDIR=temporary))
    counts = {}
    try:
        context = connect(pipe, office)
        for path in args.files:
            try:
                counts[path] = loaded_pages(context, path)
            except Exception as error:  # one file the office cannot load does not end the others
                print("loaded_pages: %s: %s" % (path, error), file=sys.stderr)
    finally:
        stop(office, pipe, profile_url)
    json.dump(counts, sys.stdout)
    print()


if __name__ == "__main__":
    main()
