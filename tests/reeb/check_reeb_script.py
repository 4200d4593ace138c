#!/usr/bin/python3
"""Runs a reeb_graph.py script in PyMOL without a window and checks the CGO
object 'reebgraph' that it builds, reading the data back from PyMOL.

usage: /usr/bin/python3 check_reeb_script.py SCRIPT [--trim N] [--report FILE]
                                             [--expect STATE:SPHERES:VERTICES ...]

Expected counts per state (one state per direction built) come from
--expect, or from a report of the run with --report: at verbosity 2 or more
the node, level and edge lines give the graph of each direction and the trim
level decides which spheres and lines are drawn; a plainer report serves only
with --trim 0 (every node and edge drawn). With both, both must agree.

States below the first direction built are loaded empty before the script
runs: Debian's PyMOL 2.5 crashes when lines are loaded into state 2 or 3 of
an object that does not exist yet.
"""
import argparse
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


def counts_from_report(path, trim):
    """{direction: (spheres, vertices)} implied by the report's lines."""
    # direction -> [last slice (None without verbose lines), {node: level},
    #               [(node1, node2)], nodes field, edges field of the structure line]
    built = {}
    current = None
    last_test = None
    with open(path, encoding="latin-1") as f:
        for line in f:
            m = re.match(r"  Calculating reeb graph along direction\s+(\d+)", line)
            if m:
                current = built.setdefault(int(m.group(1)), [None, {}, [], None, None])
                continue
            if current is None:
                continue
            m = re.match(r" Finding patches \(nodes\) for cluster\s+-?\d+\s+at level\s+(\d+)", line)
            if m:
                current[0] = max(current[0] or 0, int(m.group(1)))
                continue
            m = re.match(r" Patch:\s+(\d+) Average patch coordinates:.*Base,level\s+-?\d+\s+(\S+)", line)
            if m:
                current[1][int(m.group(1))] = float(m.group(2))
                continue
            m = re.match(r" Testing\s+(\d+)\s+(\d+)", line)
            if m:
                last_test = (int(m.group(1)), int(m.group(2)))
                continue
            if line.startswith(" Adding an edge:"):
                current[2].append(last_test)
                continue
            m = re.match(r"    The channel structure of cluster .{3} can be represented by (.{3}) nodes and (.{4}) edges", line)
            if m:
                current[3], current[4] = m.group(1), m.group(2)
    expected = {}
    for d, (top, levels, edges, nnodes, nedges) in built.items():
        if nnodes is None:
            fail("report: no structure line for direction %d" % d)
        if top is not None:
            if nnodes.strip() != "***" and int(nnodes) != len(levels) or \
               nedges.strip() != "****" and int(nedges) != len(edges):
                fail("report: direction %d lists %d nodes and %d edges, its structure line %s and %s"
                     % (d, len(levels), len(edges), nnodes, nedges))
            nconn = {k: 0 for k in levels}
            for r, s in edges:
                nconn[r] += 1
                nconn[s] += 1

            def shown(k):
                if trim == 0:
                    return True
                if trim == 1:
                    return nconn[k] > 0
                if trim == 2:
                    return nconn[k] > 1 or (nconn[k] == 1 and levels[k] in (0.0, float(top)))
                return False
            spheres = sum(1 for k in levels if shown(k))
            vertices = 2 * sum(1 for r, s in edges if shown(r) and shown(s))
        elif trim == 0 and "*" not in nnodes + nedges:
            spheres, vertices = int(nnodes), 2 * int(nedges)
        else:
            fail("report: direction %d needs the lines of verbosity 2 for trim level %d" % (d, trim))
        expected[d] = (spheres, vertices)
    return expected


def cgo_counts(values):
    """(spheres, vertices) of a serialised CGO; fails on anything unexpected."""
    spheres = vertices = 0
    i = 0
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
    parser = argparse.ArgumentParser()
    parser.add_argument("script")
    parser.add_argument("--trim", type=int, default=1)
    parser.add_argument("--report")
    parser.add_argument("--expect", nargs="*", default=[])
    args = parser.parse_args()

    expected = {}
    for e in args.expect:
        state, spheres, vertices = (int(x) for x in e.split(":"))
        expected[state] = (spheres, vertices)
    if args.report:
        from_report = counts_from_report(args.report, args.trim)
        if expected and from_report != expected:
            fail("report implies %s, expected %s" % (from_report, expected))
        expected = from_report
    if not expected:
        fail("nothing expected: give --expect or --report")

    import pymol
    pymol.finish_launching(["pymol", "-cq"])
    from pymol import cmd
    for state in range(1, min(expected)):
        cmd.load_cgo([], "reebgraph", state)
    cmd.run(args.script)

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
    main()
    sys.stdout.flush()
    os._exit(0)
