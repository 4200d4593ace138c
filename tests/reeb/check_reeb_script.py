#!/usr/bin/python3
"""Runs a reeb_graph.py script in PyMOL without a window and checks the CGO
object 'reebgraph' that it builds, reading the data back from PyMOL.

usage: /usr/bin/python3 check_reeb_script.py SCRIPT

One state per direction the script loads, with as many spheres and line
vertices as its lists nodesN and edgesN hold; other states must be empty.
States below the first direction built are loaded empty before the script
runs: Debian's PyMOL 2.5 crashes when lines are loaded into state 2 or 3 of
an object that does not exist yet.
"""
import os
import re
import sys

# CGO operation codes and the number of values that follow each.
SPHERE, VERTEX, COLOR, BEGIN, END, LINEWIDTH, LINES = 7.0, 4.0, 6.0, 2.0, 3.0, 10.0, 1.0
ARGS = {SPHERE: 4, VERTEX: 3, COLOR: 3, BEGIN: 1, END: 0, LINEWIDTH: 1}


def fail(message):
    """Ends with status 1; PyMOL's exit handlers would turn sys.exit into 0."""
    sys.stdout.flush()
    sys.stderr.write(message + "\n")
    sys.stderr.flush()
    os._exit(1)


def cgo_counts(values):
    """(spheres, vertices) of a serialised CGO; fails on anything unexpected."""
    spheres = vertices = i = 0
    while i < len(values):
        op = values[i]
        if op not in ARGS:
            fail("unexpected CGO operation %r at %d" % (op, i))
        if op == BEGIN and values[i + 1] != LINES:
            fail("BEGIN of %r, not LINES" % values[i + 1])
        spheres += op == SPHERE
        vertices += op == VERTEX
        i += 1 + ARGS[op]
    return spheres, vertices


def main():
    text = open(sys.argv[1]).read()
    expected = {}
    for state in re.findall(r"cmd\.load_cgo\(reebgraph(\d),", text):
        lists = [re.search(r"\n%s%s = \[\n(.*?)\n?\]" % (name, state), text, re.S).group(1)
                 for name in ("nodes", "edges")]
        expected[int(state)] = (lists[0].count("SPHERE,"), lists[1].count("VERTEX,"))
    if not expected:
        fail("nothing expected")

    import pymol
    pymol.finish_launching(["pymol", "-cq"])
    from pymol import cmd
    for state in range(1, min(expected)):
        cmd.load_cgo([], "reebgraph", state)
    cmd.run(sys.argv[1])

    if "reebgraph" not in cmd.get_names("objects"):
        fail("no object reebgraph")
    nstates = cmd.count_states("reebgraph")
    if nstates != max(expected):
        fail("reebgraph has %d states, expected %d" % (nstates, max(expected)))
    session = cmd.get_session("reebgraph")
    entry = next(n for n in session["names"] if n and n[0] == "reebgraph")
    states = entry[5][2]
    failures = []
    for state in range(1, nstates + 1):
        cgo = states[state - 1][0]
        got = cgo_counts(cgo[1]) if cgo else (0, 0)
        want = expected.get(state, (0, 0))
        if got != want:
            failures.append("state %d: %d spheres and %d vertices, expected %d and %d" % (state, *got, *want))
    if failures:
        fail("\n".join(failures))
    print("reebgraph: " + ", ".join("state %d: %d spheres, %d vertices" % (s, *expected.get(s, (0, 0)))
                                    for s in range(1, nstates + 1)))


if __name__ == "__main__":
    try:
        main()
    except Exception as error:  # a script that does not run (its traceback would exit 0)
        fail("%s: %s" % (type(error).__name__, error))
    sys.stdout.flush()
    os._exit(0)
