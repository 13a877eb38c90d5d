#!/usr/bin/python3
"""Reference for the split benchmark: the same dispatch sequence as the split run, written directly
against LibreOffice's Python UNO bridge, connected to an office that already listens on a pipe.

Usage: reference_split.py --pipe NAME --output DIR INPUT...
Prints one JSON object: {"pages": N, "ms": milliseconds spent splitting, connection excluded}.
Needs Debian's python3-uno, hence the system interpreter.
"""
import argparse
import json
import os
import time

import uno
from com.sun.star.beans import PropertyValue


def property_value(name, value):
    prop = PropertyValue()
    prop.Name = name
    prop.Value = value
    return prop


def connect(pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    return resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")


def split(context, path, output):
    manager = context.ServiceManager
    desktop = manager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
    document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(path), "_blank", 0, ())
    dispatcher = manager.createInstanceWithContext("com.sun.star.frame.DispatchHelper", context)
    cursor = document.getCurrentController().getViewCursor()
    cursor.jumpToLastPage()
    pages = cursor.getPage()
    cursor.jumpToFirstPage()
    frame = document.getCurrentController().getFrame()
    name = os.path.splitext(os.path.basename(path))[0]
    for page in range(1, pages + 1):
        dispatcher.executeDispatch(frame, ".uno:GoToEndOfPageSel", "", 0, ())
        dispatcher.executeDispatch(frame, ".uno:Copy", "", 0, ())
        single = desktop.loadComponentFromURL("private:factory/swriter", "_blank", 0, ())
        single_frame = single.getCurrentController().getFrame()
        dispatcher.executeDispatch(single_frame, ".uno:Paste", "", 0, ())
        target = uno.systemPathToFileUrl(os.path.join(output, f"{name}_{page:04d}.odt"))
        dispatcher.executeDispatch(single_frame, ".uno:SaveAs", "", 0,
                                   (property_value("URL", target), property_value("FilterName", "writer8")))
        if page < pages:
            dispatcher.executeDispatch(frame, ".uno:GoToStartOfNextPage", "", 0, ())
        single.close(True)
    document.close(True)
    return pages


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pipe", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("inputs", nargs="+")
    arguments = parser.parse_args()
    context = connect(arguments.pipe)
    start = time.perf_counter()
    pages = sum(split(context, os.path.abspath(path), os.path.abspath(arguments.output))
                for path in arguments.inputs)
    elapsed = (time.perf_counter() - start) * 1000
    print(json.dumps({"pages": pages, "ms": elapsed}))


if __name__ == "__main__":
    main()
