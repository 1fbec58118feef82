"""Plane-stress finite-element model of a plate with a circular hole: gmsh mesh, CalculiX solve.

The hole (diameter D, centre at the origin) is cut from a rectangle, length LX along x, width LY
along y, centred at (XC, 0) (XC = 0 unless the hole sits nearer one end, as in a strip with an edge
distance). The hole edge is divided into NTHETA equal arcs (a multiple of 72, so that every 5
degree station is a node); the element size grows linearly with the distance from the hole.
Elements are 8-node quadrilaterals (CPS8) with a few 6-node triangles (CPS6) where the quad
recombination leaves them. Loads are consistent nodal forces of the boundary tractions,
integrated along the quadratic edges. Nodal stresses are CalculiX's extrapolated and averaged
values.
"""
import math
import os
import subprocess
import tempfile
from pathlib import Path

import numpy as np

GAUSS = np.polynomial.legendre.leggauss(6)


def have_tools():
    try:
        import gmsh  # noqa: F401
    except ImportError:
        return False
    return subprocess.run(["which", "ccx"], capture_output=True).returncode == 0


def mesh(D, LX, LY, ntheta, growth, xc=0.0):
    """Nodes {id: (x, y)}, elements [(type, [nodes])], boundary edges per side, hole-edge nodes."""
    import gmsh

    a = D / 2.0
    h0 = math.pi * D / ntheta
    gmsh.initialize(["-nopopup"])
    gmsh.option.setNumber("General.Terminal", 0)
    gmsh.option.setNumber("General.NumThreads", 1)
    gmsh.model.add("plate")
    g = gmsh.model.geo
    c = g.addPoint(0, 0, 0)
    # A structured ring of quadrilaterals around the hole, out to 1.5 radii: square elements at
    # the edge growing geometrically outwards, so that every station sees the same elements.
    q = 1.1
    a1 = 1.5 * a
    nr = max(2, round(math.log(1.0 + (a1 - a) * (q - 1.0) / h0) / math.log(q)))
    hp = [g.addPoint(a * math.cos(k * math.pi / 2), a * math.sin(k * math.pi / 2), 0) for k in range(4)]
    op = [g.addPoint(a1 * math.cos(k * math.pi / 2), a1 * math.sin(k * math.pi / 2), 0) for k in range(4)]
    arcs = [g.addCircleArc(hp[k], c, hp[(k + 1) % 4]) for k in range(4)]
    oarcs = [g.addCircleArc(op[k], c, op[(k + 1) % 4]) for k in range(4)]
    rays = [g.addLine(hp[k], op[k]) for k in range(4)]
    ring = []
    for k in range(4):
        loop = g.addCurveLoop([arcs[k], rays[(k + 1) % 4], -oarcs[k], -rays[k]])
        ring.append(g.addPlaneSurface([loop]))
    X, Y = LX / 2.0, LY / 2.0
    cp = [g.addPoint(xc + X, -Y, 0), g.addPoint(xc + X, Y, 0), g.addPoint(xc - X, Y, 0),
          g.addPoint(xc - X, -Y, 0)]
    sides = [g.addLine(cp[k], cp[(k + 1) % 4]) for k in range(4)]  # right, top, left, bottom
    outer = g.addCurveLoop(sides)
    surf = g.addPlaneSurface([outer, g.addCurveLoop(oarcs)])
    for arc in arcs + oarcs:
        g.mesh.setTransfiniteCurve(arc, ntheta // 4 + 1)
    for ray in rays:
        g.mesh.setTransfiniteCurve(ray, nr + 1, "Progression", q)
    for sf in ring:
        g.mesh.setTransfiniteSurface(sf)
        g.mesh.setRecombine(2, sf)
    g.synchronize()
    f = gmsh.model.mesh.field
    dist = f.add("Distance")
    f.setNumbers(dist, "CurvesList" if gmsh.__version__ >= "4.9" else "EdgesList", oarcs)
    f.setNumber(dist, "NumPointsPerCurve" if gmsh.__version__ >= "4.9" else "NNodesByEdge", 4 * ntheta)
    size = f.add("MathEval")
    hmax = max(LX, LY) / 12.0
    h1 = 2.0 * math.pi * a1 / ntheta
    f.setString(size, "F", f"Min({h1} + {growth} * F{dist}, {hmax})")
    f.setAsBackgroundMesh(size)
    for name in ("MeshSizeExtendFromBoundary", "MeshSizeFromPoints", "MeshSizeFromCurvature",
                 "CharacteristicLengthExtendFromBoundary", "CharacteristicLengthFromPoints",
                 "CharacteristicLengthFromCurvature"):
        try:
            gmsh.option.setNumber("Mesh." + name, 0)
        except Exception:
            pass
    nodes = quadratic_quad_mesh(gmsh)
    elements = []
    for sf in ring + [surf]:
        types, etags, enodes = gmsh.model.mesh.getElements(2, sf)
        for typ, en in zip(types, enodes):
            n = {9: 6, 16: 8}[typ]
            for k in range(len(en) // n):
                elements.append((typ, [int(v) for v in en[k * n:(k + 1) * n]]))
    edges = {}
    for name, curves in (("right", [sides[0]]), ("top", [sides[1]]), ("left", [sides[2]]),
                         ("bottom", [sides[3]]), ("hole", arcs)):
        lst = []
        for cv in curves:
            types, _, en = gmsh.model.mesh.getElements(1, cv)
            for typ, e in zip(types, en):
                assert typ == 8
                lst += [[int(v) for v in e[k * 3:k * 3 + 3]] for k in range(len(e) // 3)]
        edges[name] = lst
    gmsh.finalize()
    hole_nodes = sorted({v for e in edges["hole"] for v in e})
    return nodes, elements, edges, hole_nodes


def quadratic_quad_mesh(gmsh):
    """Meshes the model's surfaces in quadrilaterals made second order (serendipity, 8 nodes;
    6-node triangles where a quadrilateral will not fit): the nodes, tag to (x, y)."""
    gmsh.option.setNumber("Mesh.Algorithm", 6)
    gmsh.option.setNumber("Mesh.RecombineAll", 1)
    gmsh.option.setNumber("Mesh.RecombinationAlgorithm", 1)
    gmsh.option.setNumber("Mesh.SecondOrderIncomplete", 1)
    gmsh.model.mesh.generate(2)
    gmsh.model.mesh.setOrder(2)
    tags, coords, _ = gmsh.model.mesh.getNodes()
    return {int(t): (coords[3 * i], coords[3 * i + 1]) for i, t in enumerate(tags)}


def _oriented(typ, conn, nodes):
    p = [nodes[v] for v in conn[: (3 if typ == 9 else 4)]]
    area = sum(p[i][0] * p[(i + 1) % len(p)][1] - p[(i + 1) % len(p)][0] * p[i][1] for i in range(len(p)))
    if area > 0:
        return conn
    if typ == 9:
        return [conn[0], conn[2], conn[1], conn[5], conn[4], conn[3]]
    return [conn[0], conn[3], conn[2], conn[1], conn[7], conn[6], conn[5], conn[4]]


NORMALS = {"right": (1.0, 0.0), "top": (0.0, 1.0), "left": (-1.0, 0.0), "bottom": (0.0, -1.0)}


def edge_forces(side, edge_list, nodes, traction, forces):
    """Add to forces {node: [fx, fy]} the consistent nodal forces of traction(x, y, nx, ny)
    (nx, ny the outward normal of the material) over 3-node edges [end, end, middle]."""
    xi, w = GAUSS
    for e in edge_list:
        P = np.array([nodes[v] for v in e])
        for q, wq in zip(xi, w):
            N = np.array([q * (q - 1) / 2, q * (q + 1) / 2, 1 - q * q])
            dN = np.array([q - 0.5, q + 0.5, -2 * q])
            x, y = N @ P
            tx, ty = dN @ P
            J = math.hypot(tx, ty)
            if side == "hole":
                r = math.hypot(x, y)
                t = traction(x, y, -x / r, -y / r)
            else:
                t = traction(x, y, *NORMALS[side])
            for i, v in enumerate(e):
                fv = forces.setdefault(v, [0.0, 0.0])
                fv[0] += wq * J * N[i] * t[0]
                fv[1] += wq * J * N[i] * t[1]


def stiffness_3d(C2):
    """A 3D anisotropic stiffness whose plane-stress in-plane response is C2 (xx, yy, xy); the
    thickness direction is uncoupled from the plane, so plane stress and plane strain agree."""
    S = np.zeros((6, 6))
    S[np.ix_([0, 1, 3], [0, 1, 3])] = np.linalg.inv(C2)
    e3 = C2[0, 0]
    S[2, 2] = 1.0 / e3
    S[4, 4] = S[5, 5] = 2.0 / e3
    return np.linalg.inv(S)  # order xx, yy, zz, xy, xz, yz


def aniso_constants(C):
    idx = [(0, 0), (0, 1), (1, 1), (0, 2), (1, 2), (2, 2), (0, 3), (1, 3), (2, 3), (3, 3),
           (0, 4), (1, 4), (2, 4), (3, 4), (4, 4), (0, 5), (1, 5), (2, 5), (3, 5), (4, 5), (5, 5)]
    return [C[i, j] for i, j in idx]


def solve(C2, D, LX, LY, load_cases, ntheta=144, growth=0.12, workdir=None, xc=0.0):
    """Solve each load case; load_cases: list of {side_name: traction function}.

    Returns, per load case, (angles in degrees of the hole-edge nodes, hoop stress, radial
    stress) and the model size."""
    nodes, elements, edges, hole_nodes = mesh(D, LX, LY, ntheta, growth, xc)
    lines = ["*NODE"]
    lines += [f"{k},{x:.12f},{y:.12f}" for k, (x, y) in sorted(nodes.items())]
    for typ, name in ((16, "CPS8"), (9, "CPS6")):
        els = [e for e in elements if e[0] == typ]
        if not els:
            continue
        lines.append(f"*ELEMENT, TYPE={name}, ELSET=PLATE")
        start = len(lines)
        for typ_, conn in els:
            conn = _oriented(typ_, conn, nodes)
            lines.append(",".join(str(v) for v in [0] + conn))
        for i in range(start, len(lines)):
            pass
    # number elements
    out, eid = [], 0
    for ln in lines:
        if ln.startswith("0,"):
            eid += 1
            ln = f"{eid}" + ln[1:]
        out.append(ln)
    lines = out
    lines += ["*MATERIAL, NAME=LAM", "*ELASTIC, TYPE=ANISO"]
    consts = [f"{v:.9e}" for v in aniso_constants(stiffness_3d(C2))]
    for k in range(0, 21, 8):
        lines.append(",".join(consts[k:k + 8]))
    lines += ["*SOLID SECTION, ELSET=PLATE, MATERIAL=LAM", "1.0"]
    # three rigid-body freedoms: the nodes nearest the ends of the x axis
    far = sorted(nodes, key=lambda k: (nodes[k][0] - xc - LX / 2) ** 2 + nodes[k][1] ** 2)[0]
    far2 = sorted(nodes, key=lambda k: (nodes[k][0] - xc + LX / 2) ** 2 + nodes[k][1] ** 2)[0]
    lines += ["*BOUNDARY", f"{far},1,2", f"{far2},2,2"]
    for case in load_cases:
        forces = {}
        for side, traction in case.items():
            edge_forces(side, edges[side], nodes, traction, forces)
        lines += ["*STEP", "*STATIC", "*CLOAD, OP=NEW"]
        for v, (fx, fy) in sorted(forces.items()):
            lines.append(f"{v},1,{fx:.12e}")
            lines.append(f"{v},2,{fy:.12e}")
        lines += ["*EL FILE", "S", "*END STEP"]
    tmp = tempfile.mkdtemp(prefix="hsfe-", dir=workdir)
    Path(tmp, "plate.inp").write_text("\n".join(lines) + "\n")
    env = dict(os.environ, OMP_NUM_THREADS="1")
    r = subprocess.run(["ccx", "-i", "plate"], cwd=tmp, capture_output=True, env=env)
    if r.returncode != 0 or not Path(tmp, "plate.frd").exists():
        raise RuntimeError("ccx failed in " + tmp + "\n" + r.stdout.decode()[-2000:])
    blocks = read_stresses(Path(tmp, "plate.frd"))
    results = []
    for S in blocks:
        ang, hoop, rad = [], [], []
        for v in hole_nodes:
            x, y = nodes[v]
            t = math.atan2(y, x)
            sx, sy, txy = S[v]
            c, s = math.cos(t), math.sin(t)
            ang.append(math.degrees(t) % 360.0)
            hoop.append(sx * s * s + sy * c * c - 2 * txy * s * c)
            rad.append(sx * c * c + sy * s * s + 2 * txy * s * c)
        order = np.argsort(ang)
        results.append((np.array(ang)[order], np.array(hoop)[order], np.array(rad)[order]))
    for f in Path(tmp).iterdir():
        f.unlink()
    os.rmdir(tmp)
    return results, {"nodes": len(nodes), "elements": len(elements)}


def read_stresses(path):
    """Every STRESS block of a CalculiX .frd file: {node: (sxx, syy, sxy)}."""
    blocks, cur = [], None
    with open(path) as fh:
        for line in fh:
            if line.startswith(" -4  STRESS"):
                cur = {}
                continue
            if cur is not None:
                if line.startswith(" -1"):
                    n = int(line[3:13])
                    vals = [float(line[13 + 12 * k:25 + 12 * k]) for k in range(6)]
                    cur[n] = (vals[0], vals[1], vals[3])
                elif line.startswith(" -3"):
                    blocks.append(cur)
                    cur = None
    return blocks


def at_stations(angles, values, stations):
    """Values at the stations (degrees); every station is a node of the hole edge."""
    out = []
    for s in stations:
        s = s % 360.0
        d = np.abs((angles - s + 180.0) % 360.0 - 180.0)
        k = int(np.argmin(d))
        if d[k] > 1e-6:
            raise ValueError(f"no hole-edge node at {s} degrees")
        out.append(values[k])
    return np.array(out)
