"""Plane-stress finite elements of a whole fastened joint: gmsh meshes, CalculiX solve.

Each plate is a membrane in the x-y plane (x along the load, y across), meshed by gmsh with a hole
of the fastener's diameter at every fastener: 8-node quadrilaterals (CPS8, a few CPS6 triangles
where the recombination leaves them), the element size growing from the hole edges. The material
is the plate's membrane stiffness A (A/h from lamination theory times the thickness, an
anisotropic 3 by 3 matrix; the section thickness is 1), so nodal forces are the plate's whole
forces and no thickness convention of the solver enters.

Each fastener is a reference node per member joined to every node of its hole's edge by linear
equations (the edge moves as a rigid ring, translation only: an RBE2-like spider), and a pair of
linear springs (SPRING2, in x and in y) of stiffness 1 / C between the reference nodes of the two
members, C the one-fastener flexibility the program uses (its `rows[].flexibility`). In double
shear the two outer plates tie their hole edges to one reference node: they move together at every
fastener, as the bar model assumes. Plate 1 (with plate 3 in double shear, each its share by
stiffness E_x t) takes the load P as a uniform traction on its loaded end; the loaded end of
plate 2 is held along x (one node across too). A spring's force is its stiffness times the
difference of its reference nodes' displacements, both printed by CalculiX (`*NODE PRINT`; version
2.20 prints no force of a SPRING2 element, `*EL PRINT` of S leaves its table empty); the
reaction at the held end, printed too, checks that the rows carry the whole load.
"""
import math
import os
import subprocess
import tempfile
import time
from pathlib import Path

import numpy as np

import fe


def plate_mesh(x0, x1, width, holes, n_theta, growth, points=False):
    """A plate [x0, x1] by [-width/2, width/2] with circular holes [(x, y, d)]: nodes {id: (x, y)},
    elements [(gmsh type, [nodes])], the nodes of each hole's edge, the 3-node edges of the ends
    x0 and x1. The hole edges have n_theta elements each; the size grows by `growth` per unit of
    distance from the nearest hole edge, to at most four times the hole-edge size. With points,
    no holes: a node at each fastener's centre (its list of one), the size there that of a hole
    edge of n_theta elements."""
    import gmsh

    gmsh.initialize(["-nopopup"])
    gmsh.option.setNumber("General.Terminal", 0)
    gmsh.option.setNumber("General.NumThreads", 1)
    gmsh.model.add("plate")
    occ = gmsh.model.occ
    rect = occ.addRectangle(x0, -width / 2, 0, x1 - x0, width)
    if points:
        return _point_mesh(gmsh, rect, x0, x1, holes, n_theta, growth)
    disks = [occ.addDisk(x, y, 0, d / 2, d / 2) for x, y, d in holes]
    occ.cut([(2, rect)], [(2, k) for k in disks])
    occ.synchronize()
    curves = [tag for _, tag in gmsh.model.getEntities(1)]
    hole_curves = [[] for _ in holes]
    ends = {"x0": [], "x1": []}
    tol = 1e-6 * (x1 - x0)  # the kernel pads its bounding boxes by 1e-7
    for c in curves:
        bx0, by0, _, bx1, by1, _ = gmsh.model.getBoundingBox(1, c)
        cx, cy = (bx0 + bx1) / 2, (by0 + by1) / 2
        if bx1 - bx0 < tol and abs(cx - x0) < tol:
            ends["x0"].append(c)
        elif bx1 - bx0 < tol and abs(cx - x1) < tol:
            ends["x1"].append(c)
        else:
            for k, (x, y, d) in enumerate(holes):
                if math.hypot(cx - x, cy - y) < d / 2 and bx1 - bx0 < 1.01 * d:
                    hole_curves[k].append(c)
    assert all(hole_curves) and ends["x0"] and ends["x1"]
    h0 = min(math.pi * d / n_theta for _, _, d in holes)
    f = gmsh.model.mesh.field
    dist = f.add("Distance")
    f.setNumbers(dist, "EdgesList", [c for cs in hole_curves for c in cs])
    f.setNumber(dist, "NNodesByEdge", 4 * n_theta)
    _graded_from(gmsh, dist, h0, growth)
    for k, cs in enumerate(hole_curves):
        n = max(2, round(n_theta / len(cs)))
        for c in cs:
            gmsh.model.mesh.setTransfiniteCurve(c, n + 1)
    nodes, elements = _generate(gmsh)
    hole_nodes = []
    for cs in hole_curves:
        s = set()
        for c in cs:
            t, _, _ = gmsh.model.mesh.getNodes(1, c, includeBoundary=True)
            s.update(int(v) for v in t)
        hole_nodes.append(sorted(s))
    return nodes, elements, hole_nodes, _end_edges(gmsh, ends)


def _graded_from(gmsh, dist, h0, growth):
    """Element size h0 at the distance field's curves or points, growing by `growth` per unit of
    distance up to 4 h0, and no other size source."""
    f = gmsh.model.mesh.field
    size = f.add("MathEval")
    f.setString(size, "F", f"Min({h0} + {growth} * F{dist}, {4.0 * h0})")
    f.setAsBackgroundMesh(size)
    for name in ("CharacteristicLengthExtendFromBoundary", "CharacteristicLengthFromPoints",
                 "CharacteristicLengthFromCurvature"):
        gmsh.option.setNumber("Mesh." + name, 0)


def _generate(gmsh):
    """Quadrilaterals, made second order (serendipity): the nodes and the 2-D elements."""
    nodes = fe.quadratic_quad_mesh(gmsh)
    elements = []
    types, _, enodes = gmsh.model.mesh.getElements(2)
    for typ, en in zip(types, enodes):
        n = {9: 6, 16: 8}[typ]
        elements += [(typ, [int(v) for v in en[k * n:(k + 1) * n]]) for k in range(len(en) // n)]
    return nodes, elements


def _end_edges(gmsh, ends):
    """The 3-node edges of the end curves; closes gmsh."""
    end_edges = {}
    for name, cs in ends.items():
        lst = []
        for c in cs:
            types, _, en = gmsh.model.mesh.getElements(1, c)
            for typ, e in zip(types, en):
                assert typ == 8
                lst += [[int(v) for v in e[k * 3:k * 3 + 3]] for k in range(len(e) // 3)]
        end_edges[name] = lst
    gmsh.finalize()
    return end_edges


def _point_mesh(gmsh, rect, x0, x1, holes, n_theta, growth):
    """The plate without holes, a node embedded at each fastener's centre."""
    occ = gmsh.model.occ
    pts = [occ.addPoint(x, y, 0) for x, y, _ in holes]
    occ.synchronize()
    gmsh.model.mesh.embed(0, pts, 2, rect)
    tol = 1e-6 * (x1 - x0)
    ends = {"x0": [], "x1": []}
    for _, c in gmsh.model.getEntities(1):
        bx0, _, _, bx1, _, _ = gmsh.model.getBoundingBox(1, c)
        if bx1 - bx0 < tol:
            ends["x0" if abs(bx0 - x0) < 2 * tol else "x1"].append(c)
    h0 = min(math.pi * d / n_theta for _, _, d in holes)
    f = gmsh.model.mesh.field
    dist = f.add("Distance")
    f.setNumbers(dist, "NodesList", pts)
    _graded_from(gmsh, dist, h0, growth)
    nodes, elements = _generate(gmsh)
    centre = []
    for p in pts:
        t, _, _ = gmsh.model.mesh.getNodes(0, p)
        centre.append([int(t[0])])
    return nodes, elements, centre, _end_edges(gmsh, ends)


def end_forces(edges, nodes, total, forces):
    """Add to forces {node: fx} a uniform traction along x over the end's straight 3-node edges
    [end, end, middle], `total` in all: per edge 1/6, 1/6 and 2/3 of its share."""
    length = sum(abs(nodes[e[1]][1] - nodes[e[0]][1]) for e in edges)
    for e in edges:
        share = total * abs(nodes[e[1]][1] - nodes[e[0]][1]) / length
        for v, w in zip(e, (1 / 6, 1 / 6, 2 / 3)):
            forces[v] = forces.get(v, 0.0) + w * share


def solve(model, n_theta, growth=0.3, workdir=None, points=False):
    """Row loads of the joint by finite elements.

    model: {"shear", "load", "plates": [{"x0", "x1", "width", "stiffness" (A, 3 by 3),
    "load_share"}], "fasteners": [(row, x, y, d, C)]}, plates in the program's order (plate 2 the
    member B; in double shear plates 1 and 3 member A). Returns the load each row transfers from
    member A to member B (all its fasteners), the y forces' largest magnitude, the reaction at the
    held end, and the model's size and time."""
    t0 = time.time()
    member_a = [0, 2] if model["shear"] == "double" else [0]
    holes = [(x, y, d) for _, x, y, d, _ in model["fasteners"]]
    lines, offset, eid = ["*NODE"], 0, 0
    elsets, ties, forces, held = [], [], {}, []
    for j, p in enumerate(model["plates"]):
        nodes, elements, hole_nodes, ends = plate_mesh(p["x0"], p["x1"], p["width"], holes,
                                                       n_theta, growth, points)
        lines += [f"{k + offset},{x:.12f},{y:.12f}" for k, (x, y) in sorted(nodes.items())]
        els = []
        for typ, conn in elements:
            eid += 1
            els.append((typ, eid, [v + offset for v in fe._oriented(typ, conn, nodes)]))
        elsets.append(els)
        member = 0 if j in member_a else 1
        ties += [(member, k, [v + offset for v in hn]) for k, hn in enumerate(hole_nodes)]
        if j in member_a:
            f = {}
            end_forces(ends["x0"], nodes, -model["load"] * p["load_share"], f)
            forces.update({v + offset: fx for v, fx in f.items()})
        else:
            end_nodes = sorted({v for e in ends["x1"] for v in e})
            held = [v + offset for v in end_nodes]
            held_y = min(end_nodes, key=lambda v: abs(nodes[v][1])) + offset
        offset += max(nodes) + 1
    nfast = len(model["fasteners"])
    ref = [[offset + 1 + m * nfast + k for k in range(nfast)] for m in range(2)]
    for m in range(2):
        lines += [f"{ref[m][k]},{x:.12f},{y:.12f}" for k, (x, y, _) in enumerate(holes)]
    for j, els in enumerate(elsets):
        for typ, name in ((16, "CPS8"), (9, "CPS6")):
            sel = [e for e in els if e[0] == typ]
            if sel:
                lines.append(f"*ELEMENT, TYPE={name}, ELSET=PLATE{j + 1}")
                lines += [",".join(str(v) for v in [i] + conn) for _, i, conn in sel]
    for k in range(nfast):
        for dof in (1, 2):
            eid += 1
            lines += [f"*ELEMENT, TYPE=SPRING2, ELSET=SP{k + 1}D{dof}", f"{eid},{ref[0][k]},{ref[1][k]}"]
    for j, p in enumerate(model["plates"]):
        lines += [f"*MATERIAL, NAME=M{j + 1}", "*ELASTIC, TYPE=ANISO"]
        consts = [f"{v:.9e}" for v in fe.aniso_constants(fe.stiffness_3d(np.asarray(p["stiffness"])))]
        lines += [",".join(consts[k:k + 8]) for k in range(0, 21, 8)]
        lines += [f"*SOLID SECTION, ELSET=PLATE{j + 1}, MATERIAL=M{j + 1}", "1.0"]
    for k, (_, _, _, _, c) in enumerate(model["fasteners"]):
        for dof in (1, 2):
            lines += [f"*SPRING, ELSET=SP{k + 1}D{dof}", f"{dof},{dof}", f"{1.0 / c:.12e}"]
    lines.append("*EQUATION")
    for member, k, hn in ties:
        for v in hn:
            for dof in (1, 2):
                lines += ["2", f"{v},{dof},1.0,{ref[member][k]},{dof},-1.0"]
    lines += ["*BOUNDARY"] + [f"{v},1,1" for v in held] + [f"{held_y},2,2"]
    lines += [f"{v},3,3" for m in range(2) for v in ref[m]]
    lines += ["*NSET, NSET=REF"] + [f"{v}," for m in range(2) for v in ref[m]]
    lines += ["*NSET, NSET=HELD"] + [f"{v}," for v in held]
    lines += ["*STEP", "*STATIC", "*CLOAD"] + [f"{v},1,{fx:.12e}" for v, fx in sorted(forces.items())]
    lines += ["*NODE PRINT, NSET=REF", "U", "*NODE PRINT, NSET=HELD, TOTALS=ONLY", "RF", "*END STEP"]
    with tempfile.TemporaryDirectory(prefix="hsjoint-", dir=workdir) as tmp:
        Path(tmp, "joint.inp").write_text("\n".join(lines) + "\n")
        env = dict(os.environ, OMP_NUM_THREADS="1")
        r = subprocess.run(["ccx", "-i", "joint"], cwd=tmp, capture_output=True, env=env)
        dat = Path(tmp, "joint.dat")
        if r.returncode != 0 or not dat.exists():
            raise RuntimeError("ccx failed\n" + r.stdout.decode()[-2000:])
        u, total = read_dat(dat)
    rows = sorted({f[0] for f in model["fasteners"]})
    row_load = {i: 0.0 for i in rows}
    fy = 0.0
    for k, (i, _, _, _, c) in enumerate(model["fasteners"]):
        # the force the fastener puts on member B, towards member B's loaded end (+x) in tension
        row_load[i] += (u[ref[1][k]][0] - u[ref[0][k]][0]) / c
        fy = max(fy, abs(u[ref[0][k]][1] - u[ref[1][k]][1]) / c)
    return dict(rows=[row_load[i] for i in rows], fy=fy, reaction=total, seconds=time.time() - t0,
                nodes=offset - 1, elements=sum(len(e) for e in elsets))


def read_dat(path):
    """The displacements {node: (ux, uy)} and the total reaction along x of CalculiX's .dat."""
    u, total, mode = {}, None, None
    for line in Path(path).read_text().splitlines():
        s = line.split()
        if line.startswith(" displacements"):
            mode = "u"
        elif line.startswith(" forces") or line.startswith(" total force"):
            mode = "rf"
        elif s and mode == "u" and len(s) == 4:
            u[int(s[0])] = (float(s[1]), float(s[2]))
        elif s and mode == "rf" and len(s) == 3:
            total = float(s[0])
    return u, total
